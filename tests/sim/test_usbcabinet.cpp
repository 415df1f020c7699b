#include "usbcabinet.h"
#include "usbside.h"

#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using kd::sim::BusAction;
using kd::sim::UsbCabinet;
using kd::sim::UsbCabinetConfig;

namespace {

const QDateTime kNow(QDate(2015, 3, 15), QTime(14, 7, 5));

int word(const QByteArray& r, int at) {
    return quint8(r[at]) | quint8(r[at + 1]) << 8;
}

QByteArray reply(UsbCabinet& c, const QByteArray& command, double elapsed = 0) {
    const auto out = c.handle(command, kNow, elapsed);
    return out.replies.isEmpty() ? QByteArray() : out.replies.first();
}

}  // namespace

// The simulated controller must answer like the real one, or the program's
// end-to-end tests prove nothing.
class TestUsbCabinet : public QObject {
    Q_OBJECT
private slots:
    void settingsFollowCommands_data();
    void settingsFollowCommands();
    void versionReplyCarriesWebVersion();
    void clockFollowsClockCommand_data();
    void clockFollowsClockCommand();
    void busActions_data();
    void busActions();
    void humidityFallsWhileDryingAndRisesWithDoorOpen();
    void liveReplyLayout();
    void replyScript_data();
    void replyScript();
    void commandLine_data();
    void commandLine();
    void resetLeavesBusAndReturnsWithScan();
    void scriptedRepliesComeFirst();
};

void TestUsbCabinet::settingsFollowCommands_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("doorAlarm");
    QTest::addColumn<int>("restart");
    QTest::addColumn<qint32>("number");

    QTest::newRow("untouched") << QByteArray() << 300 << 600 << 12345;
    QTest::newRow("settings 5 and 0 minutes")
        << QByteArray::fromHex("413232 1e2c01000000") << 300 << 0 << 12345;
    QTest::newRow("settings 60 and 60 minutes")
        << QByteArray::fromHex("4132321e100e100e00") << 3600 << 3600 << 12345;
    QTest::newRow("cabinet number 12345")
        << QByteArray::fromHex("7839300000") << 300 << 600 << 12345;
    QTest::newRow("negative cabinet number")
        << QByteArray::fromHex("78feffffff") << 300 << 600 << -2;
}

void TestUsbCabinet::settingsFollowCommands() {
    QFETCH(QByteArray, command);
    QFETCH(int, doorAlarm);
    QFETCH(int, restart);
    QFETCH(qint32, number);
    UsbCabinetConfig config;
    config.firmwareMajor = 1;
    config.firmwareMinor = 3;
    config.mac = {0x00, 0x04, 0xA3, 0x12, 0x34, 0x56};
    UsbCabinet cabinet(config);
    if (!command.isEmpty()) {
        QVERIFY(cabinet.handle(command, kNow, 0).replies.isEmpty());
    }
    const QByteArray r = reply(cabinet, "@");
    QCOMPARE(r.size(), 64);
    QCOMPARE(r[0], '@');
    QCOMPARE(quint8(r[1]), quint8(50));
    QCOMPARE(word(r, 4), doorAlarm);
    QCOMPARE(word(r, 6), restart);
    QCOMPARE(qint32(quint32(word(r, 13)) | quint32(word(r, 15)) << 16), number);
    QCOMPARE(quint8(r[17]), quint8(3));
    QCOMPARE(quint8(r[18]), quint8(1));
    QCOMPARE(r.mid(21, 6).toHex(), QByteArray("0004a3123456"));
}

void TestUsbCabinet::versionReplyCarriesWebVersion() {
    UsbCabinetConfig config;
    config.webVersion = QStringLiteral("1.003");
    UsbCabinet cabinet(config);
    const QByteArray r = reply(cabinet, "u");
    QCOMPARE(r.size(), 64);
    QCOMPARE(r[0], 'u');
    const QByteArray text = r.mid(1, 61);
    const qsizetype at = text.indexOf("Version_MPFS=");
    QVERIFY(at >= 0);
    QCOMPARE(text.mid(at + 13, text.indexOf(';', at) - at - 13), QByteArray("1.003"));
}

void TestUsbCabinet::clockFollowsClockCommand_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("clock");  // bytes 2..7 of the "3" reply

    QTest::newRow("no setting: the computer's clock") << QByteArray()
                                                      << QByteArray(
                                                             "0e0705"
                                                             "0f030f");
    // 09:05:07 on Tuesday, 1 December 2015, in BCD as the program sends it.
    QTest::newRow("set to 1 Dec 2015")
        << QByteArray::fromHex("3220010705090102121501010101010101 00")
        << QByteArray("090507010c0f");
    QTest::newRow("seconds zero is a byte like any other")
        << QByteArray::fromHex("322001000000010112000101010101010100")
        << QByteArray("000000010c00");
    QTest::newRow("not BCD is refused")
        << QByteArray::fromHex("3220015a0000010112000101010101010100")
        << QByteArray("0e07050f030f");
    QTest::newRow("31 February is refused")
        << QByteArray::fromHex("322001000000310202150101010101010100")
        << QByteArray("0e07050f030f");
}

void TestUsbCabinet::clockFollowsClockCommand() {
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, clock);
    UsbCabinet cabinet;
    if (!command.isEmpty()) {
        QVERIFY(cabinet.handle(command, kNow, 0).replies.isEmpty());
    }
    // The controller's clock runs on with the computer's.
    const auto out = cabinet.handle("3", kNow, 0);
    QCOMPARE(out.replies.size(), 1);
    QCOMPARE(out.replies[0][0], '3');
    QCOMPARE(out.replies[0].mid(2, 6).toHex(), clock);
}

void TestUsbCabinet::busActions_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("bus");
    QTest::addColumn<int>("replies");
    QTest::newRow("reset") << QByteArray("\xFF", 1) << int(BusAction::Reset) << 0;
    QTest::newRow("firmware loader") << QByteArray("\xFE", 1) << int(BusAction::Loader) << 0;
    QTest::newRow("watchdog test") << QByteArray("\xFD", 1) << int(BusAction::Stay) << 0;
    QTest::newRow("display light sensor") << QByteArray("w") << int(BusAction::Stay) << 0;
    QTest::newRow("unknown code") << QByteArray("Z") << int(BusAction::Stay) << 0;
    QTest::newRow("poll") << QByteArray("v") << int(BusAction::Stay) << 1;
}

void TestUsbCabinet::busActions() {
    QFETCH(QByteArray, command);
    QFETCH(int, bus);
    QFETCH(int, replies);
    UsbCabinet cabinet;
    const auto out = cabinet.handle(command, kNow, 0);
    QCOMPARE(int(out.bus), bus);
    QCOMPARE(out.replies.size(), replies);
}

void TestUsbCabinet::humidityFallsWhileDryingAndRisesWithDoorOpen() {
    UsbCabinetConfig config;
    config.doorPeriodSeconds = 300;
    config.doorOpenSeconds = 30;
    UsbCabinet cabinet(config);
    const auto upper = [&](double t) {
        const QByteArray r = reply(cabinet, "v", t);
        return std::pair{word(r, 29), bool(r[24] & 1)};
    };
    const auto [start, startDoor] = upper(1);
    const auto [dry, dryDoor] = upper(260);
    const auto [open, openDoor] = upper(295);
    QVERIFY(!startDoor);
    QVERIFY(!dryDoor);
    QVERIFY(openDoor);
    QVERIFY2(dry < start, qPrintable(QStringLiteral("%1 -> %2").arg(start).arg(dry)));
    QVERIFY2(open > dry + 50, qPrintable(QStringLiteral("%1 -> %2").arg(dry).arg(open)));
    const auto [closed, closedDoor] = upper(500);
    QVERIFY(!closedDoor);
    QVERIFY(closed < open);
}

void TestUsbCabinet::liveReplyLayout() {
    UsbCabinetConfig config;
    config.ip = {10, 1, 2, 3};
    UsbCabinet cabinet(config);
    const QByteArray r = reply(cabinet, "v", 5);
    QCOMPARE(r.size(), 64);
    QCOMPARE(r[0], 'v');
    QCOMPARE(r.mid(38, 4).toHex(), QByteArray("0a010203"));
    // Mains frequency word is twice the frequency.
    QVERIFY(qAbs(word(r, 8) / 2 - 50) <= 1);
    // Temperatures around room temperature, in signed tenths.
    QVERIFY(qAbs(qint16(word(r, 31)) - 220) < 30);
    QVERIFY(qAbs(qint16(word(r, 36)) - 220) < 30);
    QCOMPARE(r.mid(48), QByteArray(16, '\0'));
}

void TestUsbCabinet::replyScript_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("count");
    QTest::newRow("two replies, comments and blanks")
        << QByteArray("# scan\n3a 01 a0\n\n40\n") << true << 2;
    QTest::newRow("not hex") << QByteArray("3a zz\n") << false << 0;
    QTest::newRow("half a byte") << QByteArray("3a0\n") << false << 0;
    QTest::newRow("longer than a reply") << (QByteArray(130, 'a') + "\n") << false << 0;
}

void TestUsbCabinet::replyScript() {
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(int, count);
    QList<QByteArray> replies;
    QString error;
    QCOMPARE(kd::sim::parseReplyScript(text, &replies, &error), ok);
    if (ok) {
        QCOMPARE(replies.size(), count);
        QCOMPARE(replies[0].size(), 64);
        QCOMPARE(replies[0].left(3).toHex(), QByteArray("3a01a0"));
    } else {
        QVERIFY(error.startsWith("line 1"));
    }
}

namespace {

QByteArray outputReport(const QByteArray& command) {
    QByteArray r(65, '\0');
    r.replace(1, command.size(), command);
    return r;
}

// The program's end of the link, in this thread: the simulated controller
// works from the same event loop, so every wait runs it.
struct Program {
    QLocalSocket socket;
    QByteArray buffer;

    bool connectTo(const QString& name) {
        buffer.clear();
        socket.connectToServer(name);
        return waitFor([&] { return buffer.contains('\n'); }) &&
               (buffer.remove(0, buffer.indexOf('\n') + 1), true);
    }

    QByteArray nextReport() {
        if (!waitFor([&] { return buffer.size() >= 65; }))
            return QByteArray();
        const QByteArray r = buffer.left(65);
        buffer.remove(0, 65);
        return r;
    }

    template <typename Pred>
    bool waitFor(Pred pred) {
        QDeadlineTimer deadline(5000);
        while (!pred()) {
            if (deadline.hasExpired() || socket.state() == QLocalSocket::UnconnectedState)
                return false;
            QSignalSpy spy(&socket, &QLocalSocket::readyRead);
            if (socket.bytesAvailable() == 0)
                spy.wait(200);
            buffer += socket.readAll();
        }
        return true;
    }
};

}  // namespace

void TestUsbCabinet::commandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("settings");  // hex of "@" reply bytes 13..26

    const QByteArray defaults =
        "39300000"
        "0401"
        "0000"
        "0004a3123456";
    QTest::newRow("defaults") << QStringList() << true << defaults;
    QTest::newRow("firmware 1.003 and a MAC")
        << QStringList{"--firmware", "1.003", "--mac", "AA:bb:0C:00:01:FF"} << true
        << QByteArray(
               "39300000"
               "0301"
               "0000"
               "aabb0c0001ff");
    QTest::newRow("firmware 1.05 is minor 50") << QStringList{"--firmware", "1.05"} << true
                                               << QByteArray(
                                                      "39300000"
                                                      "3201"
                                                      "0000"
                                                      "0004a3123456");
    QTest::newRow("firmware 2 is minor 0") << QStringList{"--firmware", "2"} << true
                                           << QByteArray(
                                                  "39300000"
                                                  "0002"
                                                  "0000"
                                                  "0004a3123456");
    QTest::newRow("negative cabinet number") << QStringList{"--number", "-2"} << true
                                             << QByteArray(
                                                    "feffffff"
                                                    "0401"
                                                    "0000"
                                                    "0004a3123456");
    QTest::newRow("firmware with four decimals")
        << QStringList{"--firmware", "1.0035"} << false << QByteArray();
    QTest::newRow("short MAC") << QStringList{"--mac", "00:11"} << false << QByteArray();
    QTest::newRow("IP part above 255") << QStringList{"--ip", "300.1.1.1"} << false << QByteArray();
    QTest::newRow("door period 0") << QStringList{"--door-period", "0"} << false << QByteArray();
    QTest::newRow("missing script")
        << QStringList{"--script", "/nonexistent/replies.hex"} << false << QByteArray();
}

void TestUsbCabinet::commandLine() {
    QFETCH(QStringList, args);
    QFETCH(bool, ok);
    QFETCH(QByteArray, settings);
    QTemporaryDir dir;
    QCommandLineParser parser;
    kd::sim::addUsbOptions(parser);
    QVERIFY(parser.parse(QStringList{"kd7634-sim", "--socket", dir.filePath("c.sock")} + args));
    QObject parent;
    QString error;
    QCOMPARE(kd::sim::startUsbSide(parser, &parent, &error), ok);
    auto* side = parent.findChild<kd::sim::UsbSide*>();
    if (!ok) {
        QVERIFY(!error.isEmpty());
        QVERIFY(!side);
        return;
    }
    QVERIFY(side);
    QVERIFY(side->isOnBus());
    UsbCabinet copy = side->cabinet();
    QCOMPARE(reply(copy, "@").mid(13, 14).toHex(), settings);
}

void TestUsbCabinet::resetLeavesBusAndReturnsWithScan() {
    QTemporaryDir dir;
    kd::sim::UsbSideConfig config;
    config.socketName = dir.filePath("c.sock");
    config.resetMs = 300;
    kd::sim::UsbSide side(config);
    QString error;
    QVERIFY2(side.start(&error), qPrintable(error));

    Program p;
    QVERIFY(p.connectTo(config.socketName));
    QSignalSpy gone(&p.socket, &QLocalSocket::disconnected);
    p.socket.write(outputReport("\xFF"));
    QVERIFY(gone.wait(5000));
    QVERIFY(!side.isOnBus());
    QLocalSocket probe;
    probe.connectToServer(config.socketName);
    QVERIFY(!probe.waitForConnected(0));

    QTRY_VERIFY(side.isOnBus());
    Program again;
    QVERIFY(again.connectTo(config.socketName));
    const QByteArray scan = again.nextReport();
    QCOMPARE(scan.left(2).toHex(), QByteArray("003a"));
    QVERIFY(quint8(scan[2]) > 0);
}

void TestUsbCabinet::scriptedRepliesComeFirst() {
    QTemporaryDir dir;
    kd::sim::UsbSideConfig config;
    config.socketName = dir.filePath("c.sock");
    QString error;
    QVERIFY(kd::sim::parseReplyScript("3a00\n", &config.script, &error));
    kd::sim::UsbSide side(config);
    QVERIFY(side.start(&error));
    Program p;
    QVERIFY(p.connectTo(config.socketName));
    p.socket.write(outputReport("v"));
    p.socket.write(outputReport("v"));
    QCOMPARE(p.nextReport().left(3).toHex(), QByteArray("003a00"));
    QCOMPARE(p.nextReport().left(2).toHex(), QByteArray("0076"));
}

QTEST_GUILESS_MAIN(TestUsbCabinet)
#include "test_usbcabinet.moc"
