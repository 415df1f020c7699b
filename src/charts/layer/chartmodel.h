#pragma once

#include "axisbreaks.h"

#include <QIODevice>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

namespace kd::chart {

enum class SeriesKind : quint8 { Line = 0, FastLine = 1, Area = 2 };
enum class PenStyle : quint8 { Solid = 0, Dash = 1, Dot = 2 };
enum class Axis : quint8 { Left = 0, Bottom = 1 };
/// How a break is marked on the chart. Only the straight line is used.
enum class BreakLine : quint8 { Straight = 0 };

/// How one series looks. Colours are 0xAARRGGBB.
struct SeriesStyle {
    QString title;
    /// Shown in the legend; empty shows the title.
    QString legendText;
    SeriesKind kind = SeriesKind::Line;
    /// True: the colour comes from the chart palette by series index.
    bool paletteColor = true;
    quint32 color = 0xFF000000;
    PenStyle pen = PenStyle::Solid;
    int width = 1;
    /// Only affects labelling: x values are days since 30 December 1899 either way.
    bool dateTimeX = true;
    /// Shown (the legend check box).
    bool active = true;
    bool operator==(const SeriesStyle&) const = default;
};

/// The colour of the palette entry for a series index (0xAARRGGBB).
quint32 paletteColor(int seriesIndex);

struct AxisSettings {
    double minimum = 0;
    double maximum = 1;
    bool automatic = true;
    QString title;
    bool operator==(const AxisSettings&) const = default;
};

/// Colours of the chart's surfaces (0xAARRGGBB) and its text font family.
struct ChartLook {
    quint32 gradientBottom = 0xFFEAEAEA;
    quint32 gradientTop = 0xFFFFFFFF;
    quint32 sideWall = 0xFFFFFFE0;
    quint32 axisLine = 0xFF404040;
    quint32 grid = 0xFFA9A9A9;
    QString fontFamily = QStringLiteral("Verdana");
    bool operator==(const ChartLook&) const = default;
};

/// Look of the axis breaks: edge pen and the gap's gradient.
struct BreakStyle {
    quint32 penColor = 0xFF000000;
    int penWidth = 1;
    bool gradient = true;
    quint32 gradientEnd = 0xFF808080;
    BreakLine line = BreakLine::Straight;
    bool operator==(const BreakStyle&) const = default;
};

/// Everything of a chart but its points.
struct ChartSettings {
    QString title;
    int titlePixelSize = 16;
    bool titleBold = true;
    bool legendVisible = true;
    int legendLeft = 639;
    int legendTop = 40;
    AxisSettings left{0, 300, false, {}};
    AxisSettings bottom{0, 1, true, {}};
    /// Qt date-time format of the bottom labels; empty picks one by the step.
    QString bottomDateFormat;
    /// Smallest label step of the bottom axis in days.
    double bottomMinStep = 1.0 / 86400.0;
    std::vector<AxisBreak> breaks;
    int breakGapPixels = 0;
    BreakStyle breakStyle;
    ChartLook look;
    bool operator==(const ChartSettings&) const = default;
};

/// The points of one series in ascending x order, with a min/max index over y
/// so that drawing a pixel column costs O(log n) however many points it holds.
/// Series of one chart that receive the same x values in the same order share
/// one x column (the live chart's 18 series get one x per reply).
class SeriesData {
public:
    SeriesData();
    qsizetype size() const { return m_size; }
    double x(qsizetype i) const { return (*m_x)[size_t(i)]; }
    double y(qsizetype i) const { return m_y[size_t(i)]; }
    /// First index with x >= value (size() when none).
    qsizetype lowerBound(double xValue) const;
    /// The same within [from, to), starting from where an even spread of x
    /// puts the value: a few reads for evenly timed points (a redraw walks
    /// the columns left to right without a full search per column).
    qsizetype lowerBound(double xValue, qsizetype from, qsizetype to) const;
    /// Minimum and maximum of y over [from, to); to > from required.
    void yRange(qsizetype from, qsizetype to, double& minY, double& maxY) const;
    /// The points as contiguous arrays of size() values.
    const double* xData() const { return m_x->data(); }
    const double* yData() const { return m_y.data(); }
    /// True when both series read their x values from one shared column and
    /// hold the same number of points (so their x values are the same).
    bool sharesXWith(const SeriesData& other) const {
        return m_x == other.m_x && m_size == other.m_size;
    }
    /// Bytes held by this series (its share of a shared x column counted whole).
    size_t memoryBytes() const;

private:
    friend class ChartModel;
    void append(double x, double y, const std::shared_ptr<std::vector<double>>& sharedColumn);
    void assign(std::vector<double> x, std::vector<double> y);
    void assignShared(std::shared_ptr<std::vector<double>> x, qsizetype count,
                      std::vector<double> y);
    void rebuildIndexFrom(qsizetype from);

    std::shared_ptr<std::vector<double>> m_x;
    std::vector<double> m_y;
    qsizetype m_size = 0;
    // m_levels[k][i]: min and max of y over block i of 16^(k+1) points.
    std::vector<std::vector<std::pair<double, double>>> m_levels;
};

/// The chart's data and settings without any drawing: the part that is
/// saved, read back, exported and tested. Not thread-safe; GUI thread only.
/// Series indices out of range throw std::out_of_range.
class ChartModel {
public:
    ChartModel();

    int addSeries(const SeriesStyle& style);
    int seriesCount() const { return int(m_series.size()); }
    const SeriesStyle& style(int series) const;
    void setStyle(int series, const SeriesStyle& style);
    /// The drawn colour: the palette's or the fixed one.
    quint32 effectiveColor(int series) const;

    /// Appends a point; a point with x below the series' last x is inserted
    /// at its place in x order (the cost grows with the points after it).
    void addPoint(int series, double x, double y);
    /// Replaces the series' points (bulk load). Sizes must match
    /// (std::invalid_argument otherwise); unsorted x are sorted stably.
    void setPoints(int series, std::vector<double> x, std::vector<double> y);
    /// Replaces the series' points by y values at the times of series
    /// `sameTimesAs`, sharing its time column. y must have as many values
    /// (std::invalid_argument otherwise).
    void setPointsAtTimesOf(int series, int sameTimesAs, std::vector<double> y);
    void clearPoints(int series);
    const SeriesData& data(int series) const;

    ChartSettings& settings() { return m_settings; }
    const ChartSettings& settings() const { return m_settings; }

    /// Smallest and largest x (y) over the active series with points; false
    /// when there is none.
    bool xExtent(double& minX, double& maxX) const;
    bool yExtent(double& minY, double& maxY) const;

    /// Bytes held by all points and indices (shared x columns counted once).
    size_t memoryBytes() const;

    /// Removes every series and resets the settings.
    void reset();

private:
    SeriesData& mutableData(int series);
    std::vector<SeriesStyle> m_styles;
    std::vector<SeriesData> m_series;
    std::shared_ptr<std::vector<double>> m_sharedX;
    ChartSettings m_settings;
};

/// Our chart file: magic "KDCHART\0", format version, the settings, then each
/// series' style and every point. Little-endian, Qt data stream 6.0. A series
/// whose times equal an earlier series' names that series instead of
/// repeating them (the live chart's 18 series share one time column).
namespace chartfile {
inline constexpr quint32 formatVersion = 1;
/// Throws std::runtime_error with a readable text when the device fails.
void write(QIODevice& device, const ChartModel& model);
/// Replaces the model's contents; throws std::runtime_error on a file that is
/// not ours, of a newer version, or cut short. The model is unchanged then.
void read(QIODevice& device, ChartModel& model);
/// The name with ".tee" appended when its file name has no extension.
QString withDefaultExtension(const QString& path);
}  // namespace chartfile

/// Writes the points as CSV (UTF-8, ";" separated, "." decimal point): a
/// header "Zeit" / "Time" and the series' titles, then one row per distinct x
/// over all series in ascending order: the x as "yyyy-MM-dd hh:mm:ss" local
/// date-time text, each series' y at that x or an empty cell.
/// `activeOnly` leaves out hidden series. Throws std::runtime_error on a
/// write failure.
void writeCsv(QIODevice& device, const ChartModel& model, bool activeOnly, bool german);

}  // namespace kd::chart
