#pragma once

#include <QDateTime>
#include <QString>

#include <vector>

namespace kd::chart {

/// One span of the bottom axis that is cut out: [start, end] in days since
/// 30 December 1899. start < end always holds for a stored break.
struct AxisBreak {
    double start = 0;
    double end = 0;
    bool operator==(const AxisBreak&) const = default;
};

/// Mapping between real time and the drawn bottom axis for one layout of
/// breaks. Pure and immutable; rebuilt whenever the range, the axis length or
/// the breaks change.
///
/// The visible real range [rangeMin, rangeMax] is drawn on pixels
/// [0, axisPixels]. Every break that lies in the range keeps gapPixels pixels
/// (a break reaching over an edge of the range keeps its share of them); the
/// remaining pixels are shared by the rest of the range in proportion to real
/// time. Inside a break, real time runs linearly across its gap, so the
/// mapping is strictly increasing and invertible everywhere. When the gaps
/// would take more than half the axis, they shrink so that the data keeps at
/// least half of it.
class BreakMapping {
public:
    /// Linear mapping without breaks over [0, 1] days and 1 pixel.
    BreakMapping();
    /// `breaks` may be unsorted and may overlap (overlaps are merged).
    /// rangeMax <= rangeMin is widened to rangeMin + 1 day; axisPixels < 1
    /// counts as 1.
    BreakMapping(std::vector<AxisBreak> breaks, double rangeMin, double rangeMax, double axisPixels,
                 double gapPixels);

    /// Pixel offset from the axis start (0 at rangeMin). Extrapolates
    /// linearly outside the range.
    double toPixel(double realDays) const;
    /// Inverse of toPixel.
    double toReal(double pixel) const;

    /// Pixel spans [from, to] of the gaps of the breaks that are drawn.
    struct Gap {
        double from;
        double to;
    };
    std::vector<Gap> gaps() const;

    double rangeMin() const { return m_rangeMin; }
    double rangeMax() const { return m_rangeMax; }
    double axisPixels() const { return m_axisPixels; }
    /// The gap of one whole break in pixels after any shrinking.
    double effectiveGapPixels() const { return m_gap; }
    /// The merged, sorted breaks that touch the visible range.
    const std::vector<AxisBreak>& visibleBreaks() const { return m_breaks; }

private:
    struct Segment {
        double realFrom, realTo;    // real span
        double pixelFrom, pixelTo;  // drawn span
    };
    std::vector<AxisBreak> m_breaks;
    std::vector<Segment> m_segments;  // alternating data / gap, covering the range
    double m_rangeMin = 0, m_rangeMax = 1, m_axisPixels = 1, m_gap = 0;
};

/// One tick of the bottom axis: where it is drawn and the real time it marks.
struct Tick {
    double realDays;
    double pixel;
    QString label;
};

/// Ticks at round real times ("round": whole multiples of a step from the
/// list 1 s, 2 s, 5 s, 10 s, 15 s, 30 s, 1, 2, 5, 10, 15, 30 min, 1, 2, 3, 6,
/// 12 h, 1, 2, 7, 14, 28 days and multiples of 28 days) for the mapping.
/// The step is the smallest one not below `minStepDays` that keeps drawn
/// labels at least `minLabelPixels` apart on average; ticks inside a gap are
/// dropped, as is any tick closer than minLabelPixels / 2 to the previous one
/// (so two sides of a break never print over each other).
/// Labels use `dateFormat` (Qt QDateTime format, e.g. "dd.MM.yy hh:mm"); an
/// empty format picks one from the step: "hh:mm:ss" below one minute,
/// "dd.MM. hh:mm" below one day, "dd.MM.yy" otherwise.
std::vector<Tick> roundTicks(const BreakMapping& mapping, double minStepDays, double minLabelPixels,
                             const QString& dateFormat);

/// Days since 30 December 1899 as a local date-time text in the given format,
/// rounded to the millisecond.
QString formatDays(double days, const QString& format);

/// The date-time as days since 30 December 1899 (time of day as fraction),
/// taken as local wall time.
double daysFromDateTime(const QDateTime& dateTime);

}  // namespace kd::chart
