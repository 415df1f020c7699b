#include "cabinetprotocol.h"

#include <algorithm>

namespace kd::protocol {

namespace {

quint8 byteAt(const QByteArray& reply, int offset) {
    if (offset < 0 || offset >= reply.size() || offset >= ReplyLength)
        return 0;
    return quint8(reply.at(offset));
}

QString hexByte(quint8 value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString decimal(qint64 value) {
    return QString::number(value);
}

// Blanks and control characters, as the controller pads its texts with them.
QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= ' ')
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= ' ')
        --end;
    return text.mid(begin, end - begin);
}

}  // namespace

QString ByteToBits(quint8 value) {
    QString bits;
    bits.reserve(8);
    for (int bit = 7; bit >= 0; --bit)
        bits.append((value >> bit) & 1 ? QLatin1Char('1') : QLatin1Char('0'));
    return bits;
}

QString versionText(int major, int minor) {
    QString text = decimal(major);
    if (minor == 0)
        return text;
    QString thousandths = QStringLiteral("%1").arg(minor, 3, 10, QLatin1Char('0'));
    while (thousandths.endsWith(QLatin1Char('0')))
        thousandths.chop(1);
    return text + QLatin1Char('.') + thousandths;
}

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

quint16 word(const QByteArray& reply, int offset) {
    return quint16(byteAt(reply, offset) | (byteAt(reply, offset + 1) << 8));
}

qint16 signedWord(const QByteArray& reply, int offset) {
    return qint16(word(reply, offset));
}

qint32 longValue(const QByteArray& reply, int offset) {
    const quint32 value = quint32(word(reply, offset)) | (quint32(word(reply, offset + 2)) << 16);
    return qint32(value);
}

QString macText(const QByteArray& reply, int offset) {
    QStringList pairs;
    for (int i = 0; i < 6; ++i)
        pairs << hexByte(byteAt(reply, offset + i));
    return pairs.join(QLatin1Char(':'));
}

QString dottedText(const QByteArray& reply, int offset) {
    QStringList parts;
    for (int i = 0; i < 4; ++i)
        parts << decimal(byteAt(reply, offset + i));
    return parts.join(QLatin1Char('.'));
}

quint8 ToBcd(int value) {
    return quint8((value / 10) * 16 + value % 10);
}

SettingsReply decodeSettings(const QByteArray& reply) {
    SettingsReply r;
    r.spinValues[0] = byteAt(reply, 1) / 10;
    r.spinValues[1] = byteAt(reply, 2) / 10;
    r.spinValues[2] = byteAt(reply, 3) / 10;
    r.spinValues[3] = word(reply, 4) / 60;
    r.spinValues[4] = word(reply, 6) / 60;
    r.spinValues[5] = word(reply, 8) / 60;
    r.spinValues[6] = word(reply, 10) / 60;
    r.returnAir = (byteAt(reply, 8) & 0x40) != 0;
    r.cabinetNumber = longValue(reply, 13);
    r.firmware = {byteAt(reply, 18), byteAt(reply, 17)};
    r.versionCaption = QStringLiteral("V.:") + versionText(r.firmware.major, r.firmware.minor);
    r.cabinetCaption = QStringLiteral("N#") + decimal(r.cabinetNumber);
    r.macCaption = QStringLiteral("MAC:") + macText(reply, 21);
    r.cabinetHundreds = r.cabinetNumber / 100;
    r.cabinetRemainder = r.cabinetNumber % 100;
    r.lines << QStringLiteral("Read K Setup");
    return r;
}

QString cutWebImageVersion(const QString& text) {
    static const QString marker = QStringLiteral("Version_MPFS");
    const qsizetype found = text.indexOf(marker);
    // Without the marker the controller's text is read from its twelfth
    // character on, where the marker would have ended.
    QString rest = text.mid(found >= 0 ? found + marker.size() : 11);
    rest = rest.mid(rest.indexOf(QLatin1Char('=')) + 1);
    const qsizetype semicolon = rest.indexOf(QLatin1Char(';'));
    rest = semicolon >= 0 ? rest.left(semicolon) : QString();
    return trimBlanks(rest);
}

WebImageReply decodeWebImageVersion(const QByteArray& reply, FirmwareVersion firmware) {
    WebImageReply r;
    r.rawText.resize(61);
    for (int i = 0; i < 61; ++i)
        r.rawText[i] = char(byteAt(reply, 1 + i));
    const QString text = QString::fromLatin1(r.rawText);
    const qsizetype zero = r.rawText.indexOf('\0');
    r.memoLine = QString::fromLatin1(zero >= 0 ? r.rawText.left(zero) : r.rawText);
    r.version = cutWebImageVersion(text);
    r.caption = QStringLiteral("MPFS: ") + r.version;
    QString digits = r.version;
    digits.remove(QLatin1Char('.'));
    bool ok = false;
    const qint64 m = digits.toLongLong(&ok, 10);
    if (ok)
        r.upToDate = m >= firmware.thousandths();
    return r;
}

LiveValues decodeLiveValues(const QByteArray& reply, FirmwareVersion firmware) {
    LiveValues r;
    auto& s = r.series;
    QStringList& lines = r.lines;

    lines << QStringLiteral("Aktoren: ") + ByteToBits(byteAt(reply, 1));
    r.error = byteAt(reply, 2);
    lines << QStringLiteral("FEHLER: ") + decimal(r.error);
    r.errorCaption = QStringLiteral("Fehler: ") + decimal(r.error);
    s[10] = r.error;
    lines << QStringLiteral("L1 UPs: ") + decimal(word(reply, 3));
    s[8] = word(reply, 3);
    // Firmware up to 1.003 keeps the "ok" timer in one byte; later firmware
    // moved it to the word at 18.
    s[13] = firmware.thousandths() <= 1003 ? byteAt(reply, 5) : word(reply, 18);
    s[14] = byteAt(reply, 6);
    lines << QStringLiteral("Ventile: ") + ByteToBits(byteAt(reply, 7));
    const int mains = word(reply, 8) / 2;
    lines << QStringLiteral("Netzf: ") + decimal(mains);
    s[0] = mains;
    lines << QStringLiteral("T3: ") + decimal(word(reply, 10));
    s[9] = word(reply, 10) / 100.0;
    lines << QStringLiteral("L1: ") + decimal(word(reply, 12));
    s[7] = word(reply, 12);
    lines << QStringLiteral("T1: ") + decimal(word(reply, 14));
    lines << QStringLiteral("NET_ERRORS: ") + decimal(word(reply, 16));
    lines << QStringLiteral("T1_2: ") + decimal(word(reply, 18));
    lines << QStringLiteral("T2_1: ") + decimal(word(reply, 20));
    s[1] = word(reply, 20);
    lines << QStringLiteral("T2_2: ") + decimal(word(reply, 22));
    s[2] = word(reply, 22);
    const quint8 status = byteAt(reply, 24);
    lines << QStringLiteral("STATUS: ") + ByteToBits(status);
    s[15] = status;
    s[16] = (status & 0x01) ? 100 : 0;
    lines << QStringLiteral("Programmphase: ") + decimal(byteAt(reply, 25));
    s[12] = byteAt(reply, 25);
    lines << QStringLiteral("PROG: ") + ByteToBits(byteAt(reply, 26));
    s[11] = byteAt(reply, 26);
    lines << QStringLiteral("L_IN: ") + decimal(byteAt(reply, 27));
    lines << QStringLiteral("HytRetO: ") + hexByte(byteAt(reply, 28));
    r.upperHumidity = word(reply, 29) / 10.0;
    s[6] = r.upperHumidity;
    s[5] = signedWord(reply, 31) / 10.0;
    lines << QStringLiteral("HytRetU: ") + hexByte(byteAt(reply, 33));
    r.lowerHumidity = word(reply, 34) / 10.0;
    s[4] = r.lowerHumidity;
    s[3] = signedWord(reply, 36) / 10.0;
    r.ipCaption = dottedText(reply, 38);
    lines << dottedText(reply, 42);
    lines << QStringLiteral("IntTimer: ") + decimal(word(reply, 46));
    s[17] = word(reply, 46);
    return r;
}

I2cScanReply decodeI2cScan(const QByteArray& reply) {
    I2cScanReply r;
    const int claimed = byteAt(reply, 1);
    if (claimed == 0) {
        r.lines << QStringLiteral("KEine I2C Geräte gefunden");
        return r;
    }
    r.lines << QStringLiteral("I2C Geräte gefunden")
            << QStringLiteral("     8Bit       7Bit     8Bit Dec.");
    // The count byte can claim up to 255 addresses, the report holds 62.
    const int count = std::min(claimed, MaxI2cAddresses);
    for (int i = 1; i <= count; ++i) {
        const quint8 a = byteAt(reply, i + 1);
        r.lines << QStringLiteral(" ") + decimal(i) + QStringLiteral(": 0x") + hexByte(a) +
                       QStringLiteral(" Write 0x") + hexByte(a >> 1) + QStringLiteral(" I2C ") +
                       decimal(a) + QStringLiteral(" Dez. ");
    }
    return r;
}

ClockReply decodeClock(const QByteArray& reply) {
    ClockReply r;
    r.lines << QStringLiteral("Read RTC: ") + decimal(byteAt(reply, 1));
    r.controllerTime = twoDigits(byteAt(reply, 2)) + QLatin1Char(':') +
                       twoDigits(byteAt(reply, 3)) + QLatin1Char(':') + twoDigits(byteAt(reply, 4));
    r.controllerDate = twoDigits(byteAt(reply, 5)) + QLatin1Char('.') +
                       twoDigits(byteAt(reply, 6)) + QStringLiteral(".20") +
                       twoDigits(byteAt(reply, 7));
    return r;
}

Reply decodeReply(const QByteArray& reply, FirmwareVersion firmware) {
    if (reply.isEmpty())
        return std::monostate{};
    switch (reply.at(0)) {
        case code::Settings:
            return decodeSettings(reply);
        case code::WebImageVersion:
            return decodeWebImageVersion(reply, firmware);
        case code::LiveValues:
            return decodeLiveValues(reply, firmware);
        case code::I2cScan:
            return decodeI2cScan(reply);
        case code::ReadClock:
            return decodeClock(reply);
        default:
            return std::monostate{};
    }
}

double dateTimeValue(const QDateTime& local) {
    static const QDate epoch(1899, 12, 30);
    return double(epoch.daysTo(local.date())) + local.time().msecsSinceStartOfDay() / 86400000.0;
}

QByteArray settingsCommand(int doorMinutes, int restartMinutes) {
    const int door = std::clamp(doorMinutes, DoorMinutesMin, DoorMinutesMax) * 60;
    const int restart = std::clamp(restartMinutes, RestartMinutesMin, RestartMinutesMax) * 60;
    // The three humidity thresholds are fixed at 5.0, 5.0 and 3.0 % r.H.
    QByteArray c;
    c.append(code::WriteSettings);
    c.append(char(50)).append(char(50)).append(char(30));
    c.append(char(door % 256)).append(char(door / 256));
    c.append(char(restart % 256)).append(char(restart / 256));
    c.append('\0');
    return c;
}

QByteArray clockCommand(const QDateTime& now) {
    const QDate date = now.date();
    const QTime time = now.time();
    const int year = ((date.year() - 2000) % 100 + 100) % 100;
    QByteArray c;
    c.append(code::SetClock);
    c.append(' ').append(char(0x01));
    c.append(char(ToBcd(time.second())));
    c.append(char(ToBcd(time.minute())));
    c.append(char(ToBcd(time.hour())));
    c.append(char(ToBcd(date.day())));
    c.append(char(date.dayOfWeek() % 7));  // Qt counts Monday 1 .. Sunday 7
    c.append(char(ToBcd(date.month())));
    c.append(char(ToBcd(year)));
    c.append(QByteArray(7, char(0x01)));
    c.append('\0');
    return c;
}

QByteArray cabinetNumberCommand(qint32 number) {
    const quint32 n = quint32(number);
    QByteArray c;
    c.append(code::CabinetNumber);
    for (int i = 0; i < 4; ++i)
        c.append(char((n >> (8 * i)) & 0xFF));
    return c;
}

QByteArray singleByteCommand(char commandCode) {
    return QByteArray(1, commandCode);
}

std::optional<QByteArray> outputReport(const QByteArray& command, int reportLength) {
    if (reportLength < 1 || command.size() > reportLength - 1)
        return std::nullopt;
    QByteArray report(reportLength, '\0');
    std::copy(command.begin(), command.end(), report.begin() + 1);
    return report;
}

}  // namespace kd::protocol
