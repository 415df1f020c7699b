// The cabinet console and the simulated cabinet over the virtual HID link:
// the whole road of a reply, from the poll tick through the device
// controller, the link, the simulated controller and back through the reader
// hand-off into the console and the diagnostic series.

#include "devicecontroller.h"
#include "diagnosticssink.h"
#include "leddisplay.h"
#include "panelstatusbar.h"
#include "programwindows.h"
#include "schrankform.h"
#include "usbside.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <map>
#include <memory>

namespace {

class RecordingSink : public kd::DiagnosticsSink {
public:
    void appendPoint(int seriesIndex, double, double y) override { points[seriesIndex].append(y); }
    void setCabinetNumberParts(qint64 hundreds, qint64 remainder) override {
        parts = {hundreds, remainder};
    }
    std::map<int, QList<double>> points;
    std::pair<qint64, qint64> parts{-1, -1};
};

int word(const QByteArray& r, int at) {
    return quint8(r[at]) | quint8(r[at + 1]) << 8;
}

}  // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pollSettingsLiveValuesRemovalAndRebinding();

private:
    template <typename T>
    T* child(const char* name) {
        T* w = form_->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("missing control %s", name);
        return w;
    }
    QString messages() { return child<QPlainTextEdit>("txtMessage")->toPlainText(); }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<kd::sim::UsbSide> cabinet_;
    std::unique_ptr<QObject> owner_;
    TSchrankForm* form_ = nullptr;
    RecordingSink sink_;
};

void TestEndToEnd::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    kd::sim::UsbSideConfig config;
    config.socketName = dir_->filePath("cabinet.sock");
    config.resetMs = 300;
    config.cabinet.firmwareMajor = 1;
    config.cabinet.firmwareMinor = 4;
    config.cabinet.webVersion = QStringLiteral("1.004");
    config.cabinet.cabinetNumber = 12345;
    config.cabinet.ip = {10, 20, 30, 40};
    config.hello.serial = QStringLiteral("E2E-7");
    cabinet_ = std::make_unique<kd::sim::UsbSide>(config);
    QString error;
    QVERIFY2(cabinet_->start(&error), qPrintable(error));

    kd::windows() = kd::ProgramWindows{};
    kd::windows().diagnostics = &sink_;
    owner_ = std::make_unique<QObject>();
    kd::hid::ControllerOptions options;
    options.realDevices = false;
    options.virtualCabinet = config.socketName;
    form_ = new TSchrankForm(kd::hid::createDeviceController(options, owner_.get()), nullptr);
}

void TestEndToEnd::cleanup() {
    delete form_;
    form_ = nullptr;
    owner_.reset();
    cabinet_.reset();
    dir_.reset();
    kd::windows() = kd::ProgramWindows{};
}

void TestEndToEnd::pollSettingsLiveValuesRemovalAndRebinding() {
    QList<char> commands;
    QList<QByteArray> replies;
    connect(cabinet_.get(), &kd::sim::UsbSide::commandReceived, this,
            [&](const QByteArray& c) { commands.append(c.isEmpty() ? '\0' : c[0]); });
    connect(cabinet_.get(), &kd::sim::UsbSide::replySent, this,
            [&](const QByteArray& r) { replies.append(r); });
    const auto* bar = child<kd::PanelStatusBar>("StatbarUSB");

    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_));
    QTRY_VERIFY(form_->Connected());
    QCOMPARE(form_->DeviceProduct(), QString("KD7630-48"));
    QTRY_COMPARE(bar->panelWidth(0), 270);
    QCOMPARE(bar->panelText(1), QString("VID=04D8"));
    QCOMPARE(bar->panelText(2), QString("PID=003F"));
    QCOMPARE(bar->panelText(3), QString("E2E-7"));
    QVERIFY(form_->Timer1->isActive());

    // First tick: "@"; its reply makes the console ask for "u"; then "v".
    QTRY_VERIFY_WITH_TIMEOUT(commands.size() >= 4, 6000);
    QCOMPARE(commands.mid(0, 4), (QList<char>{'@', 'u', 'v', 'v'}));

    QTRY_COMPARE(child<QLabel>("Label25")->text(), QString("N#12345"));
    QCOMPARE(child<QLabel>("Label35")->text(), QString("V.:1.004"));
    QCOMPARE(child<QLabel>("Label20")->text(), QString("MAC:00:04:A3:12:34:56"));
    QCOMPARE(sink_.parts, (std::pair<qint64, qint64>{123, 45}));
    QTRY_COMPARE(child<QLabel>("Label15")->text(), QString("MPFS: 1.004"));
    QTRY_COMPARE(child<QLabel>("IP_Label")->text(), QString("10.20.30.40"));

    // The last live reply is what the console and the series show.
    QTRY_VERIFY(sink_.points[6].size() >= 2);
    QByteArray lastLive;
    for (const QByteArray& r : replies) {
        if (r[0] == 'v')
            lastLive = r;
    }
    const double upper = word(lastLive, 29) / 10.0;
    QCOMPARE(sink_.points[6].last(), upper);
    QCOMPARE(child<TLEDDisplay>("LEDDisplay2")->value(), upper);
    QCOMPARE(sink_.points[4].last(), word(lastLive, 34) / 10.0);
    for (int i = 0; i < 18; ++i)
        QCOMPARE(sink_.points[i].size(), sink_.points[6].size());
    QVERIFY(messages().contains("Netzf: 50") || messages().contains("Netzf: 49") ||
            messages().contains("Netzf: 51"));

    // Reset: the controller leaves the bus.
    form_->resetbtn1Click();
    QTRY_VERIFY(!form_->Connected());
    QVERIFY(messages().endsWith("Device \"KD7630-48\" Disconnected!"));
    QVERIFY(!form_->BoundDevice());
    QTRY_COMPARE(bar->panelWidth(0), 354);
    for (int i = 1; i <= 3; ++i)
        QCOMPARE(bar->panelText(i), QString());
    QVERIFY(!form_->Timer1->isActive());
    const qsizetype sentBefore = commands.size();
    form_->setzenClick();
    form_->Timer1Timer();

    // Back on the bus: rebound, the I2C scan of the restart shows, and the
    // polling starts again with the settings.
    QTRY_VERIFY_WITH_TIMEOUT(form_->Connected(), 5000);
    QCOMPARE(commands.size(), sentBefore);
    QTRY_VERIFY(messages().contains("I2C Geräte gefunden"));
    QTRY_VERIFY_WITH_TIMEOUT(commands.size() >= sentBefore + 2, 6000);
    QCOMPARE(commands.mid(sentBefore, 2), (QList<char>{'@', 'u'}));
}

QTEST_MAIN(TestEndToEnd)
#include "test_e2e_console.moc"
