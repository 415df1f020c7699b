#include "axisbreaks.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace kd::chart {

namespace {
constexpr double kSecond = 1.0 / 86400.0;
constexpr double kMinute = 60 * kSecond;
constexpr double kHour = 60 * kMinute;

const QDate& epoch() {
    static const QDate d(1899, 12, 30);
    return d;
}

std::vector<AxisBreak> normalised(std::vector<AxisBreak> in) {
    std::vector<AxisBreak> out;
    for (AxisBreak b : in) {
        if (!std::isfinite(b.start) || !std::isfinite(b.end))
            continue;
        if (b.end < b.start)
            std::swap(b.start, b.end);
        if (b.end > b.start)
            out.push_back(b);
    }
    std::sort(out.begin(), out.end(),
              [](const AxisBreak& a, const AxisBreak& b) { return a.start < b.start; });
    std::vector<AxisBreak> merged;
    for (const AxisBreak& b : out) {
        if (!merged.empty() && b.start <= merged.back().end)
            merged.back().end = std::max(merged.back().end, b.end);
        else
            merged.push_back(b);
    }
    return merged;
}
}  // namespace

BreakMapping::BreakMapping() : BreakMapping({}, 0, 1, 1, 0) {}

BreakMapping::BreakMapping(std::vector<AxisBreak> breaks, double rangeMin, double rangeMax,
                           double axisPixels, double gapPixels) {
    if (!std::isfinite(rangeMin))
        rangeMin = 0;
    if (!std::isfinite(rangeMax) || rangeMax <= rangeMin)
        rangeMax = rangeMin + 1;
    if (!(axisPixels >= 1))
        axisPixels = 1;
    if (!(gapPixels >= 0))
        gapPixels = 0;
    m_rangeMin = rangeMin;
    m_rangeMax = rangeMax;
    m_axisPixels = axisPixels;

    // The visible parts of the breaks and the pixels each one keeps.
    struct Visible {
        double from, to, pixels;
    };
    std::vector<Visible> visible;
    double gapTotal = 0;
    double cutDays = 0;
    for (const AxisBreak& b : normalised(std::move(breaks))) {
        const double from = std::max(b.start, rangeMin);
        const double to = std::min(b.end, rangeMax);
        if (to <= from)
            continue;
        m_breaks.push_back(b);
        const double pixels = gapPixels * (to - from) / (b.end - b.start);
        visible.push_back({from, to, pixels});
        gapTotal += pixels;
        cutDays += to - from;
    }
    const double dataDays = (rangeMax - rangeMin) - cutDays;
    double gapScale = 1;
    if (dataDays <= 0) {
        // Nothing but breaks in view: the gaps share the whole axis.
        gapScale = gapTotal > 0 ? axisPixels / gapTotal : 0;
    } else if (gapTotal > axisPixels / 2) {
        gapScale = (axisPixels / 2) / gapTotal;
    }
    m_gap = gapPixels * gapScale;
    const double dataPixels = axisPixels - gapTotal * gapScale;
    const double perDay = dataDays > 0 ? dataPixels / dataDays : 0;

    double real = rangeMin;
    double pixel = 0;
    for (const Visible& v : visible) {
        if (v.from > real) {
            const double p = pixel + (v.from - real) * perDay;
            m_segments.push_back({real, v.from, pixel, p});
            pixel = p;
            real = v.from;
        }
        double p = pixel + v.pixels * gapScale;
        if (dataDays <= 0 && gapTotal <= 0)
            p = pixel + (v.to - v.from) / (rangeMax - rangeMin) * axisPixels;
        m_segments.push_back({v.from, v.to, pixel, p});
        pixel = p;
        real = v.to;
    }
    if (real < rangeMax || m_segments.empty())
        m_segments.push_back({real, rangeMax, pixel, axisPixels});
    // Rounding must not leave the last pixel short of the axis end.
    m_segments.back().pixelTo = axisPixels;
}

double BreakMapping::toPixel(double realDays) const {
    const Segment& first = m_segments.front();
    const Segment& last = m_segments.back();
    const double outsideSlope = m_axisPixels / (m_rangeMax - m_rangeMin);
    if (realDays <= first.realFrom)
        return first.pixelFrom - (first.realFrom - realDays) * outsideSlope;
    if (realDays >= last.realTo)
        return last.pixelTo + (realDays - last.realTo) * outsideSlope;
    auto it = std::upper_bound(m_segments.begin(), m_segments.end(), realDays,
                               [](double v, const Segment& s) { return v < s.realFrom; });
    const Segment& s = *(it - 1);
    const double span = s.realTo - s.realFrom;
    if (span <= 0)
        return s.pixelFrom;
    return s.pixelFrom + (realDays - s.realFrom) / span * (s.pixelTo - s.pixelFrom);
}

double BreakMapping::toReal(double pixel) const {
    const Segment& first = m_segments.front();
    const Segment& last = m_segments.back();
    const double outsideSlope = m_axisPixels / (m_rangeMax - m_rangeMin);
    if (pixel <= first.pixelFrom)
        return first.realFrom - (first.pixelFrom - pixel) / outsideSlope;
    if (pixel >= last.pixelTo)
        return last.realTo + (pixel - last.pixelTo) / outsideSlope;
    // The first segment whose drawn span reaches past the pixel; a gap of zero
    // pixels never catches it, so such a pixel maps to the data beside it.
    auto it = std::upper_bound(m_segments.begin(), m_segments.end(), pixel,
                               [](double p, const Segment& s) { return p < s.pixelTo; });
    if (it == m_segments.end())
        return last.realTo;
    const Segment& s = *it;
    const double span = s.pixelTo - s.pixelFrom;
    if (span <= 0)
        return s.realFrom;
    return s.realFrom + (pixel - s.pixelFrom) / span * (s.realTo - s.realFrom);
}

std::vector<BreakMapping::Gap> BreakMapping::gaps() const {
    std::vector<Gap> out;
    for (const Segment& s : m_segments) {
        for (const AxisBreak& b : m_breaks) {
            if (s.realFrom >= b.start && s.realTo <= b.end) {
                out.push_back({s.pixelFrom, s.pixelTo});
                break;
            }
        }
    }
    return out;
}

QString formatDays(double days, const QString& format) {
    if (!std::isfinite(days))
        return {};
    // Wall-clock arithmetic: the fraction is the time of day as shown, so no
    // time zone or daylight-saving shift may enter.
    const qint64 ms = qint64(std::llround(days * 86400000.0));
    qint64 dayPart = ms / 86400000;
    qint64 msOfDay = ms % 86400000;
    if (msOfDay < 0) {
        msOfDay += 86400000;
        --dayPart;
    }
    // UTC only as a zone without shifts: a local 02:30 on the day summer time
    // starts does not exist and would print as nothing.
    const QDateTime dt(epoch().addDays(dayPart), QTime::fromMSecsSinceStartOfDay(int(msOfDay)),
                       Qt::UTC);
    return dt.toString(format);
}

double daysFromDateTime(const QDateTime& dateTime) {
    const double day = double(dateTime.date().toJulianDay() - epoch().toJulianDay());
    return day + dateTime.time().msecsSinceStartOfDay() / 86400000.0;
}

std::vector<Tick> roundTicks(const BreakMapping& mapping, double minStepDays, double minLabelPixels,
                             const QString& dateFormat) {
    static const double steps[] = {
        kSecond, 2 * kSecond, 5 * kSecond, 10 * kSecond, 15 * kSecond, 30 * kSecond,
        kMinute, 2 * kMinute, 5 * kMinute, 10 * kMinute, 15 * kMinute, 30 * kMinute,
        kHour,   2 * kHour,   3 * kHour,   6 * kHour,    12 * kHour,   1.0,
        2.0,     7.0,         14.0,        28.0,
    };
    if (!(minLabelPixels > 0))
        minLabelPixels = 1;
    // Average density of real time over the pixels that show data.
    double gapPixels = 0;
    for (const BreakMapping::Gap& g : mapping.gaps())
        gapPixels += g.to - g.from;
    double cutDays = 0;
    for (const AxisBreak& b : mapping.visibleBreaks())
        cutDays += std::min(b.end, mapping.rangeMax()) - std::max(b.start, mapping.rangeMin());
    const double dataDays = std::max(mapping.rangeMax() - mapping.rangeMin() - cutDays, 1e-9);
    const double dataPixels = std::max(mapping.axisPixels() - gapPixels, 1.0);
    const double needed = std::max(minStepDays, dataDays / dataPixels * minLabelPixels);
    double step = 0;
    for (double s : steps) {
        if (s >= needed * (1 - 1e-9)) {
            step = s;
            break;
        }
    }
    if (step == 0)
        step = 28.0 * std::ceil(needed / 28.0);

    QString format = dateFormat;
    if (format.isEmpty())
        format = step < kMinute ? QStringLiteral("hh:mm:ss")
                 : step < 1.0   ? QStringLiteral("dd.MM. hh:mm")
                                : QStringLiteral("dd.MM.yy");

    auto insideBreak = [&](double t) {
        for (const AxisBreak& b : mapping.visibleBreaks())
            if (t > b.start && t < b.end)
                return true;
        return false;
    };

    std::vector<Tick> ticks;
    const double lo = mapping.rangeMin();
    const double hi = mapping.rangeMax();
    // Step counts reach 1e8 for seconds; allow a millionth of a step of rounding.
    double k = std::ceil(lo / step - 1e-6);
    const double kLast = std::floor(hi / step + 1e-6);
    // Bounded however wide the range: at most one tick per half label width.
    const double limit = mapping.axisPixels() / (minLabelPixels / 2) + 2;
    double lastPixel = -1e300;
    for (; k <= kLast; k += 1) {
        const double t = k * step;
        if (insideBreak(t)) {
            // Jump to the break's end instead of walking through it.
            for (const AxisBreak& b : mapping.visibleBreaks())
                if (t > b.start && t < b.end)
                    k = std::max(k, std::ceil(b.end / step) - 1);
            continue;
        }
        const double p = mapping.toPixel(t);
        if (p - lastPixel < minLabelPixels / 2)
            continue;
        ticks.push_back({t, p, formatDays(t, format)});
        lastPixel = p;
        if (double(ticks.size()) > limit)
            break;
    }
    return ticks;
}

}  // namespace kd::chart
