// The chart widget as windows use it: axes and their refusal, automatic
// ranges, legend check boxes, title, breaks as drawn, files and exports.

#include "chart.h"
#include "errorbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using kd::chart::Axis;
using kd::chart::Chart;
using kd::chart::SeriesStyle;

namespace {
SeriesStyle line(const QString& title, QRgb colour) {
    SeriesStyle s;
    s.title = title;
    s.paletteColor = false;
    s.color = colour;
    s.width = 3;
    return s;
}

int countColour(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

/// A chart of two flat lines in pure red and pure blue over one day.
void twoLines(Chart& c) {
    c.resize(600, 400);
    c.addSeries(line(QStringLiteral("red"), 0xFFFF0000));
    c.addSeries(line(QStringLiteral("blue"), 0xFF0000FF));
    for (int i = 0; i <= 24; ++i) {
        c.addPoint(0, 41699 + i / 24.0, 100);
        c.addPoint(1, 41699 + i / 24.0, 200);
    }
    c.setLegendVisible(false);
}
/// Runs `action` on the next modal dialog of type T as soon as one shows
/// (waiting for the type: a dialog opened from another one must not be
/// mistaken for its opener). A dialog the action left open (a failed check)
/// is closed, so a failure never hangs the test.
template <typename T = QDialog>
void onNextModal(std::function<void(T*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (T* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(w);
            if (w->isVisible())
                static_cast<QDialog*>(w)->reject();
        }
    });
    timer->start();
}

/// Types a full path into a file dialog's name field, as the user would.
/// (selectFile() changes the dialog's folder in the background, which can
/// clear the name again.)
void typeFileName(QFileDialog* dialog, const QString& path) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setText(path);
    QTRY_COMPARE(dialog->selectedFiles().value(0), path);
}

QPushButton* buttonWithText(QWidget* parent, const QString& text) {
    for (QPushButton* b : parent->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}
}  // namespace

class TestChart : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { kd::chart::setGermanTexts(false); }
    void refusedRanges_data();
    void refusedRanges();
    void automaticFitsAndHolds();
    void emptyChartKeepsItsRange();
    void legendBoxHidesItsSeriesOnly();
    void titleShowsAndClears();
    void breaksCutTheAxis();
    void valuesThatAreNotNumbers();
    void saveAndLoad();
    void unwritableFile();
    void pictureExports_data();
    void pictureExports();
    void csvExportFile();
    void exportDialogWritesTheChosenFormat();
    void editorChangesApplyAtOnce();
    void printPreviewPaints();
};

void TestChart::refusedRanges_data() {
    QTest::addColumn<bool>("german");
    QTest::addColumn<bool>("minimum");  // setting the minimum (else the maximum)
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("textStart");
    QTest::newRow("minimum above maximum") << false << true << 301.0 << "The axis minimum (301)";
    QTest::newRow("maximum below minimum") << false << false << -1.0 << "The axis maximum (-1)";
    QTest::newRow("German texts") << true << true << 400.0 << "Das Minimum der Achse (400)";
}

void TestChart::refusedRanges() {
    QFETCH(bool, german);
    QFETCH(bool, minimum);
    QFETCH(double, value);
    QFETCH(QString, textStart);
    kd::chart::setGermanTexts(german);
    Chart c;
    c.setAxisMinimum(Axis::Left, 0);
    c.setAxisMaximum(Axis::Left, 300);
    try {
        if (minimum)
            c.setAxisMinimum(Axis::Left, value);
        else
            c.setAxisMaximum(Axis::Left, value);
        QFAIL("not refused");
    } catch (const kd::Error& e) {
        QVERIFY2(e.message().startsWith(textStart), qPrintable(e.message()));
    }
    QCOMPARE(c.axisMinimum(Axis::Left), 0.0);
    QCOMPARE(c.axisMaximum(Axis::Left), 300.0);
    // Equal ends are allowed.
    c.setAxisMinimum(Axis::Left, 300);
    QCOMPARE(c.axisMinimum(Axis::Left), 300.0);
}

void TestChart::automaticFitsAndHolds() {
    Chart c;
    c.addSeries(line(QStringLiteral("a"), 0xFFFF0000));
    c.addSeries(line(QStringLiteral("b"), 0xFF00FF00));
    c.addPoint(0, 10, 5);
    c.addPoint(0, 12, 7);
    c.addPoint(1, 11, -3);
    c.setAxisAutomatic(Axis::Left, true);
    c.setAxisAutomatic(Axis::Bottom, true);
    QCOMPARE(c.axisMinimum(Axis::Left), -3.0);
    QCOMPARE(c.axisMaximum(Axis::Left), 7.0);
    QCOMPARE(c.axisMinimum(Axis::Bottom), 10.0);
    QCOMPARE(c.axisMaximum(Axis::Bottom), 12.0);
    // Hidden series do not count.
    c.setSeriesActive(1, false);
    c.repaintNow();
    QCOMPARE(c.axisMinimum(Axis::Left), 5.0);
    // Off keeps the last range however the data grow.
    c.setAxisAutomatic(Axis::Left, false);
    c.addPoint(0, 13, 100);
    c.repaintNow();
    QCOMPARE(c.axisMaximum(Axis::Left), 7.0);
    QCOMPARE(c.axisMaximum(Axis::Bottom), 13.0);  // the bottom axis is still automatic
}

void TestChart::emptyChartKeepsItsRange() {
    Chart c;
    c.addSeries(line(QStringLiteral("a"), 0xFFFF0000));
    c.setAxisMinimum(Axis::Left, 0);
    c.setAxisMaximum(Axis::Left, 300);
    const double bottomMin = c.axisMinimum(Axis::Bottom);
    const double bottomMax = c.axisMaximum(Axis::Bottom);
    c.setAxisAutomatic(Axis::Left, true);
    c.setAxisAutomatic(Axis::Bottom, true);
    c.repaintNow();
    QCOMPARE(c.axisMinimum(Axis::Left), 0.0);
    QCOMPARE(c.axisMaximum(Axis::Left), 300.0);
    QCOMPARE(c.axisMinimum(Axis::Bottom), bottomMin);
    QCOMPARE(c.axisMaximum(Axis::Bottom), bottomMax);
}

void TestChart::legendBoxHidesItsSeriesOnly() {
    Chart c;
    twoLines(c);
    c.setLegendVisible(true);
    QSignalSpy changed(&c, &Chart::seriesActiveChanged);
    QCOMPARE(c.legendCheckBox(0)->text(), QStringLiteral("red"));
    QVERIFY(c.legendCheckBox(0)->isChecked());
    const QImage both = c.toImage();
    QVERIFY(countColour(both, 0xFF0000) > 100);
    QVERIFY(countColour(both, 0x0000FF) > 100);

    c.legendCheckBox(0)->click();
    QVERIFY(!c.isSeriesActive(0));
    QVERIFY(c.isSeriesActive(1));
    QCOMPARE(changed.size(), 1);
    const QImage one = c.toImage();
    // Only the legend's sample of the red line is left of it.
    QVERIFY(countColour(one, 0xFF0000) < 60);
    QVERIFY(countColour(one, 0x0000FF) > 100);

    // Hiding the legend hides neither series; code and box agree both ways.
    c.setLegendVisible(false);
    c.setSeriesActive(0, true);
    QVERIFY(c.legendCheckBox(0)->isChecked());
    QVERIFY(countColour(c.toImage(), 0xFF0000) > 100);
}

void TestChart::titleShowsAndClears() {
    Chart c;
    twoLines(c);
    const QImage without = c.toImage();
    c.setTitle(QStringLiteral("Keller"));
    c.setTitleFont(16, true);
    const QImage with = c.toImage();
    QVERIFY(with != without);
    QCOMPARE(c.title(), QStringLiteral("Keller"));
    c.setTitle(QString());
    QCOMPARE(c.toImage(), without);
}

void TestChart::breaksCutTheAxis() {
    Chart c;
    twoLines(c);
    c.setAxisAutomatic(Axis::Bottom, false);
    c.setAxisMinimum(Axis::Bottom, 41699);
    c.setAxisMaximum(Axis::Bottom, 41700);
    c.addBreak(41699.75, 41699.25);  // either order
    c.setBreakGapPixels(20);
    c.setBreakStyle({0xFF000000, 1, false, 0xFF808080, kd::chart::BreakLine::Straight});
    const QImage image = c.toImage();
    const auto mapping = c.currentMapping();
    QCOMPARE(c.breaks().size(), size_t(1));
    QCOMPARE(c.breaks().front().start, 41699.25);
    QVERIFY(std::abs(mapping.toPixel(41699.75) - mapping.toPixel(41699.25) - 20) < 1e-6);
    // Half a day cut out: the rest shares the axis less the gap.
    QVERIFY(std::abs(mapping.toPixel(41699.25) - (mapping.axisPixels() - 20) / 2) < 1e-6);
    // A straight black line marks each side of the gap, over the whole height.
    int blackColumns = 0;
    for (int x = 0; x < image.width(); ++x) {
        int black = 0;
        for (int y = 0; y < image.height(); ++y)
            black += (image.pixel(x, y) & 0xFFFFFF) == 0;
        blackColumns += black > image.height() / 2;
    }
    QVERIFY2(blackColumns >= 2, qPrintable(QString::number(blackColumns)));
    if (!qEnvironmentVariableIsEmpty("KD_SCREENSHOT_DIR")) {
        c.setBottomDateFormat(QStringLiteral("dd.MM.yy hh:mm"));
        c.setBreakStyle({});
        c.toImage().save(qEnvironmentVariable("KD_SCREENSHOT_DIR") + QStringLiteral("/breaks.png"));
    }
    c.clearBreaks();
    QVERIFY(c.breaks().empty());
}

void TestChart::valuesThatAreNotNumbers() {
    // From a damaged file or a broken reading: a point without a time is
    // dropped, a missing value leaves a hole, and the chart still fits and draws.
    Chart c;
    twoLines(c);
    c.addPoint(0, qQNaN(), 5);
    QCOMPARE(c.pointCount(0), 25);
    c.setSeriesPoints(1, {41699, qInf(), 41699.5, 41700}, {qQNaN(), 1, 150, 250});
    QCOMPARE(c.pointCount(1), 3);
    c.setAxisAutomatic(Axis::Left, true);
    QCOMPARE(c.axisMinimum(Axis::Left), 100.0);
    QCOMPARE(c.axisMaximum(Axis::Left), 250.0);
    QVERIFY(countColour(c.toImage(), 0x0000FF) > 50);
}

void TestChart::saveAndLoad() {
    QTemporaryDir dir;
    Chart c;
    twoLines(c);
    c.setTitle(QStringLiteral("T"));
    c.addBreak(41699.2, 41699.3);
    c.setSeriesActive(1, false);
    QCOMPARE(c.saveToFile(dir.filePath(QStringLiteral("trace"))),
             dir.filePath(QStringLiteral("trace.tee")));
    Chart back;
    back.loadFromFile(dir.filePath(QStringLiteral("trace.tee")));
    QVERIFY(back.model().settings() == c.model().settings());
    QCOMPARE(back.seriesCount(), 2);
    QVERIFY(!back.isSeriesActive(1));
    QVERIFY(!back.legendCheckBox(1)->isChecked());
    QCOMPARE(back.pointCount(0), 25);
    QCOMPARE(back.pointX(1, 24), 41700.0);
    QCOMPARE(back.seriesColor(0), QColor(255, 0, 0));
    QCOMPARE(back.toImage(c.size()), c.toImage());

    // A foreign file is refused with the error box and changes nothing.
    QFile foreign(dir.filePath(QStringLiteral("x.tee")));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.write("not a chart");
    foreign.close();
    QVERIFY_THROWS_EXCEPTION(kd::Error, back.loadFromFile(foreign.fileName()));
    QCOMPARE(back.seriesCount(), 2);
}

void TestChart::unwritableFile() {
    Chart c;
    twoLines(c);
    QVERIFY_THROWS_EXCEPTION(kd::Error, c.saveToFile(QStringLiteral("/nonexistent/dir/trace")));
    QVERIFY_THROWS_EXCEPTION(kd::Error, c.exportCsv(QStringLiteral("/nonexistent/dir/a.csv")));
    QVERIFY_THROWS_EXCEPTION(kd::Error, c.exportPicture(QStringLiteral("/nonexistent/dir/a.svg")));
}

void TestChart::pictureExports_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("magic");
    QTest::newRow("PNG") << "c.png" << QByteArray("\x89PNG");
    QTest::newRow("JPEG") << "c.jpg" << QByteArray("\xFF\xD8\xFF");
    QTest::newRow("BMP") << "c.bmp" << QByteArray("BM");
    QTest::newRow("PDF") << "c.pdf" << QByteArray("%PDF");
    QTest::newRow("SVG") << "c.svg" << QByteArray("<?xml");
    QTest::newRow("unknown") << "c.gif" << QByteArray();
}

void TestChart::pictureExports() {
    QFETCH(QString, name);
    QFETCH(QByteArray, magic);
    QTemporaryDir dir;
    Chart c;
    twoLines(c);
    c.setLegendVisible(true);
    const QString path = dir.filePath(name);
    if (magic.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(kd::Error, c.exportPicture(path));
        QVERIFY(!QFile::exists(path));
        return;
    }
    c.exportPicture(path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.startsWith(magic));
    if (name.endsWith(QLatin1String(".svg")))
        QVERIFY(bytes.contains("<path") || bytes.contains("<polyline"));
    if (!name.endsWith(QLatin1String(".pdf")) && !name.endsWith(QLatin1String(".svg"))) {
        const QImage img(path);
        QCOMPARE(img.size(), QSize(600, 400));
    }
}

void TestChart::csvExportFile() {
    QTemporaryDir dir;
    Chart c;
    twoLines(c);
    c.setSeriesActive(1, false);  // hidden series are exported too
    c.exportCsv(dir.filePath(QStringLiteral("d.csv")));
    QFile f(dir.filePath(QStringLiteral("d.csv")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    QCOMPARE(lines[0], QByteArray("Time;red;blue"));
    QCOMPARE(lines[1], QByteArray("2014-03-01 00:00:00;100;200"));
    QCOMPARE(lines[25], QByteArray("2014-03-02 00:00:00;100;200"));
}

void TestChart::exportDialogWritesTheChosenFormat() {
    kd::chart::setGermanTexts(true);
    QTemporaryDir dir;
    Chart c;
    twoLines(c);
    QString title;
    onNextModal<QDialog>([&](QDialog* modal) {
        title = modal->windowTitle();
        auto* format = modal->findChild<QComboBox*>();
        QVERIFY(format);
        format->setCurrentIndex(format->count() - 1);  // CSV
        onNextModal<QFileDialog>([&](QFileDialog* dialog) {
            const QString name = dir.filePath(QStringLiteral("werte"));
            typeFileName(dialog, name);
            static_cast<QDialog*>(dialog)->accept();
        });
        buttonWithText(modal, QStringLiteral("Speichern..."))->click();
    });
    c.showExportDialog();
    QCOMPARE(title, QStringLiteral("Exportieren"));
    QFile f(dir.filePath(QStringLiteral("werte.csv")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readLine().startsWith("Zeit;red;blue"));
}

void TestChart::editorChangesApplyAtOnce() {
    Chart c;
    twoLines(c);
    onNextModal<QDialog>([&](QDialog* modal) {
        auto* list = modal->findChild<QListWidget*>();
        QVERIFY(list);
        QCOMPARE(list->count(), 2);
        list->item(1)->setCheckState(Qt::Unchecked);
        QVERIFY(!c.isSeriesActive(1));  // at once, while the editor is open
        list->setCurrentRow(0);
        QLineEdit* seriesTitle = nullptr;
        for (QLineEdit* e : modal->findChildren<QLineEdit*>())
            if (e->text() == QStringLiteral("red"))
                seriesTitle = e;
        QVERIFY(seriesTitle);
        seriesTitle->clear();
        QTest::keyClicks(seriesTitle, QStringLiteral("rot"));
        QCOMPARE(c.seriesTitle(0), QStringLiteral("rot"));
        QCOMPARE(c.legendCheckBox(0)->text(), QStringLiteral("rot"));
        if (!qEnvironmentVariableIsEmpty("KD_SCREENSHOT_DIR"))
            modal->grab().save(qEnvironmentVariable("KD_SCREENSHOT_DIR") + "/editor.png");
        modal->accept();
    });
    c.showEditorDialog();
    QCOMPARE(c.seriesTitle(0), QStringLiteral("rot"));
    QVERIFY(!c.isSeriesActive(1));
}

void TestChart::printPreviewPaints() {
    Chart c;
    twoLines(c);
    int pages = 0;
    onNextModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
        // The preview has asked the chart for its page before it shows.
        pages = preview->findChild<QPrintPreviewWidget*>()->pageCount();
        if (!qEnvironmentVariableIsEmpty("KD_SCREENSHOT_DIR"))
            preview->grab().save(qEnvironmentVariable("KD_SCREENSHOT_DIR") + "/preview.png");
        preview->reject();
    });
    c.showPrintPreview();
    QCOMPARE(pages, 1);
}

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
