#pragma once

// Internal to the chart layer: the pieces drawn by the plotting library.

#include "chart.h"

#include <qcustomplot.h>
#include <QFrame>

class QCheckBox;
class QVBoxLayout;

namespace kd::chart {

/// The plot; lays itself out twice when the plot width changed, so the
/// bottom axis ticks always match the break mapping of the drawn width.
class Plot : public QCustomPlot {
public:
    Plot(Chart* chart, QWidget* parent);

protected:
    void updateLayout() override;

private:
    Chart* m_chart;
};

/// Draws one series of the model straight from its storage: per pixel column
/// the first, lowest, highest and last value, found through the series'
/// min/max index, so a redraw costs about the same after an hour or a week.
class SeriesPlottable : public QCPAbstractPlottable {
public:
    SeriesPlottable(Chart* chart, int series, QCPAxis* keyAxis, QCPAxis* valueAxis);
    double selectTest(const QPointF&, bool, QVariant* = nullptr) const override { return -1; }
    QCPRange getKeyRange(bool& foundRange, QCP::SignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain = QCP::sdBoth,
                           const QCPRange& = QCPRange()) const override;

protected:
    void draw(QCPPainter* painter) override;
    void drawLegendIcon(QCPPainter*, const QRectF&) const override {}

private:
    Chart* m_chart;
    int m_series;
};

/// Bottom-axis ticks at round real times, placed through the break mapping.
class BreakTicker : public QCPAxisTicker {
public:
    explicit BreakTicker(Chart* chart) : m_chart(chart) {}
    void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                  QVector<double>& ticks, QVector<double>* subTicks,
                  QVector<QString>* tickLabels) override;

private:
    Chart* m_chart;
};

/// The side walls and the gaps of the breaks with a straight line at each edge.
class BreakMarks : public QCPLayerable {
public:
    BreakMarks(Chart* chart, QCustomPlot* plot);

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
    void draw(QCPPainter* painter) override;

private:
    Chart* m_chart;
};

/// The floating legend: one check box per series that shows or hides it.
class LegendBox : public QFrame {
    Q_OBJECT
public:
    explicit LegendBox(QWidget* parent);
    /// Rebuilds the boxes to match the model (titles, colours, active flags).
    void sync(const ChartModel& model);
    QCheckBox* box(int series) const;

signals:
    void toggled(int series, bool active);

private:
    QVBoxLayout* m_layout;
    std::vector<QCheckBox*> m_boxes;
};

/// The German or English text, by the program-wide switch.
QString tr2(const char* english, const char* german);

}  // namespace kd::chart
