// The cabinet console on a test-double HID controller: binding, status
// panels, the poll, command framing and what replies do to its controls.

#include "cabinetprotocol.h"
#include "diagnosticssink.h"
#include "hiddevice.h"
#include "leddisplay.h"
#include "panelstatusbar.h"
#include "programdir.h"
#include "programwindows.h"
#include "schrankform.h"
#include "shellopen.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

class FakeDevice : public kd::hid::HidDevice {
public:
    FakeDevice(quint16 vid, quint16 pid, QString product, QString serial, bool rw = true,
               int outLength = 65)
        : m_vid(vid),
          m_pid(pid),
          m_product(std::move(product)),
          m_serial(std::move(serial)),
          m_rw(rw),
          m_outLength(outLength) {}
    quint16 vendorId() const override { return m_vid; }
    quint16 productId() const override { return m_pid; }
    QString productName() const override { return m_product; }
    QString serialNumber() const override { return m_serial; }
    bool canReadWrite() const override { return m_rw; }
    int outputReportLength() const override { return m_outLength; }
    int inputReportLength() const override { return 65; }
    bool writeReport(const QByteArray& report) override {
        if (released)
            return false;
        written.append(report);
        return true;
    }
    void setDataHandler(DataHandler handler) override { m_handler = std::move(handler); }
    void release() override {
        released = true;
        m_handler = {};
    }

    /// What the reader would hand over: report id, then the reply.
    void deliver(quint8 reportId, const QByteArray& data) {
        if (m_handler)
            m_handler(this, reportId, data);
    }
    bool reading() const { return bool(m_handler); }

    QList<QByteArray> written;
    bool released = false;
    bool reserved = false;

private:
    quint16 m_vid, m_pid;
    QString m_product, m_serial;
    bool m_rw;
    int m_outLength;
    DataHandler m_handler;
};

class FakeController : public kd::hid::HidDeviceController {
public:
    kd::hid::HidDevice* checkOutByID(quint16 vid, quint16 pid) override {
        for (FakeDevice* d : std::as_const(attached)) {
            if (d->vendorId() == vid && d->productId() == pid && !d->reserved) {
                d->reserved = true;
                return d;
            }
        }
        return nullptr;
    }
    FakeDevice* attach(FakeDevice* device) {
        device->setParent(this);
        attached.append(device);
        emit deviceArrival(device);
        return device;
    }
    void detach(FakeDevice* device) {
        attached.removeAll(device);
        emit deviceRemoval(device);
    }
    QList<FakeDevice*> attached;
};

class FakeSink : public kd::DiagnosticsSink {
public:
    void appendPoint(int index, double x, double y) override { points.append({index, x, y}); }
    void setCabinetNumberParts(qint64 hundreds, qint64 remainder) override {
        parts = {hundreds, remainder};
    }
    struct Point {
        int index;
        double x, y;
    };
    QList<Point> points;
    std::pair<qint64, qint64> parts{-1, -1};
};

FakeDevice* cabinet(const QString& serial = QStringLiteral("0001"), int outLength = 65) {
    return new FakeDevice(0x04D8, 0x003F, QStringLiteral("KD7630-48"), serial, true, outLength);
}

QByteArray reply(char code, std::initializer_list<std::pair<int, int>> bytes) {
    QByteArray r(64, '\0');
    r[0] = code;
    for (const auto& [offset, value] : bytes)
        r[offset] = char(value);
    return r;
}

QByteArray report(const QByteArray& command, int length = 65) {
    QByteArray r(length, '\0');
    r.replace(1, command.size(), command);
    return r.left(length);
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

}  // namespace

class TestConsole : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void initialState();
    void arrivalShowsTheCabinetAndPollsSettingsFirst();
    void otherDevicesChangeNothing();
    void hiddenConsoleIsNotPolledUntilShown();
    void repaintMakesTheNextTickReadSettings();
    void closedConsoleKeepsPollingAndFeedingTheSeries();
    void removalEndsTheLink();
    void removalOfAnotherCabinetKeepsTheBoundOne();
    void deviceWithoutReadWriteIsShownButGetsNothing();
    void commandsOfTheButtons_data();
    void commandsOfTheButtons();
    void commandsAreDroppedWithoutDevice();
    void commandLongerThanTheReportIsRefused();
    void typedSpinTextIsClamped_data();
    void typedSpinTextIsClamped();
    void firmwareLoaderStartsOnlyWhenPresent();
    void settingsReplyFillsTheConsole();
    void webImageReplyColour_data();
    void webImageReplyColour();
    void liveValuesReplyFillsTheConsoleAndTheSeries();
    void scanAndClockRepliesAppend();
    void ignoredReplyChangesNothing();
    void releaseAtProgramEnd();

private:
    template <typename T>
    T* child(const char* name) {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("missing control %s", name);
        return w;
    }
    QString messages() { return child<QPlainTextEdit>("txtMessage")->toPlainText(); }
    FakeDevice* showAndAttach(FakeDevice* device);

    FakeController* controller = nullptr;
    TSchrankForm* form = nullptr;
    FakeSink sink;
    QList<QString> opened;
};

void TestConsole::init() {
    kd::windows() = kd::ProgramWindows{};
    sink.points.clear();
    sink.parts = {-1, -1};
    kd::windows().diagnostics = &sink;
    opened.clear();
    kd::setShellOpenerForTesting([this](const QString& target) {
        opened.append(target);
        return true;
    });
    controller = new FakeController;
    form = new TSchrankForm(controller, nullptr);
}

void TestConsole::cleanup() {
    delete form;
    delete controller;
    kd::setShellOpenerForTesting({});
    kd::setProgramDirectoryForTesting(QString());
    kd::windows() = kd::ProgramWindows{};
}

FakeDevice* TestConsole::showAndAttach(FakeDevice* device) {
    form->show();
    if (!QTest::qWaitForWindowExposed(form))
        qFatal("console not exposed");
    return controller->attach(device);
}

void TestConsole::initialState() {
    QCOMPARE(form->windowTitle(), QString("Monitorprogramm für Trockenschrank KD7634"));
    QCOMPARE(form->size(), QSize(989 - 16, 556 - 39));
    QCOMPARE(child<TLEDDisplay>("LEDDisplay2")->text(), QString("0,0"));
    QCOMPARE(child<TLEDDisplay>("LEDDisplay4")->text(), QString("0,5"));
    QCOMPARE(messages(), QString("txtMessage"));
    QCOMPARE(child<QLabel>("Label35")->text(), QString("v:"));
    QCOMPARE(child<QLabel>("Label15")->text(), QString("v:"));
    QCOMPARE(child<QLabel>("Label25")->text(), QString("N#"));
    QCOMPARE(form->cabinetNumberCaption(), QString("N#"));
    QCOMPARE(child<QLineEdit>("Schrankip")->displayText(), QString("   .   .   .   "));
    QCOMPARE(child<QTabWidget>("PageControl1")->tabText(0), QString("USB"));
    QCOMPARE(child<QTabWidget>("PageControl1")->tabText(1), QString("LAN"));
    QCOMPARE(form->Timer1->interval(), 1000);
    QVERIFY(!form->Timer1->isActive());
    QVERIFY(!form->Connected());
    QVERIFY(!form->BoundDevice());

    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    for (const char* hidden : {"SpinEdit1", "SpinEdit2", "SpinEdit3", "SpinEdit6", "SpinEdit7",
                               "rueckluft", "Button1", "Button4", "Label11", "Image2"})
        QVERIFY2(!child<QWidget>(hidden)->isVisibleTo(form), hidden);
    for (const char* shown : {"SpinEdit4", "SpinEdit5", "setzen", "auslesen", "resetbtn1",
                              "softupdatebtn", "Image1", "Zeit", "StatbarUSB", "Label9"})
        QVERIFY2(child<QWidget>(shown)->isVisibleTo(form), shown);
    const auto* bar = child<kd::PanelStatusBar>("StatbarUSB");
    QCOMPARE(bar->panelCount(), 5);
    QCOMPARE(bar->height(), 21);
    QCOMPARE(bar->geometry().bottom(), bar->parentWidget()->height() - 1);
    // Drawn while not connected: the wide panel 0, the timer stays off.
    QTRY_COMPARE(bar->panelWidth(0), 354);
    QVERIFY(!form->Timer1->isActive());
}

void TestConsole::arrivalShowsTheCabinetAndPollsSettingsFirst() {
    FakeDevice* device = showAndAttach(cabinet(QStringLiteral("4711")));
    const auto* bar = child<kd::PanelStatusBar>("StatbarUSB");
    QVERIFY(form->Connected());
    QCOMPARE(form->BoundDevice(), device);
    QVERIFY(device->reserved);
    QVERIFY(device->reading());
    QCOMPARE(form->DeviceProduct(), QString("KD7630-48"));
    QCOMPARE(bar->panelText(1), QString("VID=04D8"));
    QCOMPARE(bar->panelText(2), QString("PID=003F"));
    QCOMPARE(bar->panelText(3), QString("4711"));
    QCOMPARE(bar->panelWidth(0), 270);
    QVERIFY(form->Timer1->isActive());
    QVERIFY(form->SetupPending());

    form->Timer1Timer();
    form->Timer1Timer();
    form->Timer1Timer();
    QCOMPARE(device->written, (QList<QByteArray>{report("@"), report("v"), report("v")}));
}

void TestConsole::otherDevicesChangeNothing() {
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    FakeDevice* bound = controller->attach(cabinet());
    struct Row {
        quint16 vid, pid;
    };
    for (const Row& row : {Row{0x04D8, 0x0040}, Row{0x046D, 0x003F}, Row{0x1234, 0x5678}}) {
        auto* other = controller->attach(
            new FakeDevice(row.vid, row.pid, QStringLiteral("KD7630-48"), QStringLiteral("9")));
        QCOMPARE(form->BoundDevice(), bound);
        QCOMPARE(child<kd::PanelStatusBar>("StatbarUSB")->panelText(3), QString("0001"));
        controller->detach(other);
        QVERIFY(form->Connected());
        QVERIFY(!bound->released);
        QVERIFY(!other->released);
        QCOMPARE(messages(), QString("txtMessage"));
    }
}

void TestConsole::hiddenConsoleIsNotPolledUntilShown() {
    FakeDevice* device = controller->attach(cabinet());
    QVERIFY(form->Connected());
    QVERIFY(!form->Timer1->isActive());
    form->show();
    QTRY_VERIFY(form->Timer1->isActive());
    form->Timer1Timer();
    QCOMPARE(device->written, QList<QByteArray>{report("@")});
}

void TestConsole::repaintMakesTheNextTickReadSettings() {
    FakeDevice* device = showAndAttach(cabinet());
    form->Timer1Timer();
    form->Timer1Timer();
    child<kd::PanelStatusBar>("StatbarUSB")->repaint();
    form->Timer1Timer();
    QCOMPARE(device->written, (QList<QByteArray>{report("@"), report("v"), report("@")}));
}

// Closing the console only hides it: the link, the poll and the diagnostic
// series go on.
void TestConsole::closedConsoleKeepsPollingAndFeedingTheSeries() {
    FakeDevice* device = showAndAttach(cabinet());
    form->Timer1Timer();
    QVERIFY(form->close());
    QVERIFY(!form->isVisible());
    QVERIFY(form->Timer1->isActive());
    QVERIFY(form->Connected());
    QVERIFY(!device->released);
    form->Timer1Timer();
    QCOMPARE(device->written, (QList<QByteArray>{report("@"), report("v")}));
    device->deliver(0, reply('v', {{29, 0xC5}, {30, 0x01}}));
    QCOMPARE(sink.points.size(), 18);
    QCOMPARE(sink.points[6].y, 45.3);
}

void TestConsole::removalEndsTheLink() {
    FakeDevice* device = showAndAttach(cabinet());
    controller->detach(device);
    const auto* bar = child<kd::PanelStatusBar>("StatbarUSB");
    QCOMPARE(messages(), QString("txtMessage\nDevice \"KD7630-48\" Disconnected!"));
    QVERIFY(!form->Connected());
    QVERIFY(!form->BoundDevice());
    QVERIFY(device->released);
    QCOMPARE(bar->panelWidth(0), 354);
    for (int i = 1; i <= 3; ++i)
        QCOMPARE(bar->panelText(i), QString());
    QVERIFY(!form->Timer1->isActive());
    form->setzenClick();
    form->Timer1Timer();
    QVERIFY(device->written.isEmpty());

    // Attaching again binds the new device and reads the settings first.
    FakeDevice* again = controller->attach(cabinet());
    QCOMPARE(form->BoundDevice(), again);
    form->Timer1Timer();
    QCOMPARE(again->written, QList<QByteArray>{report("@")});
}

// Regression: the removal of any cabinet used to release whichever cabinet
// was bound, leaving the console without a link to a cabinet still attached.
void TestConsole::removalOfAnotherCabinetKeepsTheBoundOne() {
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    FakeDevice* first = controller->attach(cabinet(QStringLiteral("A")));
    FakeDevice* second = controller->attach(cabinet(QStringLiteral("B")));
    QCOMPARE(form->BoundDevice(), second);
    QVERIFY(first->reading());

    controller->detach(first);
    QVERIFY(first->released);
    QVERIFY(!second->released);
    QVERIFY(form->Connected());
    QCOMPARE(form->BoundDevice(), second);
    form->auslesenClick();
    QCOMPARE(second->written.last(), report("@"));

    controller->detach(second);
    QVERIFY(second->released);
    QVERIFY(!form->Connected());
}

void TestConsole::deviceWithoutReadWriteIsShownButGetsNothing() {
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    auto* device = controller->attach(
        new FakeDevice(0x04D8, 0x003F, QStringLiteral("KD7630-48"), QStringLiteral("1"), false));
    QVERIFY(form->Connected());
    QCOMPARE(form->BoundDevice(), device);
    QVERIFY(!device->reserved);
    QVERIFY(!device->reading());
}

void TestConsole::commandsOfTheButtons_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("Setzen at 5 and 0 minutes")
        << "setzen" << bytes({'A', 50, 50, 30, 0x2C, 0x01, 0x00, 0x00, 0x00});
    QTest::newRow("Auslesen") << "auslesen" << QByteArray("@");
    QTest::newRow("Lesen") << "Button23" << QByteArray("3");
    QTest::newRow("Reset") << "resetbtn1" << bytes({0xFF});
    QTest::newRow("Softwareupdate") << "softupdatebtn" << bytes({0xFE});
    QTest::newRow("Log") << "Button1" << QByteArray("v");
    QTest::newRow("Button4") << "Button4" << QByteArray("u");
    QTest::newRow("WDT Testen") << "SendWdtTest" << bytes({0xFD});
    QTest::newRow("Disp LDR") << "SendDispLdr" << QByteArray("w");
    QTest::newRow("N Senden 12345") << "SendCabinetNumber" << bytes({'x', 0x39, 0x30, 0, 0});
    QTest::newRow("N Senden 256, zeros kept") << "SendCabinetNumber256" << bytes({'x', 0, 1, 0, 0});
}

void TestConsole::commandsOfTheButtons() {
    QFETCH(QString, action);
    QFETCH(QByteArray, command);
    FakeDevice* device = controller->attach(cabinet());
    child<QSpinBox>("SpinEdit4")->setValue(5);
    child<QSpinBox>("SpinEdit5")->setValue(0);
    if (action == "SendWdtTest")
        form->SendWdtTest();
    else if (action == "SendDispLdr")
        form->SendDispLdr();
    else if (action == "SendCabinetNumber")
        form->SendCabinetNumber(12345);
    else if (action == "SendCabinetNumber256")
        form->SendCabinetNumber(256);
    else
        QTest::mouseClick(child<QWidget>(action.toLatin1().constData()), Qt::LeftButton);
    QCOMPARE(device->written, QList<QByteArray>{report(command)});
}

void TestConsole::commandsAreDroppedWithoutDevice() {
    form->setzenClick();
    form->auslesenClick();
    form->SendCabinetNumber(1);
    form->Timer1Timer();
    QVERIFY(!form->BoundDevice());
    // A device that arrived and left afterwards received nothing.
    FakeDevice* device = controller->attach(cabinet());
    controller->detach(device);
    form->resetbtn1Click();
    QVERIFY(device->written.isEmpty());
}

void TestConsole::commandLongerThanTheReportIsRefused() {
    FakeDevice* device = controller->attach(cabinet(QStringLiteral("1"), 9));
    form->setzenClick();  // 9 command bytes: one more than fits
    QVERIFY(device->written.isEmpty());
    form->auslesenClick();
    QCOMPARE(device->written, QList<QByteArray>{report("@", 9)});
}

void TestConsole::typedSpinTextIsClamped_data() {
    QTest::addColumn<QString>("door");
    QTest::addColumn<QString>("restart");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("above range") << "99"
                                 << "61" << bytes({'A', 50, 50, 30, 0x10, 0x0E, 0x10, 0x0E, 0x00});
    QTest::newRow("below range") << "1"
                                 << "-4" << bytes({'A', 50, 50, 30, 0x2C, 0x01, 0, 0, 0});
    QTest::newRow("not a number: minimum") << "abc"
                                           << "" << bytes({'A', 50, 50, 30, 0x2C, 0x01, 0, 0, 0});
    QTest::newRow("in range") << "10"
                              << "1" << bytes({'A', 50, 50, 30, 0x58, 0x02, 0x3C, 0, 0});
}

void TestConsole::typedSpinTextIsClamped() {
    QFETCH(QString, door);
    QFETCH(QString, restart);
    QFETCH(QByteArray, command);
    FakeDevice* device = controller->attach(cabinet());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    for (auto [name, text] : {std::pair{"SpinEdit4", door}, std::pair{"SpinEdit5", restart}}) {
        auto* edit = child<QSpinBox>(name)->findChild<QLineEdit*>();
        edit->setFocus();
        edit->selectAll();
        edit->del();
        QTest::keyClicks(edit, text);
    }
    QTest::mouseClick(child<QWidget>("setzen"), Qt::LeftButton);
    QVERIFY(!device->written.isEmpty());
    QCOMPARE(device->written.last(), report(command));
}

void TestConsole::firmwareLoaderStartsOnlyWhenPresent() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    kd::setProgramDirectoryForTesting(dir.path() + QLatin1Char('/'));
    FakeDevice* device = controller->attach(cabinet());

    form->softupdatebtnClick();
    QCOMPARE(device->written, QList<QByteArray>{report(bytes({0xFE}))});
    QVERIFY(opened.isEmpty());

    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Bootloader")));
    QFile loader(dir.filePath(QStringLiteral("Bootloader/BOOTL.exe")));
    QVERIFY(loader.open(QIODevice::WriteOnly));
    loader.close();
    form->softupdatebtnClick();
    QCOMPARE(device->written.size(), 2);
    QCOMPARE(opened, QList<QString>{dir.path() + QStringLiteral("/Bootloader/BOOTL.exe")});
}

void TestConsole::settingsReplyFillsTheConsole() {
    FakeDevice* device = controller->attach(cabinet());
    device->deliver(0, reply('@', {{1, 100},
                                   {2, 250},
                                   {3, 0},
                                   {4, 0x2C},
                                   {5, 0x01},
                                   {6, 0x0E},
                                   {7, 0x10},
                                   {8, 0x40},
                                   {13, 0x39},
                                   {14, 0x30},
                                   {17, 3},
                                   {18, 1},
                                   {21, 0x00},
                                   {22, 0x04},
                                   {23, 0xA3},
                                   {24, 0x12},
                                   {25, 0x34},
                                   {26, 0x56}}));
    QCOMPARE(child<QSpinBox>("SpinEdit1")->value(), 10);
    QCOMPARE(child<QSpinBox>("SpinEdit2")->value(), 20);  // 25 limited to 20
    QCOMPARE(child<QSpinBox>("SpinEdit3")->value(), 3);   // 0 limited to 3
    QCOMPARE(child<QSpinBox>("SpinEdit4")->value(), 5);
    QCOMPARE(child<QSpinBox>("SpinEdit5")->value(), 60);  // 4110 s = 68 min
    QCOMPARE(child<QSpinBox>("SpinEdit6")->value(), 1);
    QVERIFY(child<QCheckBox>("rueckluft")->isChecked());
    QCOMPARE(child<QLabel>("Label35")->text(), QString("V.:1.003"));
    QCOMPARE(child<QLabel>("Label35")->palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(child<QLabel>("Label25")->text(), QString("N#12345"));
    QCOMPARE(form->cabinetNumberCaption(), QString("N#12345"));
    QCOMPARE(child<QLabel>("Label20")->text(), QString("MAC:00:04:A3:12:34:56"));
    QCOMPARE(sink.parts, (std::pair<qint64, qint64>{123, 45}));
    QCOMPARE(messages(), QString("Read K Setup"));
    QCOMPARE(form->FirmwareVersion(), (kd::protocol::FirmwareVersion{1, 3}));
    QCOMPARE(device->written, QList<QByteArray>{report("u")});
}

void TestConsole::webImageReplyColour_data() {
    QTest::addColumn<int>("firmwareMinor");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("same version black")
        << 3 << QByteArray("Version_MPFS=1.003;") << QColor(Qt::black);
    QTest::newRow("older than firmware red")
        << 4 << QByteArray("Version_MPFS=1.003;") << QColor(Qt::red);
}

void TestConsole::webImageReplyColour() {
    QFETCH(int, firmwareMinor);
    QFETCH(QByteArray, text);
    QFETCH(QColor, colour);
    form->HandleReport(reply('@', {{17, firmwareMinor}, {18, 1}}));
    QByteArray u = reply('u', {});
    u.replace(1, text.size(), text);
    form->HandleReport(u);
    QCOMPARE(child<QLabel>("Label15")->text(), QString("MPFS: 1.003"));
    QCOMPARE(child<QLabel>("Label15")->palette().color(QPalette::WindowText), colour);
    QCOMPARE(child<QPlainTextEdit>("UDPMemo")->toPlainText().split('\n').last(),
             QString::fromLatin1(text));
}

void TestConsole::liveValuesReplyFillsTheConsoleAndTheSeries() {
    FakeDevice* device = controller->attach(cabinet());
    const double before = kd::protocol::dateTimeValue(QDateTime::currentDateTime());
    device->deliver(7, reply('v', {{2, 3},
                                   {8, 0x64},
                                   {24, 0x01},
                                   {29, 0xC5},
                                   {30, 0x01},
                                   {31, 0xFF},
                                   {32, 0xFF},
                                   {34, 0x05},
                                   {38, 192},
                                   {39, 168},
                                   {40, 1},
                                   {41, 20}}));
    const double after = kd::protocol::dateTimeValue(QDateTime::currentDateTime());
    QCOMPARE(child<TLEDDisplay>("LEDDisplay2")->text(), QString("45,3"));
    QCOMPARE(child<TLEDDisplay>("LEDDisplay4")->text(), QString("0,5"));
    QCOMPARE(child<QLabel>("IP_Label")->text(), QString("192.168.1.20"));
    QCOMPARE(child<QLabel>("Label11")->text(), QString("Fehler: 3"));
    QVERIFY(child<QLabel>("Label11")->isVisibleTo(form));
    const QStringList lines = messages().split('\n');
    QCOMPARE(lines.size(), 20);
    QCOMPARE(lines.at(0), QString("Aktoren: 00000000"));
    QVERIFY(lines.contains("Netzf: 50"));
    QVERIFY(lines.contains("STATUS: 00000001"));

    QCOMPARE(sink.points.size(), 18);
    for (int i = 0; i < 18; ++i) {
        QCOMPARE(sink.points[i].index, i);
        QCOMPARE(sink.points[i].x, sink.points[0].x);
    }
    QVERIFY(sink.points[0].x >= before && sink.points[0].x <= after);
    QCOMPARE(sink.points[0].y, 50.0);
    QCOMPARE(sink.points[5].y, -0.1);
    QCOMPARE(sink.points[16].y, 100.0);

    form->HandleReport(reply('v', {{2, 0}}));
    QVERIFY(!child<QLabel>("Label11")->isVisibleTo(form));
    QCOMPARE(sink.points.size(), 36);
}

void TestConsole::scanAndClockRepliesAppend() {
    form->HandleReport(reply(':', {{1, 0}}));
    form->HandleReport(reply('3', {{1, 0}, {2, 9}, {3, 5}, {4, 7}, {5, 1}, {6, 12}, {7, 15}}));
    QCOMPARE(messages(), QString("txtMessage\nKEine I2C Geräte gefunden\nRead RTC: 0"));
    QCOMPARE(child<QLabel>("Label27")->text(), QString("09:05:07"));
    QCOMPARE(child<QLabel>("Label29")->text(), QString("01.12.2015"));
    QVERIFY(!child<QLabel>("Label26")->text().isEmpty());
    QVERIFY(!child<QLabel>("Label28")->text().isEmpty());
}

void TestConsole::ignoredReplyChangesNothing() {
    FakeDevice* device = controller->attach(cabinet());
    for (char code : {'x', '\0', 'A'})
        form->HandleReport(reply(code, {{1, 0x41}, {2, 0x42}, {29, 0xFF}}));
    QCOMPARE(messages(), QString("txtMessage"));
    QCOMPARE(child<TLEDDisplay>("LEDDisplay2")->text(), QString("0,0"));
    QVERIFY(sink.points.isEmpty());
    QVERIFY(device->written.isEmpty());
}

void TestConsole::releaseAtProgramEnd() {
    FakeDevice* device = controller->attach(cabinet());
    form->releaseCabinetLink();
    QVERIFY(device->released);
    form->auslesenClick();
    QVERIFY(device->written.isEmpty());
}

QTEST_MAIN(TestConsole)
#include "test_console.moc"
