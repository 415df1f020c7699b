#include "chartmodel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <unordered_set>

namespace kd::chart {

namespace {
constexpr qsizetype kBlock = 16;
using MinMax = std::pair<double, double>;

inline void merge(MinMax& into, const MinMax& v) {
    into.first = std::min(into.first, v.first);
    into.second = std::max(into.second, v.second);
}
}  // namespace

quint32 paletteColor(int seriesIndex) {
    // Distinct, readable on a light background; the order is ours.
    static const quint32 palette[] = {
        0xFFFF0000, 0xFF008000, 0xFFD4A000, 0xFF0000FF, 0xFF808080, 0xFFFF00FF,
        0xFF008080, 0xFF000080, 0xFF800000, 0xFF00C000, 0xFF808000, 0xFF800080,
        0xFFA0A0A0, 0xFF00A0C0, 0xFF000000, 0xFFFF8000, 0xFF6040C0, 0xFF40A080,
    };
    constexpr int n = int(sizeof(palette) / sizeof(palette[0]));
    return palette[((seriesIndex % n) + n) % n];
}

// --- SeriesData -------------------------------------------------------------

SeriesData::SeriesData() : m_x(std::make_shared<std::vector<double>>()) {}

qsizetype SeriesData::lowerBound(double xValue, qsizetype from, qsizetype to) const {
    from = std::clamp<qsizetype>(from, 0, m_size);
    to = std::clamp<qsizetype>(to, from, m_size);
    if (to - from < 16) {
        const auto begin = m_x->begin();
        return qsizetype(std::lower_bound(begin + from, begin + to, xValue) - begin);
    }
    const std::vector<double>& x = *m_x;
    const double first = x[size_t(from)];
    const double last = x[size_t(to - 1)];
    if (xValue <= first)
        return from;
    if (xValue > last)
        return to;
    qsizetype guess = from + qsizetype((xValue - first) / (last - first) * double(to - 1 - from));
    guess = std::clamp(guess, from, to - 1);
    // Gallop from the guess until the value is bracketed, then search the bracket.
    qsizetype lo, hi;
    if (x[size_t(guess)] < xValue) {
        qsizetype step = 1;
        lo = guess;
        hi = std::min(to, guess + step);
        while (hi < to && x[size_t(hi)] < xValue) {
            lo = hi;
            step *= 2;
            hi = std::min(to, hi + step);
        }
    } else {
        qsizetype step = 1;
        hi = guess;
        lo = std::max(from, guess - step);
        while (lo > from && !(x[size_t(lo)] < xValue)) {
            hi = lo;
            step *= 2;
            lo = std::max(from, lo - step);
        }
    }
    const auto begin = m_x->begin();
    return qsizetype(std::lower_bound(begin + lo, begin + hi, xValue) - begin);
}

namespace {
// Growth by a quarter keeps the unused tail of long series small; the extra
// copies cost little next to a second between replies.
template <typename T>
void growForOneMore(std::vector<T>& v) {
    if (v.size() == v.capacity())
        v.reserve(v.capacity() + v.capacity() / 4 + 1024);
}
}  // namespace

qsizetype SeriesData::lowerBound(double xValue) const {
    const auto begin = m_x->begin();
    return qsizetype(std::lower_bound(begin, begin + m_size, xValue) - begin);
}

void SeriesData::yRange(qsizetype from, qsizetype to, double& minY, double& maxY) const {
    MinMax acc{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    qsizetype lo = std::max<qsizetype>(from, 0);
    qsizetype hi = std::min(to, m_size);
    int level = -1;  // -1: the points themselves
    auto item = [&](qsizetype i) -> MinMax {
        if (level < 0)
            return {m_y[size_t(i)], m_y[size_t(i)]};
        return m_levels[size_t(level)][size_t(i)];
    };
    while (lo < hi) {
        if (hi - lo < kBlock || level + 1 >= int(m_levels.size())) {
            for (qsizetype i = lo; i < hi; ++i)
                merge(acc, item(i));
            break;
        }
        while (lo % kBlock && lo < hi)
            merge(acc, item(lo++));
        while (hi % kBlock && hi > lo)
            merge(acc, item(--hi));
        lo /= kBlock;
        hi /= kBlock;
        ++level;
    }
    minY = acc.first;
    maxY = acc.second;
}

size_t SeriesData::memoryBytes() const {
    size_t bytes = m_x->capacity() * sizeof(double) + m_y.capacity() * sizeof(double);
    for (const auto& lv : m_levels)
        bytes += lv.capacity() * sizeof(MinMax);
    return bytes;
}

void SeriesData::append(double x, double y, const std::shared_ptr<std::vector<double>>& shared) {
    if (m_size > 0 && x < (*m_x)[size_t(m_size - 1)]) {
        // Out of order (e.g. the clock was set back): keep x ascending.
        auto own = std::make_shared<std::vector<double>>(m_x->begin(), m_x->begin() + m_size);
        const auto pos = std::upper_bound(own->begin(), own->end(), x) - own->begin();
        own->insert(own->begin() + pos, x);
        m_y.insert(m_y.begin() + pos, y);
        m_x = std::move(own);
        ++m_size;
        rebuildIndexFrom(pos);
        return;
    }
    if (m_size == 0 && m_x->empty() && shared)
        m_x = shared;
    std::vector<double>& column = *m_x;
    if (qsizetype(column.size()) > m_size && column[size_t(m_size)] == x) {
        // Another series of the chart already put this x into the shared column.
    } else if (qsizetype(column.size()) == m_size) {
        growForOneMore(column);
        column.push_back(x);
    } else {
        auto own = std::make_shared<std::vector<double>>(m_x->begin(), m_x->begin() + m_size);
        own->push_back(x);
        m_x = std::move(own);
    }
    growForOneMore(m_y);
    m_y.push_back(y);
    const qsizetype i = m_size++;

    // Fold the new value into every level above it.
    const MinMax v{y, y};
    qsizetype idx = i;
    for (size_t k = 0; k < m_levels.size() || k == 0; ++k) {
        if (k == m_levels.size())
            m_levels.emplace_back();
        auto& lv = m_levels[k];
        idx /= kBlock;
        if (qsizetype(lv.size()) == idx)
            lv.push_back(v);
        else
            merge(lv[size_t(idx)], v);
        if (k + 1 == m_levels.size() && lv.size() > 1) {
            std::vector<MinMax> up;
            for (size_t j = 0; j < lv.size(); j += kBlock) {
                MinMax m = lv[j];
                for (size_t t = j + 1; t < std::min(lv.size(), j + size_t(kBlock)); ++t)
                    merge(m, lv[t]);
                up.push_back(m);
            }
            m_levels.push_back(std::move(up));
        }
    }
}

void SeriesData::assign(std::vector<double> x, std::vector<double> y) {
    m_size = qsizetype(x.size());
    m_x = std::make_shared<std::vector<double>>(std::move(x));
    m_y = std::move(y);
    rebuildIndexFrom(0);
}

void SeriesData::assignShared(std::shared_ptr<std::vector<double>> x, qsizetype count,
                              std::vector<double> y) {
    m_size = count;
    m_x = std::move(x);
    m_y = std::move(y);
    rebuildIndexFrom(0);
}

void SeriesData::rebuildIndexFrom(qsizetype from) {
    qsizetype count = m_size;
    qsizetype first = std::max<qsizetype>(from, 0);
    size_t k = 0;
    while (count > 1 || (k == 0 && count > 0)) {
        const qsizetype blocks = (count + kBlock - 1) / kBlock;
        if (k == m_levels.size())
            m_levels.emplace_back();
        auto& lv = m_levels[k];
        lv.resize(size_t(blocks));
        for (qsizetype b = first / kBlock; b < blocks; ++b) {
            MinMax m{std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()};
            const qsizetype end = std::min(count, (b + 1) * kBlock);
            for (qsizetype i = b * kBlock; i < end; ++i) {
                if (k == 0)
                    merge(m, {m_y[size_t(i)], m_y[size_t(i)]});
                else
                    merge(m, m_levels[k - 1][size_t(i)]);
            }
            lv[size_t(b)] = m;
        }
        count = blocks;
        first /= kBlock;
        ++k;
        if (blocks <= 1)
            break;
    }
    m_levels.resize(k);
}

// --- ChartModel -------------------------------------------------------------

ChartModel::ChartModel() : m_sharedX(std::make_shared<std::vector<double>>()) {}

int ChartModel::addSeries(const SeriesStyle& style) {
    m_styles.push_back(style);
    m_series.emplace_back();
    return int(m_series.size()) - 1;
}

const SeriesStyle& ChartModel::style(int series) const {
    if (series < 0 || series >= seriesCount())
        throw std::out_of_range("chart series index " + std::to_string(series) + " out of range");
    return m_styles[size_t(series)];
}

void ChartModel::setStyle(int series, const SeriesStyle& s) {
    style(series);
    m_styles[size_t(series)] = s;
}

quint32 ChartModel::effectiveColor(int series) const {
    const SeriesStyle& s = style(series);
    return s.paletteColor ? paletteColor(series) : s.color;
}

SeriesData& ChartModel::mutableData(int series) {
    style(series);
    return m_series[size_t(series)];
}

const SeriesData& ChartModel::data(int series) const {
    style(series);
    return m_series[size_t(series)];
}

void ChartModel::addPoint(int series, double x, double y) {
    SeriesData& d = mutableData(series);
    // A point without a time has no place in the order; it is dropped.
    if (!std::isfinite(x))
        return;
    d.append(x, y, m_sharedX);
}

void ChartModel::setPoints(int series, std::vector<double> x, std::vector<double> y) {
    if (x.size() != y.size())
        throw std::invalid_argument("chart series: x and y counts differ");
    SeriesData& d = mutableData(series);
    if (!std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); })) {
        size_t kept = 0;
        for (size_t i = 0; i < x.size(); ++i) {
            if (std::isfinite(x[i])) {
                x[kept] = x[i];
                y[kept] = y[i];
                ++kept;
            }
        }
        x.resize(kept);
        y.resize(kept);
    }
    if (!std::is_sorted(x.begin(), x.end())) {
        std::vector<size_t> order(x.size());
        std::iota(order.begin(), order.end(), size_t(0));
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return x[a] < x[b]; });
        std::vector<double> sx(x.size()), sy(y.size());
        for (size_t i = 0; i < order.size(); ++i) {
            sx[i] = x[order[i]];
            sy[i] = y[order[i]];
        }
        x = std::move(sx);
        y = std::move(sy);
    }
    d.assign(std::move(x), std::move(y));
}

void ChartModel::setPointsAtTimesOf(int series, int sameTimesAs, std::vector<double> y) {
    const SeriesData& times = data(sameTimesAs);
    if (qsizetype(y.size()) != times.size())
        throw std::invalid_argument("chart series: x and y counts differ");
    mutableData(series).assignShared(times.m_x, times.size(), std::move(y));
}

void ChartModel::clearPoints(int series) {
    mutableData(series).assign({}, {});
}

bool ChartModel::xExtent(double& minX, double& maxX) const {
    bool found = false;
    for (int i = 0; i < seriesCount(); ++i) {
        const SeriesData& d = m_series[size_t(i)];
        if (!m_styles[size_t(i)].active || d.size() == 0)
            continue;
        const double lo = d.x(0);
        const double hi = d.x(d.size() - 1);
        minX = found ? std::min(minX, lo) : lo;
        maxX = found ? std::max(maxX, hi) : hi;
        found = true;
    }
    return found;
}

bool ChartModel::yExtent(double& minY, double& maxY) const {
    bool found = false;
    for (int i = 0; i < seriesCount(); ++i) {
        const SeriesData& d = m_series[size_t(i)];
        if (!m_styles[size_t(i)].active || d.size() == 0)
            continue;
        double lo, hi;
        d.yRange(0, d.size(), lo, hi);
        minY = found ? std::min(minY, lo) : lo;
        maxY = found ? std::max(maxY, hi) : hi;
        found = true;
    }
    return found;
}

size_t ChartModel::memoryBytes() const {
    std::unordered_set<const void*> columns;
    size_t bytes = 0;
    for (const SeriesData& d : m_series) {
        bytes += d.memoryBytes();
        if (!columns.insert(d.m_x.get()).second)
            bytes -= d.m_x->capacity() * sizeof(double);
    }
    return bytes;
}

void ChartModel::reset() {
    m_styles.clear();
    m_series.clear();
    m_sharedX = std::make_shared<std::vector<double>>();
    m_settings = ChartSettings{};
}

}  // namespace kd::chart
