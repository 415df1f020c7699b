#pragma once

// The cabinet controller's report protocol without any I/O or widgets: reply
// decoding into values and message lines, and the byte layout of every
// command the console sends. Pure functions on byte arrays; safe to call from
// any thread. Every decoder accepts a reply of any length: bytes missing
// beyond its end read as 0, bytes past 64 are ignored.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <optional>
#include <variant>

namespace kd::protocol {

/// USB identity of the cabinet controller.
inline constexpr quint16 CabinetVendorId = 0x04D8;
inline constexpr quint16 CabinetProductId = 0x003F;
/// Product string of the controller, compared exactly.
inline constexpr char CabinetProductName[] = "KD7630-48";

/// Number of reply bytes after the report id.
inline constexpr int ReplyLength = 64;
/// Largest number of I2C addresses one ":" reply can carry (bytes 2 to 63).
inline constexpr int MaxI2cAddresses = ReplyLength - 2;

/// Command and reply codes.
namespace code {
inline constexpr char LiveValues = 'v';
inline constexpr char Settings = '@';
inline constexpr char WebImageVersion = 'u';
inline constexpr char ReadClock = '3';
inline constexpr char SetClock = '2';
inline constexpr char WriteSettings = 'A';
inline constexpr char I2cScan = ':';
inline constexpr char DisplayLightSensor = 'w';
inline constexpr char CabinetNumber = 'x';
inline constexpr char Reset = char(0xFF);
inline constexpr char FirmwareLoader = char(0xFE);
inline constexpr char WatchdogTest = char(0xFD);
}  // namespace code

/// Firmware version as the "@" reply carries it: major.minor with minor in
/// thousandths. Default: 0 (no "@" reply seen yet).
struct FirmwareVersion {
    int major = 0;
    int minor = 0;
    /// major * 1000 + minor: the version in whole thousandths, for comparisons.
    int thousandths() const { return major * 1000 + minor; }
    double value() const { return major + minor / 1000.0; }
    friend bool operator==(const FirmwareVersion&, const FirmwareVersion&) = default;
};

// ---- Field encodings -------------------------------------------------------

/// The byte as eight "0"/"1" characters, most significant bit first.
QString ByteToBits(quint8 value);
/// Shortest decimal text of major + minor / 1000 with "." ("1.003", "1.05", "2").
QString versionText(int major, int minor);
/// Two decimal digits with a leading zero below 10; all digits from 100 on.
QString twoDigits(int value);
/// Unsigned little-endian word at offset (0 when beyond the reply).
quint16 word(const QByteArray& reply, int offset);
/// Little-endian two's complement word at offset.
qint16 signedWord(const QByteArray& reply, int offset);
/// Little-endian two's complement long at offset.
qint32 longValue(const QByteArray& reply, int offset);
/// Six bytes from offset as upper-case hex pairs joined by ":".
QString macText(const QByteArray& reply, int offset);
/// Four bytes from offset in decimal joined by ".".
QString dottedText(const QByteArray& reply, int offset);
/// Binary-coded decimal of 0..99: (v div 10) * 16 + v mod 10.
quint8 ToBcd(int value);

// ---- Replies ---------------------------------------------------------------

/// The "@" reply. Spin values are the raw quotients; the console limits each
/// to its spin edit's range when it shows it.
struct SettingsReply {
    /// SpinEdit1..SpinEdit7 in order: three humidities in % r.H. (tenths div
    /// 10), four times in minutes (seconds div 60).
    std::array<int, 7> spinValues{};
    bool returnAir = false;
    qint32 cabinetNumber = 0;
    FirmwareVersion firmware;
    QString versionCaption;       ///< "V.:" + version text
    QString cabinetCaption;       ///< "N#" + cabinet number
    QString macCaption;           ///< "MAC:" + MAC text
    qint32 cabinetHundreds = 0;   ///< cabinet number / 100, truncated toward zero
    qint32 cabinetRemainder = 0;  ///< cabinet number % 100, sign of the number
    QStringList lines;            ///< message list after clearing it
};

/// The "u" reply.
struct WebImageReply {
    QByteArray rawText;  ///< bytes 1..61, zero bytes included
    QString memoLine;    ///< the raw text up to its first zero byte
    QString version;     ///< the version text cut out of the raw text
    QString caption;     ///< "MPFS: " + version
    /// Whether the web image is at least as new as the firmware (black) or
    /// not (red); empty when the version is not a number (colour unchanged).
    std::optional<bool> upToDate;
};

/// The "v" reply.
struct LiveValues {
    QStringList lines;         ///< message list after clearing it
    int error = 0;             ///< byte 2
    QString errorCaption;      ///< "Fehler: " + error; shown only when error != 0
    double upperHumidity = 0;  ///< % r.H.
    double lowerHumidity = 0;  ///< % r.H.
    QString ipCaption;         ///< controller's IP address a.b.c.d
    /// Values for the diagnostic window's series 0..17, in index order.
    std::array<double, 18> series{};
};

/// The ":" reply: lines appended to the message list (nothing cleared).
struct I2cScanReply {
    QStringList lines;
};

/// The "3" reply: lines appended (nothing cleared) and the controller's clock.
struct ClockReply {
    QStringList lines;
    QString controllerTime;  ///< "hh:mm:ss" from bytes 2..4
    QString controllerDate;  ///< "dd.mm.20yy" from bytes 5..7
};

SettingsReply decodeSettings(const QByteArray& reply);
WebImageReply decodeWebImageVersion(const QByteArray& reply, FirmwareVersion firmware);
LiveValues decodeLiveValues(const QByteArray& reply, FirmwareVersion firmware);
/// Addresses beyond the report's end are not listed even when the count
/// byte claims them.
I2cScanReply decodeI2cScan(const QByteArray& reply);
ClockReply decodeClock(const QByteArray& reply);

/// Cut of the version out of a "u" reply's text (see decodeWebImageVersion).
QString cutWebImageVersion(const QString& text);

/// Any decoded reply; std::monostate for codes that are ignored.
using Reply = std::variant<std::monostate, SettingsReply, WebImageReply, LiveValues, I2cScanReply,
                           ClockReply>;
/// Dispatches on byte 0. An empty reply is ignored.
Reply decodeReply(const QByteArray& reply, FirmwareVersion firmware);

/// A local date-time as days since 30 December 1899, the time of day as the
/// fraction: the x value of the diagnostic window's points.
double dateTimeValue(const QDateTime& local);

// ---- Commands --------------------------------------------------------------

/// Minute ranges of the door-opening time and of the time until drying
/// restarts (the console's SpinEdit4 and SpinEdit5).
inline constexpr int DoorMinutesMin = 5;
inline constexpr int DoorMinutesMax = 60;
inline constexpr int RestartMinutesMin = 0;
inline constexpr int RestartMinutesMax = 60;

/// Settings command "A" (9 bytes). Minutes are limited to their ranges.
QByteArray settingsCommand(int doorMinutes, int restartMinutes);
/// Clock command "2" (18 bytes) from one reading of the local clock, so date,
/// time and weekday always belong to the same instant. Years outside
/// 2000..2099 carry their last two digits.
QByteArray clockCommand(const QDateTime& now);
/// Cabinet number command "x": the number as little-endian long.
QByteArray cabinetNumberCommand(qint32 number);
/// A command made of its code alone.
QByteArray singleByteCommand(char commandCode);

/// The output report for a command: report id 0, the command bytes (zeros
/// kept), one zero byte, zeros up to reportLength bytes in all. When the
/// terminating zero would fall beyond the report it is left out. Returns
/// nullopt when the command bytes do not fit (more than reportLength - 1).
std::optional<QByteArray> outputReport(const QByteArray& command, int reportLength);

}  // namespace kd::protocol
