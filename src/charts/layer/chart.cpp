#include "chart.h"

#include "chartdialogs_p.h"
#include "chartplot_p.h"
#include "errorbox.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTimer>

#include <cmath>
#include <stdexcept>

namespace kd::chart {

namespace {
bool& germanFlag() {
    static bool german = false;
    return german;
}

QBrush verticalGradient(quint32 bottom, quint32 top) {
    QLinearGradient g(0, 0, 0, 1);
    g.setCoordinateMode(QGradient::ObjectBoundingMode);
    g.setColorAt(0, QColor::fromRgba(top));
    g.setColorAt(1, QColor::fromRgba(bottom));
    return QBrush(g);
}

QString numberText(double v) {
    return QString::number(v, 'g', 10);
}
}  // namespace

void setGermanTexts(bool german) {
    germanFlag() = german;
}

bool germanTexts() {
    return germanFlag();
}

Chart::Chart(QWidget* parent) : QWidget(parent) {
    m_plot = new Plot(this, this);
    m_plot->setGeometry(rect());
    m_plot->setInteractions({});
    m_plot->setNoAntialiasingOnDrag(true);
    m_plot->xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new BreakTicker(this)));
    m_plot->xAxis2->setVisible(true);
    m_plot->yAxis2->setVisible(true);
    for (QCPAxis* a : {m_plot->xAxis2, m_plot->yAxis2}) {
        a->setTicks(false);
        a->setTickLabels(false);
    }
    m_plot->xAxis->setSubTicks(false);
    m_breakMarks = new BreakMarks(this, m_plot);

    m_legend = new LegendBox(this);
    connect(m_legend, &LegendBox::toggled, this, &Chart::setSeriesActive);

    m_redrawTimer = new QTimer(this);
    m_redrawTimer->setSingleShot(true);
    m_redrawTimer->setInterval(250);
    connect(m_redrawTimer, &QTimer::timeout, this, &Chart::redraw);

    applySettingsToPlot();
    syncLegend();
}

Chart::~Chart() = default;

// --- series -------------------------------------------------------------------

int Chart::addSeries(const SeriesStyle& style) {
    const int index = m_model.addSeries(style);
    m_plottables.push_back(new SeriesPlottable(this, index, m_plot->xAxis, m_plot->yAxis));
    syncLegend();
    scheduleRedraw();
    return index;
}

int Chart::seriesCount() const {
    return m_model.seriesCount();
}

SeriesStyle Chart::seriesStyle(int series) const {
    return m_model.style(series);
}

void Chart::setSeriesStyle(int series, const SeriesStyle& style) {
    const bool wasActive = m_model.style(series).active;
    m_model.setStyle(series, style);
    syncLegend();
    scheduleRedraw();
    if (wasActive != style.active)
        emit seriesActiveChanged(series, style.active);
}

QString Chart::seriesTitle(int series) const {
    return m_model.style(series).title;
}

void Chart::setSeriesTitle(int series, const QString& title) {
    SeriesStyle s = m_model.style(series);
    s.title = title;
    setSeriesStyle(series, s);
}

bool Chart::isSeriesActive(int series) const {
    return m_model.style(series).active;
}

void Chart::setSeriesActive(int series, bool active) {
    SeriesStyle s = m_model.style(series);
    if (s.active == active)
        return;
    s.active = active;
    setSeriesStyle(series, s);
}

QColor Chart::seriesColor(int series) const {
    return QColor::fromRgba(m_model.effectiveColor(series));
}

void Chart::addPoint(int series, double x, double y) {
    m_model.addPoint(series, x, y);
    scheduleRedraw();
}

void Chart::setSeriesPoints(int series, std::vector<double> x, std::vector<double> y) {
    try {
        m_model.setPoints(series, std::move(x), std::move(y));
    } catch (const std::invalid_argument& e) {
        throw kd::Error(QString::fromUtf8(e.what()));
    }
    scheduleRedraw();
}

void Chart::clearSeries(int series) {
    m_model.clearPoints(series);
    scheduleRedraw();
}

qsizetype Chart::pointCount(int series) const {
    return m_model.data(series).size();
}

double Chart::pointX(int series, qsizetype point) const {
    const SeriesData& d = m_model.data(series);
    if (point < 0 || point >= d.size())
        throw std::out_of_range("chart point index out of range");
    return d.x(point);
}

double Chart::pointY(int series, qsizetype point) const {
    const SeriesData& d = m_model.data(series);
    if (point < 0 || point >= d.size())
        throw std::out_of_range("chart point index out of range");
    return d.y(point);
}

// --- axes ---------------------------------------------------------------------

namespace {
AxisSettings& axisOf(ChartModel& m, Axis axis) {
    return axis == Axis::Left ? m.settings().left : m.settings().bottom;
}
const AxisSettings& axisOf(const ChartModel& m, Axis axis) {
    return axis == Axis::Left ? m.settings().left : m.settings().bottom;
}
}  // namespace

void Chart::setAxisMinimum(Axis axis, double minimum) {
    fitAutomaticAxes();
    AxisSettings& a = axisOf(m_model, axis);
    if (!(minimum <= a.maximum))
        throw kd::Error(tr2("The axis minimum (%1) must not be greater than the axis maximum (%2).",
                            "Das Minimum der Achse (%1) darf nicht größer als ihr Maximum (%2) "
                            "sein.")
                            .arg(numberText(minimum), numberText(a.maximum)));
    a.minimum = minimum;
    a.automatic = false;
    scheduleRedraw();
}

void Chart::setAxisMaximum(Axis axis, double maximum) {
    fitAutomaticAxes();
    AxisSettings& a = axisOf(m_model, axis);
    if (!(maximum >= a.minimum))
        throw kd::Error(tr2("The axis maximum (%1) must not be less than the axis minimum (%2).",
                            "Das Maximum der Achse (%1) darf nicht kleiner als ihr Minimum (%2) "
                            "sein.")
                            .arg(numberText(maximum), numberText(a.minimum)));
    a.maximum = maximum;
    a.automatic = false;
    scheduleRedraw();
}

double Chart::axisMinimum(Axis axis) const {
    return axisOf(m_model, axis).minimum;
}

double Chart::axisMaximum(Axis axis) const {
    return axisOf(m_model, axis).maximum;
}

void Chart::setAxisAutomatic(Axis axis, bool automatic) {
    // Fitting first makes "off" keep the range the data give now, even when
    // the coalesced redraw has not run since the last points came in.
    fitAutomaticAxes();
    axisOf(m_model, axis).automatic = automatic;
    fitAutomaticAxes();
    scheduleRedraw();
}

bool Chart::isAxisAutomatic(Axis axis) const {
    return axisOf(m_model, axis).automatic;
}

void Chart::setAxisTitle(Axis axis, const QString& title) {
    axisOf(m_model, axis).title = title;
    applySettingsToPlot();
}

void Chart::setBottomDateFormat(const QString& format) {
    m_model.settings().bottomDateFormat = format;
    scheduleRedraw();
}

QString Chart::bottomDateFormat() const {
    return m_model.settings().bottomDateFormat;
}

void Chart::setBottomMinimumStep(double days) {
    m_model.settings().bottomMinStep = days > 0 ? days : 0;
    scheduleRedraw();
}

void Chart::fitAutomaticAxes() {
    ChartSettings& s = m_model.settings();
    double lo, hi;
    if (s.bottom.automatic && m_model.xExtent(lo, hi) && std::isfinite(lo) && std::isfinite(hi)) {
        if (hi <= lo) {
            lo -= 1.0 / 1440;
            hi += 1.0 / 1440;
        }
        s.bottom.minimum = lo;
        s.bottom.maximum = hi;
    }
    if (s.left.automatic && m_model.yExtent(lo, hi) && std::isfinite(lo) && std::isfinite(hi)) {
        if (hi <= lo) {
            lo -= 1;
            hi += 1;
        }
        s.left.minimum = lo;
        s.left.maximum = hi;
    }
}

// --- legend and title ---------------------------------------------------------------

void Chart::setLegendVisible(bool visible) {
    m_model.settings().legendVisible = visible;
    m_legend->setVisible(visible);
}

bool Chart::isLegendVisible() const {
    return m_model.settings().legendVisible;
}

void Chart::setLegendPosition(const QPoint& topLeft) {
    m_model.settings().legendLeft = topLeft.x();
    m_model.settings().legendTop = topLeft.y();
    m_legend->move(topLeft);
}

void Chart::setLegendLeft(int left) {
    setLegendPosition(QPoint(left, m_model.settings().legendTop));
}

QPoint Chart::legendPosition() const {
    return {m_model.settings().legendLeft, m_model.settings().legendTop};
}

QCheckBox* Chart::legendCheckBox(int series) const {
    return m_legend->box(series);
}

void Chart::setTitle(const QString& title) {
    m_model.settings().title = title;
    applySettingsToPlot();
    scheduleRedraw();
}

QString Chart::title() const {
    return m_model.settings().title;
}

void Chart::setTitleFont(int pixelSize, bool bold) {
    m_model.settings().titlePixelSize = pixelSize;
    m_model.settings().titleBold = bold;
    applySettingsToPlot();
}

// --- breaks ---------------------------------------------------------------------

void Chart::clearBreaks() {
    m_model.settings().breaks.clear();
    scheduleRedraw();
}

void Chart::addBreak(double start, double end) {
    if (end < start)
        std::swap(start, end);
    if (!(end > start))
        return;
    m_model.settings().breaks.push_back({start, end});
    scheduleRedraw();
}

std::vector<AxisBreak> Chart::breaks() const {
    return m_model.settings().breaks;
}

void Chart::setBreakGapPixels(int pixels) {
    m_model.settings().breakGapPixels = std::max(0, pixels);
    scheduleRedraw();
}

int Chart::breakGapPixels() const {
    return m_model.settings().breakGapPixels;
}

void Chart::setBreakStyle(const BreakStyle& style) {
    m_model.settings().breakStyle = style;
    scheduleRedraw();
}

BreakMapping Chart::currentMapping() const {
    return m_mapping;
}

void Chart::updateMapping() {
    const ChartSettings& s = m_model.settings();
    m_mapping = BreakMapping(s.breaks, s.bottom.minimum, s.bottom.maximum,
                             m_plot->axisRect()->width(), s.breakGapPixels);
}

// --- look -----------------------------------------------------------------------

void Chart::setLook(const ChartLook& look) {
    m_model.settings().look = look;
    applySettingsToPlot();
    syncLegend();
    scheduleRedraw();
}

ChartLook Chart::look() const {
    return m_model.settings().look;
}

void Chart::applySettingsToPlot() {
    const ChartSettings& s = m_model.settings();
    const ChartLook& look = s.look;
    m_plot->setBackground(verticalGradient(look.gradientBottom, look.gradientTop));
    m_plot->axisRect()->setBackground(verticalGradient(look.gradientBottom, look.gradientTop));
    QFont font(look.fontFamily);
    font.setPixelSize(11);
    const QPen axisPen(QColor::fromRgba(look.axisLine));
    const QPen gridPen(QColor::fromRgba(look.grid), 0, Qt::SolidLine);
    for (QCPAxis* a : {m_plot->xAxis, m_plot->yAxis, m_plot->xAxis2, m_plot->yAxis2}) {
        a->setBasePen(axisPen);
        a->setTickPen(QPen(QColor::fromRgba(look.grid)));
        a->setSubTickPen(QPen(QColor::fromRgba(look.grid)));
        a->setTickLabelFont(font);
        a->setLabelFont(font);
        a->setTickLengthIn(4);
        a->setTickLengthOut(0);
        a->grid()->setPen(gridPen);
        a->grid()->setZeroLinePen(Qt::NoPen);
    }
    m_plot->xAxis->setLabel(s.bottom.title);
    m_plot->yAxis->setLabel(s.left.title);

    QFont titleFont(look.fontFamily);
    titleFont.setPixelSize(s.titlePixelSize);
    titleFont.setBold(s.titleBold);
    if (s.title.isEmpty()) {
        if (m_titleElement) {
            m_plot->plotLayout()->remove(m_titleElement);
            m_plot->plotLayout()->simplify();
            m_titleElement = nullptr;
        }
    } else {
        if (!m_titleElement) {
            m_plot->plotLayout()->insertRow(0);
            m_titleElement = new QCPTextElement(m_plot, s.title, titleFont);
            m_plot->plotLayout()->addElement(0, 0, m_titleElement);
        }
        m_titleElement->setText(s.title);
        m_titleElement->setFont(titleFont);
    }
    m_legend->move(s.legendLeft, s.legendTop);
    m_legend->setVisible(s.legendVisible);
}

void Chart::syncLegend() {
    m_legend->sync(m_model);
    m_legend->raise();
}

void Chart::rebuildPlottables() {
    for (SeriesPlottable* p : m_plottables)
        m_plot->removePlottable(p);
    m_plottables.clear();
    for (int i = 0; i < m_model.seriesCount(); ++i)
        m_plottables.push_back(new SeriesPlottable(this, i, m_plot->xAxis, m_plot->yAxis));
}

// --- drawing ----------------------------------------------------------------------

void Chart::scheduleRedraw() {
    if (!m_redrawTimer->isActive())
        m_redrawTimer->start();
}

void Chart::setRedrawInterval(int milliseconds) {
    m_redrawTimer->setInterval(std::max(0, milliseconds));
}

void Chart::redraw() {
    m_redrawTimer->stop();
    fitAutomaticAxes();
    const ChartSettings& s = m_model.settings();
    m_plot->xAxis->setRange(s.bottom.minimum, s.bottom.maximum);
    m_plot->yAxis->setRange(s.left.minimum, s.left.maximum);
    m_plot->xAxis2->setRange(m_plot->xAxis->range());
    m_plot->yAxis2->setRange(m_plot->yAxis->range());
    // A hidden chart only keeps its data; it draws when it is shown.
    if (!isVisible()) {
        m_dirty = true;
        return;
    }
    m_dirty = false;
    m_plot->replot();
}

void Chart::repaintNow() {
    redraw();
}

void Chart::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_plot->setGeometry(rect());
}

void Chart::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_dirty)
        redraw();
}

void Chart::renderTo(QPaintDevice& device, const QRect& target) {
    const QSize size = this->size().isEmpty() ? QSize(640, 480) : this->size();
    const double scale =
        std::min(double(target.width()) / size.width(), double(target.height()) / size.height());
    redraw();
    QCPPainter painter(&device);
    if (device.devType() != QInternal::Image && device.devType() != QInternal::Pixmap) {
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
    }
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    m_plot->toPainter(&painter, size.width(), size.height());
    if (m_model.settings().legendVisible) {
        m_legend->ensurePolished();
        m_legend->render(&painter, m_legend->pos(), QRegion(), QWidget::DrawChildren);
    }
}

QImage Chart::toImage(const QSize& size) {
    const QSize want =
        size.isEmpty() ? (this->size().isEmpty() ? QSize(640, 480) : this->size()) : size;
    QImage image(want, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    redraw();
    QCPPainter painter(&image);
    m_plot->toPainter(&painter, want.width(), want.height());
    if (m_model.settings().legendVisible) {
        m_legend->ensurePolished();
        m_legend->render(&painter, m_legend->pos(), QRegion(), QWidget::DrawChildren);
    }
    painter.end();
    return image;
}

// --- files ---------------------------------------------------------------------------

QString Chart::saveToFile(const QString& path) const {
    const QString name = chartfile::withDefaultExtension(path);
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        throw kd::Error(tr2("The file \"%1\" cannot be written: %2",
                            "Die Datei \"%1\" kann nicht geschrieben werden: %2")
                            .arg(name, file.errorString()));
    try {
        chartfile::write(file, m_model);
    } catch (const std::runtime_error& e) {
        file.cancelWriting();
        throw kd::Error(QString::fromUtf8(e.what()));
    }
    if (!file.commit())
        throw kd::Error(tr2("The file \"%1\" cannot be written: %2",
                            "Die Datei \"%1\" kann nicht geschrieben werden: %2")
                            .arg(name, file.errorString()));
    return name;
}

void Chart::loadFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw kd::Error(tr2("The file \"%1\" cannot be read: %2",
                            "Die Datei \"%1\" kann nicht gelesen werden: %2")
                            .arg(path, file.errorString()));
    ChartModel loaded;
    try {
        chartfile::read(file, loaded);
    } catch (const std::runtime_error& e) {
        throw kd::Error(QString::fromUtf8(e.what()));
    }
    m_model = std::move(loaded);
    rebuildPlottables();
    applySettingsToPlot();
    syncLegend();
    scheduleRedraw();
}

void Chart::exportPicture(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    auto failed = [&] {
        return kd::Error(tr2("The file \"%1\" cannot be written.",
                             "Die Datei \"%1\" kann nicht geschrieben werden.")
                             .arg(path));
    };
    const QSize size = this->size().isEmpty() ? QSize(640, 480) : this->size();
    if (suffix == QLatin1String("png") || suffix == QLatin1String("bmp") ||
        suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) {
        QImage image = toImage(size).convertToFormat(QImage::Format_RGB32);
        const char* format = suffix == QLatin1String("png")   ? "PNG"
                             : suffix == QLatin1String("bmp") ? "BMP"
                                                              : "JPEG";
        if (!image.save(path, format, suffix == QLatin1String("png") ? -1 : 95))
            throw failed();
        return;
    }
    if (suffix != QLatin1String("pdf") && suffix != QLatin1String("svg"))
        throw kd::Error(
            tr2("Unknown picture format \"%1\".", "Unbekanntes Bildformat \"%1\".").arg(suffix));
    {
        // The vector writers do not report failures; find them out first.
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly))
            throw failed();
    }
    if (suffix == QLatin1String("pdf")) {
        QPdfWriter writer(path);
        writer.setResolution(72);
        writer.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        renderTo(writer, QRect(QPoint(0, 0), size));
    } else {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(m_model.settings().title);
        renderTo(svg, QRect(QPoint(0, 0), size));
    }
}

void Chart::exportCsv(const QString& path) const {
    QSaveFile file(path);
    auto failed = [&] {
        return kd::Error(tr2("The file \"%1\" cannot be written: %2",
                             "Die Datei \"%1\" kann nicht geschrieben werden: %2")
                             .arg(path, file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly))
        throw failed();
    try {
        writeCsv(file, m_model, false, germanTexts());
    } catch (const std::runtime_error&) {
        file.cancelWriting();
        throw failed();
    }
    if (!file.commit())
        throw failed();
}

// --- dialogs -------------------------------------------------------------------------------

void Chart::showExportDialog(QWidget* parent) {
    ExportDialog dialog(this, parent ? parent : window());
    dialog.exec();
}

void Chart::showEditorDialog(QWidget* parent) {
    EditorDialog dialog(this, parent ? parent : window());
    dialog.exec();
}

void Chart::showPrintPreview(QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog dialog(&printer, parent ? parent : window());
    dialog.setWindowTitle(tr2("Print preview", "Druckvorschau"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
        renderTo(*p, p->pageLayout()
                         .paintRectPixels(p->resolution())
                         .translated(-p->pageLayout().paintRectPixels(p->resolution()).topLeft()));
    });
    dialog.exec();
}

}  // namespace kd::chart
