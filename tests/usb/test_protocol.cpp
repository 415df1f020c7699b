// Reply decoding and command bytes of the cabinet protocol, byte by byte.

#include "cabinetprotocol.h"

#include <QTest>

using namespace kd::protocol;

namespace {

// A 64-byte reply with the code and the given bytes at their offsets.
QByteArray reply(char replyCode, std::initializer_list<std::pair<int, int>> bytes) {
    QByteArray r(ReplyLength, '\0');
    r[0] = replyCode;
    for (const auto& [offset, value] : bytes)
        r[offset] = char(value);
    return r;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

QByteArray webImageBytes(const QByteArray& text) {
    QByteArray r(ReplyLength, '\0');
    r[0] = 'u';
    r.replace(1, text.size(), text);
    return r.left(ReplyLength);
}

}  // namespace

Q_DECLARE_METATYPE(FirmwareVersion)

class TestProtocol : public QObject {
    Q_OBJECT
private slots:
    void byteToBits_data();
    void byteToBits();
    void versionText_data();
    void versionText();

    void settingsReply_data();
    void settingsReply();
    void settingsReplyCaptions_data();
    void settingsReplyCaptions();

    void webImageReply_data();
    void webImageReply();
    void webImageReplyKeepsZeroBytesOutOfTheMemoLine();

    void liveValuesSeries_data();
    void liveValuesSeries();
    void liveValuesLinesInOrder();
    void liveValuesErrorAndHumidity();

    void i2cScan_data();
    void i2cScan();
    void i2cScanCountBeyondTheReport();

    void clockReply();
    void ignoredReplies_data();
    void ignoredReplies();
    void shortReplyReadsMissingBytesAsZero();

    void settingsCommand_data();
    void settingsCommand();
    void clockCommand_data();
    void clockCommand();
    void cabinetNumberCommand_data();
    void cabinetNumberCommand();
    void outputReport_data();
    void outputReport();
};

void TestProtocol::byteToBits_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("bits");
    QTest::newRow("zero") << 0 << "00000000";
    QTest::newRow("lowest bit") << 0x01 << "00000001";
    QTest::newRow("highest bit") << 0x80 << "10000000";
    QTest::newRow("mixed") << 0xA5 << "10100101";
    QTest::newRow("all") << 0xFF << "11111111";
}

void TestProtocol::byteToBits() {
    QFETCH(int, value);
    QFETCH(QString, bits);
    QCOMPARE(ByteToBits(quint8(value)), bits);
}

void TestProtocol::versionText_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("text");
    QTest::newRow("thousandths") << 1 << 3 << "1.003";
    QTest::newRow("trailing zero removed") << 1 << 50 << "1.05";
    QTest::newRow("tenths") << 1 << 100 << "1.1";
    QTest::newRow("whole") << 2 << 0 << "2";
    QTest::newRow("zero") << 0 << 0 << "0";
    QTest::newRow("largest bytes") << 255 << 255 << "255.255";
}

void TestProtocol::versionText() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QString, text);
    QCOMPARE(kd::protocol::versionText(major, minor), text);
}

void TestProtocol::settingsReply_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QList<int>>("spins");
    QTest::addColumn<bool>("returnAir");

    QTest::newRow("humidities in tenths, 300 s door time")
        << reply('@', {{1, 50}, {2, 59}, {3, 30}, {4, 0x2C}, {5, 0x01}})
        << QList<int>{5, 5, 3, 5, 0, 0, 0} << false;
    // 0x100E = 4110 s, 68 minutes: beyond SpinEdit5's range, which the
    // console limits when it shows the value.
    QTest::newRow("restart time beyond range is passed on raw")
        << reply('@', {{6, 0x0E}, {7, 0x10}}) << QList<int>{0, 0, 0, 0, 68, 0, 0} << false;
    QTest::newRow("byte 8 is low byte and return-air flag")
        << reply('@', {{8, 0x40 | 0x3C}, {9, 0x00}, {10, 0x10}, {11, 0x0E}})
        << QList<int>{0, 0, 0, 0, 0, 2, 60} << true;
    QTest::newRow("flag clear") << reply('@', {{8, 0xBF}}) << QList<int>{0, 0, 0, 0, 0, 3, 0}
                                << false;
}

void TestProtocol::settingsReply() {
    QFETCH(QByteArray, data);
    QFETCH(QList<int>, spins);
    QFETCH(bool, returnAir);
    const SettingsReply r = decodeSettings(data);
    QCOMPARE(QList<int>(r.spinValues.begin(), r.spinValues.end()), spins);
    QCOMPARE(r.returnAir, returnAir);
    QCOMPARE(r.lines, QStringList{"Read K Setup"});
}

void TestProtocol::settingsReplyCaptions_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("cabinet");
    QTest::addColumn<QString>("mac");
    QTest::addColumn<int>("hundreds");
    QTest::addColumn<int>("remainder");
    QTest::addColumn<FirmwareVersion>("firmware");

    QTest::newRow("firmware 1.003, cabinet 12345")
        << reply('@', {{17, 3},
                       {18, 1},
                       {13, 0x39},
                       {14, 0x30},
                       {21, 0x00},
                       {22, 0x04},
                       {23, 0xA3},
                       {24, 0x12},
                       {25, 0x34},
                       {26, 0x56}})
        << "V.:1.003"
        << "N#12345"
        << "MAC:00:04:A3:12:34:56" << 123 << 45 << FirmwareVersion{1, 3};
    QTest::newRow("firmware 2, negative cabinet number")
        << reply('@', {{17, 0}, {18, 2}, {13, 0xC7}, {14, 0xCF}, {15, 0xFF}, {16, 0xFF}}) << "V.:2"
        << "N#-12345"
        << "MAC:00:00:00:00:00:00" << -123 << -45 << FirmwareVersion{2, 0};
}

void TestProtocol::settingsReplyCaptions() {
    QFETCH(QByteArray, data);
    QFETCH(QString, version);
    QFETCH(QString, cabinet);
    QFETCH(QString, mac);
    QFETCH(int, hundreds);
    QFETCH(int, remainder);
    QFETCH(FirmwareVersion, firmware);
    const SettingsReply r = decodeSettings(data);
    QCOMPARE(r.versionCaption, version);
    QCOMPARE(r.cabinetCaption, cabinet);
    QCOMPARE(r.macCaption, mac);
    QCOMPARE(r.cabinetHundreds, hundreds);
    QCOMPARE(r.cabinetRemainder, remainder);
    QVERIFY(r.firmware == firmware);
}

void TestProtocol::webImageReply_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<FirmwareVersion>("firmware");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("colour");  // black, red or unchanged

    const QByteArray v1003 = "MCHP Version_MPFS = 1.003 ; build";
    QTest::newRow("same as firmware: black") << v1003 << FirmwareVersion{1, 3} << "1.003"
                                             << "black";
    QTest::newRow("older than firmware: red") << v1003 << FirmwareVersion{1, 4} << "1.003"
                                              << "red";
    QTest::newRow("no firmware seen yet: black") << v1003 << FirmwareVersion{} << "1.003"
                                                 << "black";
    QTest::newRow("newer than firmware: black")
        << QByteArray("Version_MPFS=2.000;") << FirmwareVersion{1, 999} << "2.000"
        << "black";
    // The points are dropped before the comparison, so "2.1" reads as 21.
    QTest::newRow("short version text compares as its digits")
        << QByteArray("Version_MPFS=2.1;") << FirmwareVersion{1, 999} << "2.1"
        << "red";
    // Without the marker the text is read from its twelfth character on.
    QTest::newRow("no marker") << QByteArray("0123456789A=1.5;x") << FirmwareVersion{1, 5} << "1.5"
                               << "red";
    QTest::newRow("no semicolon: empty, not a number")
        << QByteArray("Version_MPFS=1.003") << FirmwareVersion{1, 3} << ""
        << "unchanged";
    QTest::newRow("letters: not a number")
        << QByteArray("Version_MPFS=beta;") << FirmwareVersion{1, 3} << "beta"
        << "unchanged";
    QTest::newRow("no equals sign: part after the marker")
        << QByteArray("Version_MPFS 1.003;") << FirmwareVersion{1, 3} << "1.003"
        << "black";
    QTest::newRow("tabs and blanks trimmed")
        << QByteArray("Version_MPFS=\t 1.003\t ;") << FirmwareVersion{1, 3} << "1.003"
        << "black";
}

void TestProtocol::webImageReply() {
    QFETCH(QByteArray, text);
    QFETCH(FirmwareVersion, firmware);
    QFETCH(QString, version);
    QFETCH(QString, colour);
    const WebImageReply r = decodeWebImageVersion(webImageBytes(text), firmware);
    QCOMPARE(r.version, version);
    QCOMPARE(r.caption, "MPFS: " + version);
    const QString actual = !r.upToDate ? "unchanged" : (*r.upToDate ? "black" : "red");
    QCOMPARE(actual, colour);
}

void TestProtocol::webImageReplyKeepsZeroBytesOutOfTheMemoLine() {
    QByteArray text("Version_MPFS=1.0");
    text.append('\0').append(";tail");
    const WebImageReply r = decodeWebImageVersion(webImageBytes(text), {1, 0});
    QCOMPARE(r.rawText.size(), 61);
    QCOMPARE(r.memoLine, QString("Version_MPFS=1.0"));
    // The cut works on all 61 characters, zeros included.
    QCOMPARE(r.version, QString("1.0"));
}

void TestProtocol::liveValuesSeries_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<FirmwareVersion>("firmware");
    QTest::addColumn<int>("series");
    QTest::addColumn<double>("value");

    QTest::newRow("upper temperature -0.1")
        << reply('v', {{31, 0xFF}, {32, 0xFF}}) << FirmwareVersion{} << 5 << -0.1;
    QTest::newRow("lower temperature -10.0")
        << reply('v', {{36, 0x9C}, {37, 0xFF}}) << FirmwareVersion{} << 3 << -10.0;
    QTest::newRow("positive temperature 23.5")
        << reply('v', {{31, 235}}) << FirmwareVersion{} << 5 << 23.5;
    QTest::newRow("mains frequency halved")
        << reply('v', {{8, 0x64}, {9, 0x00}}) << FirmwareVersion{} << 0 << 50.0;
    QTest::newRow("mains frequency odd, integer division")
        << reply('v', {{8, 101}}) << FirmwareVersion{} << 0 << 50.0;
    QTest::newRow("door open") << reply('v', {{24, 0x01}}) << FirmwareVersion{} << 16 << 100.0;
    QTest::newRow("door closed") << reply('v', {{24, 0xFE}}) << FirmwareVersion{} << 16 << 0.0;
    QTest::newRow("status byte") << reply('v', {{24, 0xFE}}) << FirmwareVersion{} << 15 << 254.0;
    QTest::newRow("T3 in hundredths")
        << reply('v', {{10, 0x39}, {11, 0x30}}) << FirmwareVersion{} << 9 << 123.45;
    QTest::newRow("upper humidity")
        << reply('v', {{29, 0xC5}, {30, 0x01}}) << FirmwareVersion{} << 6 << 45.3;
    QTest::newRow("lower humidity") << reply('v', {{34, 0x05}}) << FirmwareVersion{} << 4 << 0.5;
    QTest::newRow("ok_timer byte before any firmware")
        << reply('v', {{5, 7}, {18, 0x10}, {19, 0x27}}) << FirmwareVersion{} << 13 << 7.0;
    QTest::newRow("ok_timer byte at 1.003")
        << reply('v', {{5, 7}, {18, 0x10}, {19, 0x27}}) << FirmwareVersion{1, 3} << 13 << 7.0;
    QTest::newRow("ok_timer word from 1.004")
        << reply('v', {{5, 7}, {18, 0x10}, {19, 0x27}}) << FirmwareVersion{1, 4} << 13 << 10000.0;
    QTest::newRow("nominal speed")
        << reply('v', {{12, 0x34}, {13, 0x12}}) << FirmwareVersion{} << 7 << 4660.0;
    QTest::newRow("actual speed") << reply('v', {{3, 0xFF}, {4, 0xFF}}) << FirmwareVersion{} << 8
                                  << 65535.0;
    QTest::newRow("error") << reply('v', {{2, 3}}) << FirmwareVersion{} << 10 << 3.0;
    QTest::newRow("prog") << reply('v', {{26, 0x81}}) << FirmwareVersion{} << 11 << 129.0;
    QTest::newRow("passage") << reply('v', {{25, 4}}) << FirmwareVersion{} << 12 << 4.0;
    QTest::newRow("tet") << reply('v', {{6, 9}}) << FirmwareVersion{} << 14 << 9.0;
    QTest::newRow("T2_1") << reply('v', {{20, 200}}) << FirmwareVersion{} << 1 << 200.0;
    QTest::newRow("T2_2") << reply('v', {{22, 201}}) << FirmwareVersion{} << 2 << 201.0;
    QTest::newRow("IntTimer") << reply('v', {{46, 1}, {47, 1}}) << FirmwareVersion{} << 17 << 257.0;
}

void TestProtocol::liveValuesSeries() {
    QFETCH(QByteArray, data);
    QFETCH(FirmwareVersion, firmware);
    QFETCH(int, series);
    QFETCH(double, value);
    const LiveValues r = decodeLiveValues(data, firmware);
    QCOMPARE(r.series[series], value);
}

void TestProtocol::liveValuesLinesInOrder() {
    const QByteArray data =
        reply('v', {{1, 0x81},  {2, 0},    {3, 10},    {7, 0x02},  {8, 0x64}, {10, 5},    {12, 6},
                    {14, 7},    {16, 8},   {18, 9},    {20, 10},   {22, 11},  {24, 0x01}, {25, 2},
                    {26, 0x40}, {27, 3},   {28, 0x0A}, {33, 0xB1}, {38, 192}, {39, 168},  {40, 1},
                    {41, 20},   {42, 255}, {43, 255},  {44, 255},  {45, 0},   {46, 12}});
    const QStringList expected = {
        "Aktoren: 10000001",
        "FEHLER: 0",
        "L1 UPs: 10",
        "Ventile: 00000010",
        "Netzf: 50",
        "T3: 5",
        "L1: 6",
        "T1: 7",
        "NET_ERRORS: 8",
        "T1_2: 9",
        "T2_1: 10",
        "T2_2: 11",
        "STATUS: 00000001",
        "Programmphase: 2",
        "PROG: 01000000",
        "L_IN: 3",
        "HytRetO: 0A",
        "HytRetU: B1",
        "255.255.255.0",
        "IntTimer: 12",
    };
    const LiveValues r = decodeLiveValues(data, {});
    QCOMPARE(r.lines, expected);
    QCOMPARE(r.ipCaption, QString("192.168.1.20"));
}

void TestProtocol::liveValuesErrorAndHumidity() {
    const LiveValues none = decodeLiveValues(reply('v', {{2, 0}}), {});
    QCOMPARE(none.error, 0);
    const LiveValues three = decodeLiveValues(reply('v', {{2, 3}, {29, 0xC5}, {30, 0x01}}), {});
    QCOMPARE(three.error, 3);
    QCOMPARE(three.errorCaption, QString("Fehler: 3"));
    QCOMPARE(three.upperHumidity, 45.3);
    QCOMPARE(three.lowerHumidity, 0.0);
}

void TestProtocol::i2cScan_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("no device") << reply(':', {{1, 0}, {2, 0xA0}})
                               << QStringList{"KEine I2C Geräte gefunden"};
    QTest::newRow("one device") << reply(':', {{1, 1}, {2, 0xA0}})
                                << QStringList{"I2C Geräte gefunden",
                                               "     8Bit       7Bit     8Bit Dec.",
                                               " 1: 0xA0 Write 0x50 I2C 160 Dez. "};
    QTest::newRow("two devices, small address")
        << reply(':', {{1, 2}, {2, 0x05}, {3, 0xFF}})
        << QStringList{"I2C Geräte gefunden", "     8Bit       7Bit     8Bit Dec.",
                       " 1: 0x05 Write 0x02 I2C 5 Dez. ", " 2: 0xFF Write 0x7F I2C 255 Dez. "};
}

void TestProtocol::i2cScan() {
    QFETCH(QByteArray, data);
    QFETCH(QStringList, lines);
    QCOMPARE(decodeI2cScan(data).lines, lines);
}

// Guards against reading past the report when the count byte claims more
// addresses than bytes 2..63 hold.
void TestProtocol::i2cScanCountBeyondTheReport() {
    QByteArray data = reply(':', {{1, 255}});
    for (int i = 2; i < ReplyLength; ++i)
        data[i] = char(i);
    const QStringList lines = decodeI2cScan(data).lines;
    QCOMPARE(lines.size(), 2 + MaxI2cAddresses);
    QCOMPARE(lines.last(), QString(" 62: 0x3F Write 0x1F I2C 63 Dez. "));
}

void TestProtocol::clockReply() {
    const ClockReply r =
        decodeClock(reply('3', {{1, 4}, {2, 9}, {3, 5}, {4, 7}, {5, 1}, {6, 12}, {7, 15}}));
    QCOMPARE(r.lines, QStringList{"Read RTC: 4"});
    QCOMPARE(r.controllerTime, QString("09:05:07"));
    QCOMPARE(r.controllerDate, QString("01.12.2015"));
    // Bytes are shown as they are, not as BCD; three digits stay whole.
    const ClockReply raw = decodeClock(reply('3', {{2, 0x23}, {5, 123}}));
    QCOMPARE(raw.controllerTime, QString("35:00:00"));
    QCOMPARE(raw.controllerDate, QString("123.00.2000"));
}

void TestProtocol::ignoredReplies_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("x") << reply('x', {{1, 1}});
    QTest::newRow("zero") << reply('\0', {{1, 1}});
    QTest::newRow("command code A") << reply('A', {});
    QTest::newRow("empty") << QByteArray();
}

void TestProtocol::ignoredReplies() {
    QFETCH(QByteArray, data);
    QVERIFY(std::holds_alternative<std::monostate>(decodeReply(data, {})));
}

void TestProtocol::shortReplyReadsMissingBytesAsZero() {
    const Reply r = decodeReply(bytes({'v', 0xFF}), {});
    QVERIFY(std::holds_alternative<LiveValues>(r));
    const LiveValues& v = std::get<LiveValues>(r);
    QCOMPARE(v.lines.first(), QString("Aktoren: 11111111"));
    QCOMPARE(v.ipCaption, QString("0.0.0.0"));
    QVERIFY(std::holds_alternative<SettingsReply>(decodeReply(bytes({'@'}), {})));
}

void TestProtocol::settingsCommand_data() {
    QTest::addColumn<int>("door");
    QTest::addColumn<int>("restart");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("5 and 0 minutes")
        << 5 << 0 << bytes({'A', 50, 50, 30, 0x2C, 0x01, 0x00, 0x00, 0x00});
    QTest::newRow("60 and 60 minutes")
        << 60 << 60 << bytes({'A', 50, 50, 30, 0x10, 0x0E, 0x10, 0x0E, 0x00});
    QTest::newRow("below range limited to 5 and 0")
        << 1 << -3 << bytes({'A', 50, 50, 30, 0x2C, 0x01, 0x00, 0x00, 0x00});
    QTest::newRow("above range limited to 60")
        << 61 << 1000 << bytes({'A', 50, 50, 30, 0x10, 0x0E, 0x10, 0x0E, 0x00});
}

void TestProtocol::settingsCommand() {
    QFETCH(int, door);
    QFETCH(int, restart);
    QFETCH(QByteArray, command);
    QCOMPARE(kd::protocol::settingsCommand(door, restart), command);
}

void TestProtocol::clockCommand_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("Sunday 15 March 2015 14:07:05")
        << QDateTime(QDate(2015, 3, 15), QTime(14, 7, 5, 999))
        << bytes({'2', 0x20, 0x01, 0x05, 0x07, 0x14, 0x15, 0x00, 0x03, 0x15, 1, 1, 1, 1, 1, 1, 1,
                  0x00});
    // One reading of the clock: the last second of a Saturday keeps
    // Saturday's date and weekday.
    QTest::newRow("Saturday just before midnight")
        << QDateTime(QDate(2099, 12, 26), QTime(23, 59, 59))
        << bytes({'2', 0x20, 0x01, 0x59, 0x59, 0x23, 0x26, 0x06, 0x12, 0x99, 1, 1, 1, 1, 1, 1, 1,
                  0x00});
    QTest::newRow("midnight, zero bytes inside")
        << QDateTime(QDate(2000, 1, 3), QTime(0, 0, 0))
        << bytes({'2', 0x20, 0x01, 0x00, 0x00, 0x00, 0x03, 0x01, 0x01, 0x00, 1, 1, 1, 1, 1, 1, 1,
                  0x00});
}

void TestProtocol::clockCommand() {
    QFETCH(QDateTime, now);
    QFETCH(QByteArray, command);
    QCOMPARE(kd::protocol::clockCommand(now), command);
}

void TestProtocol::cabinetNumberCommand_data() {
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("12345") << 12345 << bytes({'x', 0x39, 0x30, 0x00, 0x00});
    QTest::newRow("minus one") << -1 << bytes({'x', 0xFF, 0xFF, 0xFF, 0xFF});
    QTest::newRow("largest") << 999999999 << bytes({'x', 0xFF, 0xC9, 0x9A, 0x3B});
}

void TestProtocol::cabinetNumberCommand() {
    QFETCH(qint32, number);
    QFETCH(QByteArray, command);
    QCOMPARE(kd::protocol::cabinetNumberCommand(number), command);
}

void TestProtocol::outputReport_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<QByteArray>("prefix");

    QTest::newRow("poll") << QByteArray("v") << 65 << true << bytes({0, 'v', 0, 0});
    QTest::newRow("zeros inside the command kept")
        << bytes({'2', 0, 1, 0}) << 65 << true << bytes({0, '2', 0, 1, 0, 0});
    QTest::newRow("short device report") << QByteArray("@") << 3 << true << bytes({0, '@', 0});
    QTest::newRow("command fills the report, terminator cut")
        << QByteArray(64, 'x') << 65 << true << QByteArray(1, '\0') + QByteArray(64, 'x');
    QTest::newRow("command longer than the report")
        << QByteArray(65, 'x') << 65 << false << QByteArray();
    QTest::newRow("no room at all") << QByteArray("v") << 1 << false << QByteArray();
    QTest::newRow("bad length") << QByteArray("v") << 0 << false << QByteArray();
}

void TestProtocol::outputReport() {
    QFETCH(QByteArray, command);
    QFETCH(int, length);
    QFETCH(bool, fits);
    QFETCH(QByteArray, prefix);
    const auto report = kd::protocol::outputReport(command, length);
    QCOMPARE(report.has_value(), fits);
    if (!fits)
        return;
    QCOMPARE(report->size(), length);
    QVERIFY(report->startsWith(prefix));
    for (qsizetype i = prefix.size(); i < report->size(); ++i)
        QCOMPARE(report->at(i), '\0');
}

QTEST_APPLESS_MAIN(TestProtocol)
#include "test_protocol.moc"
