#include "chartplot_p.h"

#include <QCheckBox>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace kd::chart {

QString tr2(const char* english, const char* german) {
    return QString::fromUtf8(germanTexts() ? german : english);
}

// --- Plot -------------------------------------------------------------------

Plot::Plot(Chart* chart, QWidget* parent) : QCustomPlot(parent), m_chart(chart) {}

void Plot::updateLayout() {
    m_chart->updateMapping();
    QCustomPlot::updateLayout();
    if (axisRect()->width() != int(m_chart->m_mapping.axisPixels())) {
        m_chart->updateMapping();
        QCustomPlot::updateLayout();
    }
}

// --- SeriesPlottable -----------------------------------------------------------

SeriesPlottable::SeriesPlottable(Chart* chart, int series, QCPAxis* keyAxis, QCPAxis* valueAxis)
    : QCPAbstractPlottable(keyAxis, valueAxis), m_chart(chart), m_series(series) {}

QCPRange SeriesPlottable::getKeyRange(bool& foundRange, QCP::SignDomain) const {
    const SeriesData& d = m_chart->m_model.data(m_series);
    foundRange = d.size() > 0;
    return foundRange ? QCPRange(d.x(0), d.x(d.size() - 1)) : QCPRange();
}

QCPRange SeriesPlottable::getValueRange(bool& foundRange, QCP::SignDomain, const QCPRange&) const {
    const SeriesData& d = m_chart->m_model.data(m_series);
    foundRange = d.size() > 0;
    if (!foundRange)
        return {};
    double lo, hi;
    d.yRange(0, d.size(), lo, hi);
    return QCPRange(lo, hi);
}

void SeriesPlottable::draw(QCPPainter* painter) {
    const ChartModel& model = m_chart->m_model;
    const SeriesStyle& style = model.style(m_series);
    const SeriesData& d = model.data(m_series);
    if (!style.active || d.size() == 0)
        return;
    const BreakMapping& map = m_chart->m_mapping;
    const QRect rect = keyAxis()->axisRect()->rect();
    const double left = rect.left();
    const double width = map.axisPixels();
    QCPAxis* va = valueAxis();
    // Far-off values still draw as steep lines without overflowing the painter.
    const double yClampLo = rect.top() - 10000.0;
    const double yClampHi = rect.bottom() + 10000.0;
    auto py = [&](double y) { return std::clamp(va->coordToPixel(y), yClampLo, yClampHi); };
    auto px = [&](double x) {
        return std::clamp(left + map.toPixel(x), left - 10000.0, left + width + 10000.0);
    };

    // One point beyond each edge keeps the line running out of the view.
    qsizetype from = d.lowerBound(map.toReal(0));
    if (from > 0)
        --from;
    qsizetype to = d.lowerBound(map.toReal(width));
    to = std::min(d.size(), to + 1);
    if (to <= from)
        return;

    QVector<QPointF> line;
    if (to - from <= qsizetype(4 * width) + 8) {
        line.reserve(int(to - from));
        for (qsizetype i = from; i < to; ++i)
            line.append(QPointF(px(d.x(i)), py(d.y(i))));
    } else {
        line.reserve(int(4 * width) + 8);
        qsizetype i = from;
        // Points left of the view, then one column per pixel, then the rest.
        for (int column = -1; column <= int(width) && i < to; ++column) {
            const double edge = column < int(width) ? map.toReal(column + 1) : HUGE_VAL;
            qsizetype end = column < int(width) ? d.lowerBound(edge, i, to) : to;
            end = std::clamp(end, i, to);
            const qsizetype n = end - i;
            if (n == 0)
                continue;
            if (n <= 2) {
                for (qsizetype k = i; k < end; ++k)
                    line.append(QPointF(px(d.x(k)), py(d.y(k))));
            } else {
                double lo, hi;
                d.yRange(i, end, lo, hi);
                const double x =
                    column < 0 || column >= int(width) ? px(d.x(i)) : left + column + 0.5;
                line.append(QPointF(x, py(d.y(i))));
                line.append(QPointF(x, py(lo)));
                line.append(QPointF(x, py(hi)));
                line.append(QPointF(x, py(d.y(end - 1))));
            }
            i = end;
        }
    }

    // Values that are not numbers (e.g. from a damaged file) leave a point out.
    line.erase(std::remove_if(
                   line.begin(), line.end(),
                   [](const QPointF& p) { return !std::isfinite(p.x()) || !std::isfinite(p.y()); }),
               line.end());
    const QColor color = QColor::fromRgba(model.effectiveColor(m_series));
    QPen pen(color, std::max(1, style.width));
    pen.setStyle(style.pen == PenStyle::Dash  ? Qt::DashLine
                 : style.pen == PenStyle::Dot ? Qt::DotLine
                                              : Qt::SolidLine);
    if (style.kind == SeriesKind::Area && line.size() > 1) {
        const double base = std::clamp(va->coordToPixel(std::max(va->range().lower, 0.0)),
                                       double(rect.top()), double(rect.bottom()));
        QPolygonF area(line);
        area.append(QPointF(line.back().x(), base));
        area.append(QPointF(line.front().x(), base));
        QColor fill = color;
        fill.setAlpha(140);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawPolygon(area);
    }
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawPolyline(line.constData(), int(line.size()));
}

// --- BreakTicker -------------------------------------------------------------

void BreakTicker::generate(const QCPRange& range, const QLocale&, QChar, int,
                           QVector<double>& ticks, QVector<double>* subTicks,
                           QVector<QString>* tickLabels) {
    ticks.clear();
    if (subTicks)
        subTicks->clear();
    if (tickLabels)
        tickLabels->clear();
    const BreakMapping& map = m_chart->m_mapping;
    const ChartSettings& s = m_chart->m_model.settings();
    const QString format = s.bottomDateFormat;
    // Wide enough for the longest label of the format, as drawn in Verdana 11 px.
    const double labelPixels = format.isEmpty() ? 90 : std::max(50.0, 8.0 * format.size());
    for (const Tick& t : roundTicks(map, s.bottomMinStep, labelPixels, format)) {
        ticks.append(range.lower + t.pixel / map.axisPixels() * range.size());
        if (tickLabels)
            tickLabels->append(t.label);
    }
}

// --- BreakMarks ------------------------------------------------------------------

BreakMarks::BreakMarks(Chart* chart, QCustomPlot* plot)
    : QCPLayerable(plot, QStringLiteral("axes")), m_chart(chart) {}

void BreakMarks::applyDefaultAntialiasingHint(QCPPainter* painter) const {
    painter->setAntialiasing(false);
}

void BreakMarks::draw(QCPPainter* painter) {
    const ChartSettings& s = m_chart->m_model.settings();
    const QRect rect = parentPlot()->axisRect()->rect();
    // Side walls: a narrow strip along the left and the bottom axis.
    const QColor wall = QColor::fromRgba(s.look.sideWall);
    painter->fillRect(QRect(rect.left() - 4, rect.top(), 4, rect.height() + 4), wall);
    painter->fillRect(QRect(rect.left() - 4, rect.bottom() + 1, rect.width() + 4, 4), wall);

    const BreakStyle& st = s.breakStyle;
    QPen pen(QColor::fromRgba(st.penColor), std::max(1, st.penWidth));
    for (const BreakMapping::Gap& g : m_chart->m_mapping.gaps()) {
        const double a = rect.left() + g.from;
        const double b = rect.left() + g.to;
        const QRectF gapRect(QPointF(a, rect.top()), QPointF(b, rect.bottom()));
        if (st.gradient && b - a >= 1) {
            QLinearGradient grad(gapRect.topLeft(), gapRect.topRight());
            grad.setColorAt(0, Qt::white);
            grad.setColorAt(1, QColor::fromRgba(st.gradientEnd));
            painter->fillRect(gapRect, grad);
        }
        painter->setPen(pen);
        painter->drawLine(QPointF(a, rect.top()), QPointF(a, rect.bottom()));
        if (b - a >= 1)
            painter->drawLine(QPointF(b, rect.top()), QPointF(b, rect.bottom()));
    }
}

// --- LegendBox ---------------------------------------------------------------------

LegendBox::LegendBox(QWidget* parent) : QFrame(parent), m_layout(new QVBoxLayout(this)) {
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    m_layout->setContentsMargins(1, 2, 1, 2);
    m_layout->setSpacing(0);
}

QCheckBox* LegendBox::box(int series) const {
    return series >= 0 && series < int(m_boxes.size()) ? m_boxes[size_t(series)] : nullptr;
}

void LegendBox::sync(const ChartModel& model) {
    while (int(m_boxes.size()) < model.seriesCount()) {
        const int index = int(m_boxes.size());
        auto* box = new QCheckBox(this);
        m_layout->addWidget(box);
        m_boxes.push_back(box);
        connect(box, &QCheckBox::toggled, this,
                [this, index](bool on) { emit toggled(index, on); });
    }
    while (int(m_boxes.size()) > model.seriesCount()) {
        delete m_boxes.back();
        m_boxes.pop_back();
    }
    QFont f(model.settings().look.fontFamily);
    f.setPixelSize(11);
    for (int i = 0; i < model.seriesCount(); ++i) {
        const SeriesStyle& st = model.style(i);
        QCheckBox* box = m_boxes[size_t(i)];
        box->setFont(f);
        box->setText(st.legendText.isEmpty() ? st.title : st.legendText);
        QPixmap sample(20, 10);
        sample.fill(Qt::transparent);
        {
            QPainter p(&sample);
            const QColor c = QColor::fromRgba(model.effectiveColor(i));
            if (st.kind == SeriesKind::Area) {
                p.fillRect(2, 2, 16, 7, c);
            } else {
                QPen pen(c, 2);
                pen.setStyle(st.pen == PenStyle::Dash  ? Qt::DashLine
                             : st.pen == PenStyle::Dot ? Qt::DotLine
                                                       : Qt::SolidLine);
                p.setPen(pen);
                p.drawLine(1, 5, 19, 5);
            }
        }
        box->setIcon(QIcon(sample));
        box->setIconSize(sample.size());
        const QSignalBlocker quiet(box);
        box->setChecked(st.active);
    }
    adjustSize();
}

}  // namespace kd::chart
