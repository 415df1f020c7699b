#pragma once

#include "chartmodel.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QWidget>

class QCheckBox;
class QCPTextElement;
class QCustomPlot;
class QPaintDevice;
class QTimer;

namespace kd::chart {

class LegendBox;
class SeriesPlottable;
class BreakTicker;
class BreakMarks;
class Plot;

/// Our charting component: every chart of the program is one of these, and
/// windows use only this interface (never the plotting library underneath).
///
/// Thread: GUI thread only. Failures that the user must see (an axis minimum
/// above the maximum, a file that cannot be written or read) throw kd::Error,
/// which the default error box shows; the chart is unchanged then.
/// x values are date-times in days since 30 December 1899 (local time, time of
/// day as fraction). Series are addressed by index in the order they were
/// added.
class Chart : public QWidget {
    Q_OBJECT
public:
    explicit Chart(QWidget* parent = nullptr);
    ~Chart() override;

    // --- series -----------------------------------------------------------
    /// Adds a series at the end; returns its index.
    int addSeries(const SeriesStyle& style);
    int seriesCount() const;
    SeriesStyle seriesStyle(int series) const;
    void setSeriesStyle(int series, const SeriesStyle& style);
    QString seriesTitle(int series) const;
    void setSeriesTitle(int series, const QString& title);
    /// Shown or hidden (the legend check box follows).
    bool isSeriesActive(int series) const;
    void setSeriesActive(int series, bool active);
    /// The colour the series is drawn in.
    QColor seriesColor(int series) const;

    /// Appends one point. The chart redraws within the redraw interval, not
    /// per point, so many points per second cost little.
    void addPoint(int series, double x, double y);
    /// Replaces a series' points in one go (e.g. the rows of a query).
    void setSeriesPoints(int series, std::vector<double> x, std::vector<double> y);
    void clearSeries(int series);
    qsizetype pointCount(int series) const;
    double pointX(int series, qsizetype point) const;
    double pointY(int series, qsizetype point) const;

    // --- axes -------------------------------------------------------------
    /// Sets the minimum; throws kd::Error (range unchanged) when it is above
    /// the current maximum. Turns automatic off.
    void setAxisMinimum(Axis axis, double minimum);
    /// Sets the maximum; throws kd::Error (range unchanged) when it is below
    /// the current minimum. Turns automatic off.
    void setAxisMaximum(Axis axis, double maximum);
    /// The current range (for an automatic axis: as last fitted).
    double axisMinimum(Axis axis) const;
    double axisMaximum(Axis axis) const;
    /// On: the axis fits the active series' data at every redraw (an empty
    /// chart keeps the range it has). Off: the current range is kept.
    void setAxisAutomatic(Axis axis, bool automatic);
    bool isAxisAutomatic(Axis axis) const;
    void setAxisTitle(Axis axis, const QString& title);

    /// Label format of the bottom axis, a Qt date-time format such as
    /// "dd.MM.yy hh:mm" or "dd.MM.yy"; empty chooses by the label step.
    void setBottomDateFormat(const QString& format);
    QString bottomDateFormat() const;
    /// Smallest bottom label step in days (default one second).
    void setBottomMinimumStep(double days);

    // --- legend and title ---------------------------------------------------
    /// The legend lists every series with a check box that shows or hides it.
    /// It floats over the chart at an absolute position (pixels within the
    /// chart) and never shrinks the plot area.
    void setLegendVisible(bool visible);
    bool isLegendVisible() const;
    void setLegendPosition(const QPoint& topLeft);
    void setLegendLeft(int left);
    QPoint legendPosition() const;
    /// The check box of a series in the legend (for tests and tools).
    QCheckBox* legendCheckBox(int series) const;

    /// One line above the chart; empty hides it.
    void setTitle(const QString& title);
    QString title() const;
    void setTitleFont(int pixelSize, bool bold);

    // --- axis breaks (bottom axis) -------------------------------------------
    void clearBreaks();
    /// Cuts [start, end] out of the bottom axis (start and end may come in
    /// either order; an empty span is ignored).
    void addBreak(double start, double end);
    std::vector<AxisBreak> breaks() const;
    /// Pixels left for each break.
    void setBreakGapPixels(int pixels);
    int breakGapPixels() const;
    void setBreakStyle(const BreakStyle& style);
    /// The mapping between real time and bottom-axis pixels as last drawn.
    BreakMapping currentMapping() const;

    // --- look ---------------------------------------------------------------
    void setLook(const ChartLook& look);
    ChartLook look() const;

    // --- drawing --------------------------------------------------------------
    /// Redraws now (fitting automatic axes), instead of at the next tick.
    void repaintNow();
    /// Longest delay between a change of points and the redraw (default 250 ms).
    void setRedrawInterval(int milliseconds);
    /// The chart with its legend and title as a picture of the given size
    /// (the current size when empty).
    QImage toImage(const QSize& size = {});
    /// Paints the chart with its legend into `target` on any paint device
    /// (image, printer, PDF, SVG); vector devices get vector drawing.
    void renderTo(QPaintDevice& device, const QRect& target);

    // --- files and exports ------------------------------------------------------
    /// Saves the chart with all points in our chart file format; ".tee" is
    /// appended when the name has no extension. Returns the name written.
    /// Throws kd::Error when the file cannot be written.
    QString saveToFile(const QString& path) const;
    /// Replaces this chart's series, points and settings by a saved chart.
    /// Throws kd::Error on a missing or foreign file.
    void loadFromFile(const QString& path);
    /// Picture export; the format follows the extension (png, jpg/jpeg, bmp,
    /// pdf, svg; anything else throws kd::Error). Throws on write failure.
    void exportPicture(const QString& path);
    /// Data export as CSV (see writeCsv); all series, shown or not.
    void exportCsv(const QString& path) const;

    // --- dialogs (modal) ----------------------------------------------------------
    /// Format choice and file choice, then exports.
    void showExportDialog(QWidget* parent = nullptr);
    /// Series, axes, legend and title; changes apply at once.
    void showEditorDialog(QWidget* parent = nullptr);
    /// Print preview with printing.
    void showPrintPreview(QWidget* parent = nullptr);

    /// The data and settings, for reading back everything at once.
    const ChartModel& model() const { return m_model; }

signals:
    /// A series was shown or hidden (legend box, editor or code).
    void seriesActiveChanged(int series, bool active);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class Plot;
    friend class SeriesPlottable;
    friend class BreakTicker;
    friend class BreakMarks;
    void scheduleRedraw();
    void redraw();
    void applySettingsToPlot();
    void fitAutomaticAxes();
    void rebuildPlottables();
    void syncLegend();
    void updateMapping();

    ChartModel m_model;
    Plot* m_plot = nullptr;
    LegendBox* m_legend = nullptr;
    QTimer* m_redrawTimer = nullptr;
    std::vector<SeriesPlottable*> m_plottables;
    BreakMarks* m_breakMarks = nullptr;
    BreakMapping m_mapping;
    bool m_dirty = false;
    QCPTextElement* m_titleElement = nullptr;
};

/// Switches the chart component's own dialogs and messages to German for the
/// rest of the run (default English). Program-wide.
void setGermanTexts(bool german = true);
bool germanTexts();

}  // namespace kd::chart
