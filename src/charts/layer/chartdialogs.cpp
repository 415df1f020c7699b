#include "chartdialogs_p.h"

#include "chart.h"
#include "chartplot_p.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kd::chart {

namespace {
struct ExportFormat {
    const char* english;
    const char* german;
    const char* suffix;
};
const ExportFormat kFormats[] = {
    {"PNG picture", "PNG-Bild", "png"}, {"JPEG picture", "JPEG-Bild", "jpg"},
    {"BMP picture", "BMP-Bild", "bmp"}, {"PDF document", "PDF-Dokument", "pdf"},
    {"SVG picture", "SVG-Bild", "svg"}, {"CSV data (text)", "CSV-Daten (Text)", "csv"},
};

QDateTime dateTimeFromDays(double days) {
    return QDateTime::fromString(formatDays(days, QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")),
                                 QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}
}  // namespace

// --- ExportDialog -----------------------------------------------------------------

ExportDialog::ExportDialog(Chart* chart, QWidget* parent)
    : QDialog(parent), m_chart(chart), m_format(new QComboBox(this)) {
    setWindowTitle(tr2("Export", "Exportieren"));
    setModal(true);
    for (const ExportFormat& f : kFormats)
        m_format->addItem(
            QStringLiteral("%1 (*.%2)").arg(tr2(f.english, f.german), QLatin1String(f.suffix)));
    auto* form = new QFormLayout;
    form->addRow(tr2("Format:", "Format:"), m_format);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save =
        buttons->addButton(tr2("Save...", "Speichern..."), QDialogButtonBox::AcceptRole);
    QPushButton* close =
        buttons->addButton(tr2("Close", "Schließen"), QDialogButtonBox::RejectRole);
    connect(save, &QPushButton::clicked, this, &ExportDialog::saveClicked);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void ExportDialog::saveClicked() {
    const ExportFormat& f = kFormats[std::max(0, m_format->currentIndex())];
    const QString filter = m_format->currentText();
    QString path = QFileDialog::getSaveFileName(this, windowTitle(), QString(), filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + QLatin1String(f.suffix);
    if (qstrcmp(f.suffix, "csv") == 0)
        m_chart->exportCsv(path);
    else
        m_chart->exportPicture(path);
    accept();
}

// --- EditorDialog -------------------------------------------------------------------

EditorDialog::EditorDialog(Chart* chart, QWidget* parent) : QDialog(parent), m_chart(chart) {
    setWindowTitle(tr2("Chart editor", "Diagramm bearbeiten"));
    setModal(true);
    auto* tabs = new QTabWidget(this);
    tabs->addTab(seriesPage(), tr2("Series", "Reihen"));
    tabs->addTab(axesPage(), tr2("Axes", "Achsen"));
    tabs->addTab(generalPage(), tr2("Legend and title", "Legende und Titel"));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close =
        buttons->addButton(tr2("Close", "Schließen"), QDialogButtonBox::AcceptRole);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    if (m_chart->seriesCount() > 0)
        m_seriesList->setCurrentRow(0);
    refreshAxes();
    resize(520, 420);
}

QWidget* EditorDialog::seriesPage() {
    auto* page = new QWidget;
    m_seriesList = new QListWidget(page);
    for (int i = 0; i < m_chart->seriesCount(); ++i) {
        auto* item = new QListWidgetItem(m_chart->seriesTitle(i), m_seriesList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(m_chart->isSeriesActive(i) ? Qt::Checked : Qt::Unchecked);
    }
    m_seriesShown = new QCheckBox(tr2("Shown", "Sichtbar"), page);
    m_seriesTitle = new QLineEdit(page);
    m_seriesPalette = new QCheckBox(tr2("Colour from palette", "Farbe aus der Palette"), page);
    m_seriesColor = new QPushButton(tr2("Colour...", "Farbe..."), page);
    m_seriesWidth = new QSpinBox(page);
    m_seriesWidth->setRange(1, 10);
    m_seriesPen = new QComboBox(page);
    m_seriesPen->addItems(
        {tr2("Solid", "Durchgezogen"), tr2("Dashed", "Gestrichelt"), tr2("Dotted", "Gepunktet")});
    auto* form = new QFormLayout;
    form->addRow(QString(), m_seriesShown);
    form->addRow(tr2("Title:", "Titel:"), m_seriesTitle);
    form->addRow(QString(), m_seriesPalette);
    form->addRow(tr2("Colour:", "Farbe:"), m_seriesColor);
    form->addRow(tr2("Width:", "Breite:"), m_seriesWidth);
    form->addRow(tr2("Pen:", "Linie:"), m_seriesPen);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(m_seriesList, 1);
    layout->addLayout(form, 1);

    connect(m_seriesList, &QListWidget::currentRowChanged, this, &EditorDialog::showSeries);
    connect(m_seriesList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (m_loading)
            return;
        const int row = m_seriesList->row(item);
        m_chart->setSeriesActive(row, item->checkState() == Qt::Checked);
        if (row == m_seriesList->currentRow())
            showSeries(row);
    });
    connect(m_seriesShown, &QCheckBox::toggled, this, &EditorDialog::applySeries);
    connect(m_seriesTitle, &QLineEdit::textEdited, this, &EditorDialog::applySeries);
    connect(m_seriesPalette, &QCheckBox::toggled, this, &EditorDialog::applySeries);
    connect(m_seriesWidth, &QSpinBox::valueChanged, this, &EditorDialog::applySeries);
    connect(m_seriesPen, &QComboBox::currentIndexChanged, this, &EditorDialog::applySeries);
    connect(m_seriesColor, &QPushButton::clicked, this, [this] {
        const int row = m_seriesList->currentRow();
        if (row < 0)
            return;
        const QColor c = QColorDialog::getColor(m_chart->seriesColor(row), this);
        if (!c.isValid())
            return;
        SeriesStyle s = m_chart->seriesStyle(row);
        s.paletteColor = false;
        s.color = c.rgba();
        m_chart->setSeriesStyle(row, s);
        showSeries(row);
    });
    return page;
}

void EditorDialog::showSeries(int series) {
    if (series < 0 || series >= m_chart->seriesCount())
        return;
    m_loading = true;
    const SeriesStyle s = m_chart->seriesStyle(series);
    m_seriesShown->setChecked(s.active);
    m_seriesTitle->setText(s.title);
    m_seriesPalette->setChecked(s.paletteColor);
    m_seriesColor->setStyleSheet(
        QStringLiteral("background-color: %1").arg(m_chart->seriesColor(series).name()));
    m_seriesWidth->setValue(s.width);
    m_seriesPen->setCurrentIndex(int(s.pen));
    m_seriesList->item(series)->setCheckState(s.active ? Qt::Checked : Qt::Unchecked);
    m_loading = false;
}

void EditorDialog::applySeries() {
    const int row = m_seriesList->currentRow();
    if (m_loading || row < 0)
        return;
    SeriesStyle s = m_chart->seriesStyle(row);
    s.active = m_seriesShown->isChecked();
    s.title = m_seriesTitle->text();
    if (s.paletteColor != m_seriesPalette->isChecked()) {
        // Leaving the palette keeps the colour the series has now.
        if (s.paletteColor)
            s.color = m_chart->seriesColor(row).rgba();
        s.paletteColor = m_seriesPalette->isChecked();
    }
    s.width = m_seriesWidth->value();
    s.pen = PenStyle(std::clamp(m_seriesPen->currentIndex(), 0, 2));
    m_chart->setSeriesStyle(row, s);
    m_loading = true;
    m_seriesList->item(row)->setText(s.title);
    m_seriesList->item(row)->setCheckState(s.active ? Qt::Checked : Qt::Unchecked);
    m_loading = false;
    showSeries(row);
}

QWidget* EditorDialog::axesPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto build = [&](AxisControls& c, Axis axis, const QString& caption) {
        auto* box = new QGroupBox(caption, page);
        auto* form = new QFormLayout(box);
        c.automatic = new QCheckBox(tr2("Automatic", "Automatisch"), box);
        form->addRow(QString(), c.automatic);
        connect(c.automatic, &QCheckBox::toggled, this, [this, axis](bool on) {
            if (m_loading)
                return;
            m_chart->setAxisAutomatic(axis, on);
            refreshAxes();
        });
        if (axis == Axis::Bottom) {
            c.minimumTime = new QDateTimeEdit(box);
            c.maximumTime = new QDateTimeEdit(box);
            for (QDateTimeEdit* e : {c.minimumTime, c.maximumTime}) {
                e->setDisplayFormat(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
                connect(e, &QDateTimeEdit::editingFinished, this,
                        [this, axis] { applyAxis(axis); });
            }
            form->addRow(tr2("Minimum:", "Minimum:"), c.minimumTime);
            form->addRow(tr2("Maximum:", "Maximum:"), c.maximumTime);
        } else {
            c.minimum = new QLineEdit(box);
            c.maximum = new QLineEdit(box);
            for (QLineEdit* e : {c.minimum, c.maximum})
                connect(e, &QLineEdit::editingFinished, this, [this, axis] { applyAxis(axis); });
            form->addRow(tr2("Minimum:", "Minimum:"), c.minimum);
            form->addRow(tr2("Maximum:", "Maximum:"), c.maximum);
        }
        layout->addWidget(box);
    };
    build(m_left, Axis::Left, tr2("Left axis", "Linke Achse"));
    build(m_bottom, Axis::Bottom, tr2("Bottom axis (time)", "Untere Achse (Zeit)"));
    layout->addStretch();
    return page;
}

void EditorDialog::refreshAxes() {
    m_loading = true;
    for (Axis axis : {Axis::Left, Axis::Bottom}) {
        AxisControls& c = axis == Axis::Left ? m_left : m_bottom;
        const bool automatic = m_chart->isAxisAutomatic(axis);
        c.automatic->setChecked(automatic);
        const double lo = m_chart->axisMinimum(axis);
        const double hi = m_chart->axisMaximum(axis);
        if (c.minimum) {
            c.minimum->setText(QString::number(lo, 'g', 10));
            c.maximum->setText(QString::number(hi, 'g', 10));
            c.minimum->setEnabled(!automatic);
            c.maximum->setEnabled(!automatic);
        } else {
            c.minimumTime->setDateTime(dateTimeFromDays(lo));
            c.maximumTime->setDateTime(dateTimeFromDays(hi));
            c.minimumTime->setEnabled(!automatic);
            c.maximumTime->setEnabled(!automatic);
        }
    }
    m_loading = false;
}

void EditorDialog::applyAxis(Axis axis) {
    if (m_loading)
        return;
    const AxisControls& c = axis == Axis::Left ? m_left : m_bottom;
    double lo, hi;
    if (c.minimum) {
        bool okLo = false, okHi = false;
        lo = QLocale::c().toDouble(
            c.minimum->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')), &okLo);
        hi = QLocale::c().toDouble(
            c.maximum->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')), &okHi);
        if (!okLo || !okHi) {
            QMessageBox::warning(this, windowTitle(),
                                 tr2("Please enter a number.", "Bitte eine Zahl eingeben."));
            refreshAxes();
            return;
        }
    } else {
        lo = daysFromDateTime(c.minimumTime->dateTime());
        hi = daysFromDateTime(c.maximumTime->dateTime());
    }
    if (hi < lo) {
        QMessageBox::warning(this, windowTitle(),
                             tr2("The minimum must not be greater than the maximum.",
                                 "Das Minimum darf nicht größer als das Maximum sein."));
        refreshAxes();
        return;
    }
    // Widen first, so that neither step is refused on the way.
    if (lo <= m_chart->axisMaximum(axis)) {
        m_chart->setAxisMinimum(axis, lo);
        m_chart->setAxisMaximum(axis, hi);
    } else {
        m_chart->setAxisMaximum(axis, hi);
        m_chart->setAxisMinimum(axis, lo);
    }
    refreshAxes();
}

QWidget* EditorDialog::generalPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    m_legendShown = new QCheckBox(tr2("Legend shown", "Legende sichtbar"), page);
    m_legendShown->setChecked(m_chart->isLegendVisible());
    m_title = new QLineEdit(m_chart->title(), page);
    form->addRow(QString(), m_legendShown);
    form->addRow(tr2("Title:", "Titel:"), m_title);
    connect(m_legendShown, &QCheckBox::toggled, m_chart, &Chart::setLegendVisible);
    connect(m_title, &QLineEdit::textEdited, m_chart, &Chart::setTitle);
    return page;
}

}  // namespace kd::chart
