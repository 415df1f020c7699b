// The two live chart windows: their handlers, the service controls and the
// help-desk mail as the user meets them (modal boxes included).

#include "cabinetcommands.h"
#include "chart.h"
#include "errorbox.h"
#include "graphform.h"
#include "internform.h"
#include "livechart.h"
#include "programwindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <functional>

using kd::chart::Axis;
using kd::chart::Chart;

namespace {

/// Records what the diagnostic window asks of the console.
class FakeCabinet : public kd::CabinetCommands {
public:
    void SendWdtTest() override { calls << QStringLiteral("wdt"); }
    void SendDispLdr() override { calls << QStringLiteral("ldr"); }
    void SendCabinetNumber(qint32 number) override { numbers << number; }
    QString cabinetNumberCaption() const override { return caption; }
    void releaseCabinetLink() override {}
    QStringList calls;
    QList<qint32> numbers;
    QString caption = QStringLiteral("N#");
};

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

Chart* chartOf(QWidget* window) {
    return window->findChild<Chart*>(QStringLiteral("Chart1"));
}

void fillLiveData(Chart* chart, int seconds) {
    const double start = 46000.4;  // a morning in December 2025
    for (int s = 0; s < seconds; ++s) {
        const double x = start + s / 86400.0;
        for (int i = 0; i < kd::livechart::kSeriesCount; ++i) {
            const double y = 20 * i + 10 + 8 * std::sin(s / 60.0 + i) + (i == 16 ? 0 : 0);
            chart->addPoint(i, x, i == 16 ? ((s / 600) % 2) * 40 : y);
        }
    }
}

}  // namespace

class TestLiveChartWindows : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void seriesAndCaptions_data();
    void seriesAndCaptions();
    void axisPresetsAndRefusal();
    void autosizeOnEmptyChart();
    void autosizeHoldsTheDataRange();
    void legendBoxAndResize();
    void cabinetNumberSent_data();
    void cabinetNumberSent();
    void serviceCommandsAndControls();
    void decoderFillsSpinEdits();
    void kwbSaveNaming_data();
    void kwbSaveNaming();
    void mailBodyFollowsTheConsoleLabel();
    void mailOutcome_data();
    void mailOutcome();
    void screenshots();

private:
    FakeCabinet m_cabinet;
    QTemporaryDir m_dir;
    QByteArray m_path;
    QStringList m_errors;
};

void TestLiveChartWindows::init() {
    kd::windows() = kd::ProgramWindows{};
    m_cabinet.calls.clear();
    m_cabinet.numbers.clear();
    m_cabinet.caption = QStringLiteral("N#");
    kd::windows().cabinet = &m_cabinet;
    m_errors.clear();
    kd::setErrorPresenter([this](const QString& text) { m_errors << text; });
    m_path = qgetenv("PATH");
}

void TestLiveChartWindows::cleanup() {
    qputenv("PATH", m_path);
    kd::setErrorPresenter({});
    kd::windows() = kd::ProgramWindows{};
}

void TestLiveChartWindows::seriesAndCaptions_data() {
    QTest::addColumn<bool>("intern");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("title3");
    QTest::addColumn<QString>("title15");
    QTest::addColumn<QRgb>("doorColour");
    QTest::newRow("diagnostic window") << true << "InternForm"
                                       << "T down"
                                       << "status" << kd::chart::paletteColor(16);
    QTest::newRow("graph window") << false << "GraphForm"
                                  << "Temp. down"
                                  << "state" << QRgb(0xFF808080);
}

void TestLiveChartWindows::seriesAndCaptions() {
    QFETCH(bool, intern);
    std::unique_ptr<QWidget> w(intern ? static_cast<QWidget*>(new TInternForm)
                                      : static_cast<QWidget*>(new TGraphForm));
    QFETCH(QString, caption);
    QFETCH(QString, title3);
    QFETCH(QString, title15);
    QFETCH(QRgb, doorColour);
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(w->size(), QSize(933 - 16, 540 - 39));
    Chart* c = chartOf(w.get());
    QVERIFY(c);
    QCOMPARE(c->seriesCount(), 18);
    QCOMPARE(c->seriesTitle(0), QStringLiteral("Netzfq."));
    QCOMPARE(c->seriesTitle(3), title3);
    QCOMPARE(c->seriesTitle(15), title15);
    QCOMPARE(c->seriesTitle(17), QStringLiteral("Inttimer"));
    QCOMPARE(c->seriesColor(8), QColor(0, 0, 128));
    QCOMPARE(c->seriesColor(10), QColor(255, 0, 0));
    QCOMPARE(c->seriesStyle(11).pen, kd::chart::PenStyle::Dash);
    QCOMPARE(c->seriesStyle(12).pen, kd::chart::PenStyle::Dot);
    QCOMPARE(c->seriesStyle(16).kind, kd::chart::SeriesKind::Area);
    QCOMPARE(c->seriesColor(16).rgba(), doorColour);
    QCOMPARE(c->axisMinimum(Axis::Left), 0.0);
    QCOMPARE(c->axisMaximum(Axis::Left), 300.0);
    QVERIFY(!c->isAxisAutomatic(Axis::Left));
    QVERIFY(c->isAxisAutomatic(Axis::Bottom));
}

void TestLiveChartWindows::axisPresetsAndRefusal() {
    TInternForm w;
    Chart* c = chartOf(&w);
    w.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    QCOMPARE(c->axisMaximum(Axis::Left), 20.0);
    w.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    QCOMPARE(c->axisMaximum(Axis::Left), 300.0);

    // After "Autosize" on data all below zero, a preset's minimum 0 lies above
    // the maximum: it is refused and the axis keeps its range.
    for (int i = 0; i < 10; ++i)
        c->addPoint(0, 46000 + i / 1440.0, -50 + i);
    w.Button7Click();
    QCOMPARE(c->axisMinimum(Axis::Left), -50.0);
    QCOMPARE(c->axisMaximum(Axis::Left), -41.0);
    QVERIFY_THROWS_EXCEPTION(kd::Error, w.Button1Click());
    QCOMPARE(c->axisMinimum(Axis::Left), -50.0);
    QCOMPARE(c->axisMaximum(Axis::Left), -41.0);
}

void TestLiveChartWindows::autosizeOnEmptyChart() {
    TGraphForm w;
    Chart* c = chartOf(&w);
    const double bottomMin = c->axisMinimum(Axis::Bottom);
    const double bottomMax = c->axisMaximum(Axis::Bottom);
    w.findChild<QPushButton*>(QStringLiteral("Button7"))->click();
    QCOMPARE(c->axisMinimum(Axis::Left), 0.0);
    QCOMPARE(c->axisMaximum(Axis::Left), 300.0);
    QCOMPARE(c->axisMinimum(Axis::Bottom), bottomMin);
    QCOMPARE(c->axisMaximum(Axis::Bottom), bottomMax);
    QVERIFY(!c->isAxisAutomatic(Axis::Left));
    QVERIFY(!c->isAxisAutomatic(Axis::Bottom));
}

void TestLiveChartWindows::autosizeHoldsTheDataRange() {
    TInternForm w;
    Chart* c = chartOf(&w);
    w.appendPoint(2, 46000.5, 12);
    w.appendPoint(2, 46000.6, 70);
    w.Button7Click();
    QCOMPARE(c->axisMinimum(Axis::Bottom), 46000.5);
    QCOMPARE(c->axisMaximum(Axis::Bottom), 46000.6);
    QCOMPARE(c->axisMinimum(Axis::Left), 12.0);
    QCOMPARE(c->axisMaximum(Axis::Left), 70.0);
    // Later points past the edge stay out of view: the range holds.
    w.appendPoint(2, 46000.7, 500);
    c->repaintNow();
    QCOMPARE(c->axisMaximum(Axis::Bottom), 46000.6);
    QCOMPARE(c->axisMaximum(Axis::Left), 70.0);
}

void TestLiveChartWindows::legendBoxAndResize() {
    TInternForm w;
    Chart* c = chartOf(&w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(c->legendPosition(), QPoint(c->width() - 185, 40));
    auto* box = w.findChild<QCheckBox*>(QStringLiteral("CheckBoxLegend"));
    QVERIFY(box->isChecked());
    box->click();
    QVERIFY(!c->isLegendVisible());
    QVERIFY(!c->legendCheckBox(0)->isVisible());
    for (int i = 0; i < c->seriesCount(); ++i)
        QVERIFY(c->isSeriesActive(i));
    box->click();
    QVERIFY(c->isLegendVisible());

    // A series' own box hides that series only.
    c->legendCheckBox(4)->click();
    QVERIFY(!c->isSeriesActive(4));
    QVERIFY(c->isSeriesActive(3));
    QVERIFY(c->isSeriesActive(5));

    // The legend follows every resize, without a lower bound.
    for (int width : {1200, 400, 150}) {
        w.resize(width, 501);
        QCOMPARE(c->legendPosition(), QPoint(c->width() - 185, 40));
    }
}

void TestLiveChartWindows::cabinetNumberSent_data() {
    QTest::addColumn<int>("hundreds");
    QTest::addColumn<int>("remainder");
    QTest::addColumn<qint32>("sent");
    QTest::newRow("0 and 5") << 0 << 5 << 5;
    QTest::newRow("123 and 45") << 123 << 45 << 12345;
    QTest::newRow("7 and 0") << 7 << 0 << 700;
    QTest::newRow("largest") << 9999999 << 99 << 999999999;
}

void TestLiveChartWindows::cabinetNumberSent() {
    QFETCH(int, hundreds);
    QFETCH(int, remainder);
    QFETCH(qint32, sent);
    TInternForm w;
    w.findChild<QSpinBox*>(QStringLiteral("SpinEdit1"))->setValue(hundreds);
    w.findChild<QSpinBox*>(QStringLiteral("SpinEdit2"))->setValue(remainder);
    w.findChild<QPushButton*>(QStringLiteral("Button15"))->click();
    QCOMPARE(m_cabinet.numbers, QList<qint32>{sent});
}

void TestLiveChartWindows::serviceCommandsAndControls() {
    TInternForm w;
    w.show();
    // The start window finds the five service controls by name.
    for (const char* name : {"Button15", "SpinEdit1", "SpinEdit2", "Button8", "Button9"})
        QVERIFY2(w.findChild<QWidget*>(QLatin1String(name)), name);
    QVERIFY(w.findChild<QPushButton*>(QStringLiteral("Button9"))->isVisible());
    QVERIFY(!w.findChild<QPushButton*>(QStringLiteral("Button8"))->isVisible());
    w.findChild<QPushButton*>(QStringLiteral("Button9"))->click();
    w.Button8Click();
    QCOMPARE(m_cabinet.calls, (QStringList{QStringLiteral("ldr"), QStringLiteral("wdt")}));

    // Without a console the buttons do nothing.
    kd::windows().cabinet = nullptr;
    w.Button8Click();
    w.Button9Click();
    w.Button15Click();
    QCOMPARE(m_cabinet.calls.size(), 2);
}

void TestLiveChartWindows::decoderFillsSpinEdits() {
    TInternForm w;
    kd::DiagnosticsSink* sink = &w;
    sink->setCabinetNumberParts(123, 45);
    QCOMPARE(w.findChild<QSpinBox*>(QStringLiteral("SpinEdit1"))->value(), 123);
    QCOMPARE(w.findChild<QSpinBox*>(QStringLiteral("SpinEdit2"))->value(), 45);
    // Out-of-range parts are limited to the spin edits' ranges.
    sink->setCabinetNumberParts(-4, 250);
    QCOMPARE(w.findChild<QSpinBox*>(QStringLiteral("SpinEdit1"))->value(), 0);
    QCOMPARE(w.findChild<QSpinBox*>(QStringLiteral("SpinEdit2"))->value(), 99);
}

void TestLiveChartWindows::kwbSaveNaming_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << "trace"
                                  << "trace.tee";
    QTest::newRow("other extension kept") << "trace.dat"
                                          << "trace.dat";
    QTest::newRow("tee kept") << "trace.tee"
                              << "trace.tee";
}

void TestLiveChartWindows::kwbSaveNaming() {
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QTemporaryDir dir;
    TInternForm w;
    w.appendPoint(0, 46000.5, 1.5);
    w.appendPoint(0, 46000.6, 2.5);
    QString filter;
    onNextModal<QFileDialog>([&](QFileDialog* dialog) {
        filter = dialog->nameFilters().join(QLatin1Char('|'));
        typeFileName(dialog, dir.filePath(typed));
        static_cast<QDialog*>(dialog)->accept();
    });
    w.findChild<QPushButton*>(QStringLiteral("Button5"))->click();
    QCOMPARE(filter, QStringLiteral("Teefiles (*.tee)"));
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    QCOMPARE(files, QStringList{written});

    // What was saved reads back equal.
    Chart copy;
    copy.loadFromFile(dir.filePath(written));
    QCOMPARE(copy.seriesCount(), 18);
    QCOMPARE(copy.pointCount(0), 2);
    QCOMPARE(copy.pointX(0, 1), 46000.6);
    QCOMPARE(copy.pointY(0, 1), 2.5);
    QCOMPARE(copy.seriesTitle(3), QStringLiteral("T down"));

    // Cancel writes nothing.
    onNextModal<QFileDialog>([](QFileDialog* dialog) { static_cast<QDialog*>(dialog)->reject(); });
    w.Button5Click();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

void TestLiveChartWindows::mailBodyFollowsTheConsoleLabel() {
#ifdef Q_OS_WIN
    QSKIP("the stand-in mail program is a shell script; Windows mails through Simple MAPI");
#endif
    // A stand-in mail program that records its arguments, one per line.
    QTemporaryDir bin;
    const QString log = bin.filePath(QStringLiteral("args.txt"));
    QFile script(bin.filePath(QStringLiteral("xdg-email")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(
        QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '%1'\n")
            .arg(log)
            .toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(bin.path()));

    TGraphForm w;
    w.Button3Click();
    m_cabinet.caption = QStringLiteral("N#12345");
    w.Button3Click();

    QFile f(log);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2 * 7 + 1);
    QCOMPARE(lines[0], QStringLiteral("--attach"));
    QCOMPARE(lines[2], QStringLiteral("--subject"));
    QCOMPARE(lines[3], QStringLiteral("KR7630-48 - Hilfe"));
    QCOMPARE(lines[5], QStringLiteral("Erbitte um Hilfe bei meinem Schrank:N#"));
    QCOMPARE(lines[12], QStringLiteral("Erbitte um Hilfe bei meinem Schrank:N#12345"));
    QVERIFY(lines[6].endsWith(QLatin1String(".example")));

    // Each press leaves its own temporary file with the chart in it.
    const QString first = lines[1];
    const QString second = lines[8];
    QVERIFY(first != second);
    for (const QString& name : {first, second}) {
        QVERIFY(QFileInfo(name).fileName().startsWith(QLatin1String("KWB")));
        QVERIFY(name.endsWith(QLatin1String(".tmp")));
        Chart saved;
        saved.loadFromFile(name);
        QCOMPARE(saved.seriesCount(), 18);
        QFile::remove(name);
    }
}

void TestLiveChartWindows::mailOutcome_data() {
    QTest::addColumn<QString>("script");  // empty: no mail program at all
    QTest::addColumn<QString>("shown");   // empty: no box
    QTest::newRow("success shows nothing") << "exit 0"
                                           << "";
    QTest::newRow("mail program missing") << ""
                                          << "No mail program could be loaded or started!";
    QTest::newRow("mail program fails") << "exit 4"
                                        << "One or more unspecified errors occurred!";
    QTest::newRow("no mail client behind it") << "exit 3"
                                              << "No mail program could be loaded or started!";
}

void TestLiveChartWindows::mailOutcome() {
#ifdef Q_OS_WIN
    QSKIP("the stand-in mail program is a shell script; Windows mails through Simple MAPI");
#endif
    QFETCH(QString, script);
    QFETCH(QString, shown);
    QTemporaryDir bin;
    if (!script.isEmpty()) {
        QFile f(bin.filePath(QStringLiteral("xdg-email")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(("#!/bin/sh\n" + script + "\n").toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    }
    qputenv("PATH", QFile::encodeName(bin.path()));

    TInternForm w;
    QString boxText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool boxSeen = false;
    auto* watcher = new QTimer(&w);
    watcher->setInterval(10);
    connect(watcher, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxSeen = true;
            boxText = box->text();
            icon = box->icon();
            box->accept();
        }
    });
    watcher->start();
    w.findChild<QPushButton*>(QStringLiteral("Button3"))->click();
    watcher->stop();
    if (shown.isEmpty()) {
        QVERIFY(!boxSeen);
        return;
    }
    QVERIFY(boxSeen);
    QCOMPARE(icon, QMessageBox::Critical);
    const QString expected = QStringLiteral("Die Datei konnte nicht per E-Mail versendet werden!") +
                             QStringLiteral("\n\r\n\r") + QStringLiteral("Meldung:") +
                             QStringLiteral("\n\r") + shown;
    QCOMPARE(boxText, expected);
}

void TestLiveChartWindows::screenshots() {
    // Written for the developer to look at; the comparison is by eye.
    const QString folder = qEnvironmentVariable("KD_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("set KD_SCREENSHOT_DIR to write the live chart screenshots");
    TInternForm intern;
    TGraphForm graph;
    fillLiveData(chartOf(&intern), 3600);
    fillLiveData(chartOf(&graph), 900);
    for (QWidget* w : {static_cast<QWidget*>(&intern), static_cast<QWidget*>(&graph)}) {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        chartOf(w)->repaintNow();
        QVERIFY(w->grab().save(QDir(folder).filePath(w->windowTitle() + QStringLiteral(".png"))));
    }
    chartOf(&intern)->legendCheckBox(16)->click();
    intern.Button1Click();
    chartOf(&intern)->repaintNow();
    QVERIFY(intern.grab().save(QDir(folder).filePath(QStringLiteral("InternForm-0..20.png"))));
}

QTEST_MAIN(TestLiveChartWindows)
#include "tst_livechartwindows.moc"
