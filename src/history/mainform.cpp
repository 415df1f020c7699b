#include "mainform.h"

#include "ui_mainform.h"

#include "chart.h"
#include "datamodule1.h"
#include "errorbox.h"
#include "gapscan.h"
#include "historysql.h"
#include "language.h"
#include "programwindows.h"
#include "windowplacement.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QResizeEvent>

// The pictures live in this static library's resources, which must be
// registered by name before the first use (outside any namespace).
static void initHistoryResources() {
    Q_INIT_RESOURCE(history);
}

namespace {
constexpr int kPanelHeight = 91;
constexpr int kLegendFromRight = 185;
constexpr int kLegendTop = 15;

kd::chart::SeriesStyle fastLine(const char* title, const char* legend, quint32 color, int width,
                                bool active) {
    kd::chart::SeriesStyle s;
    s.title = QString::fromUtf8(title);
    s.legendText = QString::fromUtf8(legend);
    s.kind = kd::chart::SeriesKind::FastLine;
    s.paletteColor = false;
    s.color = color;
    s.width = width;
    s.active = active;
    return s;
}

bool germanSelected() {
    return kd::i18n::CurrentLanguageName() == QLatin1String("DE");
}
}  // namespace

TMainform::TMainform(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TMainform>()) {
    initHistoryResources();
    ui->setupUi(this);
    kd::history::applyDesignFont(this);
    ui->Image6->setPicture(QStringLiteral(":/icons/back.svg"));
    ui->Image5->setPicture(QStringLiteral(":/icons/home.svg"));
    ui->Image2->setPicture(QStringLiteral(":/history/printer.svg"));
    ui->Image1->setPicture(QStringLiteral(":/history/export-table.svg"));
    ui->Image3->setPicture(QStringLiteral(":/history/export-picture.svg"));
    ui->Image4->setPicture(QStringLiteral(":/history/export-file.svg"));
    for (QDateEdit* picker : {ui->DateTimePicker1, ui->DateTimePicker2}) {
        picker->setMinimumDate(QDate(100, 1, 1));
        picker->setDate(QDate::currentDate());
    }

    kd::chart::Chart* chart = ui->DBChart1;
    Series1 = chart->addSeries(fastLine("Humi. up", "r.H.oben", 0xFF008000, 2, true));
    Series2 = chart->addSeries(fastLine("Humi. down", "r.H. unten", 0xFF0000A0, 2, true));
    Series6 = chart->addSeries(fastLine("error", "Fehler", 0xFFFF0000, 1, false));
    chart->setTitle(QStringLiteral("Test"));
    chart->setTitleFont(16, true);
    chart->setAxisMinimum(kd::chart::Axis::Left, 0);
    chart->setAxisMaximum(kd::chart::Axis::Left, 100);
    chart->setAxisAutomatic(kd::chart::Axis::Left, false);
    chart->setAxisTitle(kd::chart::Axis::Left, QStringLiteral("%r.H."));
    chart->setAxisAutomatic(kd::chart::Axis::Bottom, true);
    chart->setBottomDateFormat(QStringLiteral("dd.MM.yy"));
    chart->setBottomMinimumStep(1.0 / 48.0);
    chart->setLegendVisible(true);
    chart->setLegendPosition(QPoint(chart->width() - kLegendFromRight, kLegendTop));

    connect(ui->CheckBox1, &QCheckBox::toggled, this, &TMainform::CheckBox1Click);
    connect(ui->CheckBox2, &QCheckBox::toggled, this, &TMainform::CheckBox2Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TMainform::Button2Click);
    connect(ui->Button1, &QPushButton::clicked, this, &TMainform::Button1Click);
    connect(ui->Image1, &kd::PictureButton::clicked, this, &TMainform::Image1Click);
    connect(ui->Image2, &kd::PictureButton::clicked, this, &TMainform::Image2Click);
    connect(ui->Image3, &kd::PictureButton::clicked, this, &TMainform::Image3Click);
    connect(ui->Image4, &kd::PictureButton::clicked, this, &TMainform::Image4Click);
    connect(ui->Image5, &kd::PictureButton::clicked, this, &TMainform::Image5Click);
    connect(ui->Image6, &kd::PictureButton::clicked, this, &TMainform::Image6Click);
    CheckBox1Click();

    kd::runGuarded([this] { FormCreate(); });
}

TMainform::~TMainform() = default;

void TMainform::FormCreate() {
    if (germanSelected())
        kd::chart::setGermanTexts(true);
    kd::chart::BreakStyle style;
    style.penColor = 0xFF000000;
    style.penWidth = 1;
    style.gradient = true;
    style.gradientEnd =
        QApplication::palette().color(QPalette::Disabled, QPalette::WindowText).rgba();
    style.line = kd::chart::BreakLine::Straight;
    ui->DBChart1->setBreakStyle(style);
    ui->DBChart1->setBreakGapPixels(20);
}

void TMainform::showEvent(QShowEvent* event) {
    // The show handler runs when the window is shown, not when the system
    // merely restores it from minimised.
    if (event->spontaneous()) {
        QWidget::showEvent(event);
        return;
    }
    kd::i18n::ApplyCurrentLanguage(this, kd::i18n::HistoryChart);
    // The language file's extra step for this window: "DE" switches the
    // chart's own texts to German for the rest of the run.
    const QComboBox* box = kd::windows().Sprachwahl;
    if (box && !kd::i18n::LanguageFileStem(box->currentIndex()).isEmpty() && germanSelected())
        kd::chart::setGermanTexts(true);
    QWidget::showEvent(event);
}

void TMainform::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    if (!kd::isShown(kd::windows().tabwahlform))
        kd::showWindow(kd::windows().Introform);
}

void TMainform::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize s = event->size();
    ui->DBChart1->setGeometry(0, 0, s.width(), s.height() - kPanelHeight);
    ui->Panel1->setGeometry(0, s.height() - kPanelHeight, s.width(), kPanelHeight);
    ui->DBChart1->setLegendPosition(QPoint(ui->DBChart1->width() - kLegendFromRight, kLegendTop));
}

void TMainform::CheckBox1Click() {
    const bool on = ui->CheckBox1->isChecked();
    ui->DateTimePicker1->setEnabled(on);
    ui->DateTimePicker2->setEnabled(on);
}

void TMainform::CheckBox2Click() {
    ui->DBChart1->setBottomDateFormat(ui->CheckBox2->isChecked() ? QStringLiteral("dd.MM.yy hh:mm")
                                                                 : QStringLiteral("dd.MM.yy"));
}

void TMainform::Button2Click() {
    TDataModule1* dm = TDataModule1::instance();
    if (!dm)
        throw kd::Error(QStringLiteral("Die Datenbank ist nicht geöffnet."));
    const QString sql =
        kd::history::historySql(CabinetTable, ui->CheckBox1->isChecked(),
                                ui->DateTimePicker1->date(), ui->DateTimePicker2->date());
    kd::chart::Chart* chart = ui->DBChart1;
    // Closing the query empties the series bound to it; the breaks stay
    // until the next successful display.
    dm->ZQuery1.close();
    for (int s : {Series1, Series2, Series6})
        chart->clearSeries(s);
    dm->ZQuery1.setSql(sql);
    dm->ZQuery1.open();

    const int xColumn = dm->ZQuery1.columnIndex(QStringLiteral("datetime"));
    const struct {
        int series;
        const char* field;
    } bound[] = {{Series1, "humi_oben"}, {Series2, "humi_unten"}, {Series6, "fehler"}};
    for (const auto& b : bound) {
        const int yColumn = dm->ZQuery1.columnIndex(QLatin1String(b.field));
        if (xColumn < 0 || yColumn < 0)
            throw kd::Error(
                QStringLiteral("Feld %1 nicht gefunden.")
                    .arg(xColumn < 0 ? QStringLiteral("datetime") : QLatin1String(b.field)));
    }
    const auto x = dm->ZQuery1.column(xColumn);
    for (const auto& b : bound) {
        const auto y = dm->ZQuery1.column(dm->ZQuery1.columnIndex(QLatin1String(b.field)));
        chart->setSeriesPoints(b.series, std::vector<double>(x.begin(), x.end()),
                               std::vector<double>(y.begin(), y.end()));
    }
    UpdateAxisBreaks();
}

void TMainform::UpdateAxisBreaks() {
    kd::chart::Chart* chart = ui->DBChart1;
    chart->clearBreaks();
    TDataModule1* dm = TDataModule1::instance();
    if (!dm || !dm->ZQuery1.isOpen())
        return;
    const auto breaks = kd::history::scanGaps(dm->ZQuery1.column(1));
    for (const auto& b : breaks)
        chart->addBreak(b.start, b.end);
    chart->setBreakGapPixels(kd::history::gapPixels(breaks.size(), chart->breakGapPixels()));
}

kd::history::ExportData TMainform::plottedValues() const {
    const kd::chart::Chart* chart = ui->DBChart1;
    kd::history::ExportData data;
    const qsizetype n = chart->pointCount(Series1);
    data.x.reserve(std::size_t(n));
    for (qsizetype i = 0; i < n; ++i)
        data.x.push_back(chart->pointX(Series1, i));
    for (int s = 0; s < chart->seriesCount(); ++s) {
        if (!chart->isSeriesActive(s))
            continue;
        kd::history::ExportSeries column{chart->seriesTitle(s), {}};
        const qsizetype have = std::min(n, chart->pointCount(s));
        column.y.reserve(std::size_t(have));
        for (qsizetype i = 0; i < have; ++i)
            column.y.push_back(chart->pointY(s, i));
        data.series.push_back(std::move(column));
    }
    return data;
}

QString TMainform::exportTo(const QString& chosen) const {
    const QString name = kd::history::exportFileName(chosen);
    try {
        kd::history::exportWorkbook(plottedValues()).save(name);
    } catch (const std::runtime_error& e) {
        throw kd::Error(QString::fromUtf8(e.what()));
    }
    return name;
}

void TMainform::Image1Click() {
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Excel files (*.xls)"));
    dialog.setDefaultSuffix(QStringLiteral("xls"));
    dialog.selectFile(QStringLiteral("xxx.xls"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    exportTo(dialog.selectedFiles().constFirst());
}

void TMainform::Image2Click() {
    ui->DBChart1->showPrintPreview(this);
}

void TMainform::Image3Click() {
    ui->DBChart1->showExportDialog(this);
}

void TMainform::Image4Click() {
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Teefiles (*.tee)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    ui->DBChart1->saveToFile(dialog.selectedFiles().constFirst());
}

void TMainform::Button1Click() {
    ui->DBChart1->showEditorDialog(this);
}

void TMainform::Image5Click() {
    kd::showWindow(kd::windows().Introform);
    kd::hideWindow(this);
}

void TMainform::Image6Click() {
    kd::showWindow(kd::windows().tabwahlform);
    kd::hideWindow(this);
}
