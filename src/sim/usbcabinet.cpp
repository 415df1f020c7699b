#include "usbcabinet.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

namespace kd::sim {

namespace {

constexpr int kReplySize = 64;

void putWord(QByteArray& r, int at, int value) {
    r[at] = char(value & 0xFF);
    r[at + 1] = char((value >> 8) & 0xFF);
}

std::optional<int> fromBcd(quint8 b) {
    if ((b >> 4) > 9 || (b & 0x0F) > 9) {
        return std::nullopt;
    }
    return (b >> 4) * 10 + (b & 0x0F);
}

// Humidity the cabinet approaches while dry air circulates, and the room's.
constexpr double kDryTarget = 3.0;
constexpr double kRoomHumidity = 48.0;
constexpr double kDryingTau = 240.0;  // seconds
constexpr double kOpenTau = 25.0;

}  // namespace

UsbCabinet::UsbCabinet(const UsbCabinetConfig& config)
    : config_(config), number_(config.cabinetNumber), random_(config.seed) {}

UsbCabinet::Outcome UsbCabinet::handle(const QByteArray& command, const QDateTime& now,
                                       double elapsed) {
    Outcome out;
    if (command.isEmpty()) {
        return out;
    }
    advanceTo(elapsed);
    const auto byte = [&](int i) { return i < command.size() ? quint8(command[i]) : quint8(0); };
    switch (byte(0)) {
        case '@':
            out.replies.append(settingsReply());
            break;
        case 'u':
            out.replies.append(versionReply());
            break;
        case 'v':
            out.replies.append(liveReply(elapsed));
            break;
        case '3':
            out.replies.append(clockReply(now));
            break;
        case '2':
            setClock(command, now);
            break;
        case 'A':
            regeneration_ = byte(1);
            firstReduction_ = byte(2);
            secondReduction_ = byte(3);
            doorAlarm_ = byte(4) | byte(5) << 8;
            restart_ = byte(6) | byte(7) << 8;
            break;
        case 'x':
            number_ = qint32(quint32(byte(1)) | quint32(byte(2)) << 8 | quint32(byte(3)) << 16 |
                             quint32(byte(4)) << 24);
            break;
        case 0xFF:
            out.bus = BusAction::Reset;
            break;
        case 0xFE:
            out.bus = BusAction::Loader;
            break;
        default:  // 0xFD, "w" and anything else: nothing to answer
            break;
    }
    return out;
}

QByteArray UsbCabinet::settingsReply() const {
    QByteArray r(kReplySize, '\0');
    r[0] = '@';
    r[1] = char(regeneration_);
    r[2] = char(firstReduction_);
    r[3] = char(secondReduction_);
    putWord(r, 4, doorAlarm_);
    putWord(r, 6, restart_);
    // Two further times the console keeps hidden; bit 6 of byte 8 is the
    // return-air display flag, set here.
    putWord(r, 8, 1800 | 0x40);
    putWord(r, 10, 900);
    const quint32 n = quint32(number_);
    for (int i = 0; i < 4; ++i) {
        r[13 + i] = char((n >> (8 * i)) & 0xFF);
    }
    r[17] = char(config_.firmwareMinor);
    r[18] = char(config_.firmwareMajor);
    for (int i = 0; i < 6; ++i) {
        r[21 + i] = char(config_.mac[i]);
    }
    return r;
}

QByteArray UsbCabinet::versionReply() const {
    QByteArray r(kReplySize, '\0');
    r[0] = 'u';
    const QByteArray text = "MPFS Image Version_MPFS=" + config_.webVersion.toLatin1() + ";";
    r.replace(1, std::min<qsizetype>(text.size(), 61), text.left(61));
    return r.left(kReplySize);
}

void UsbCabinet::advanceTo(double elapsed) {
    while (modelTime_ < elapsed) {
        const double step = std::min(1.0, elapsed - modelTime_);
        modelTime_ += step;
        const int period = std::max(1, config_.doorPeriodSeconds);
        const double phase = std::fmod(modelTime_, double(period));
        doorOpen_ = config_.doorOpenSeconds > 0 && phase >= period - config_.doorOpenSeconds;
        const double target = doorOpen_ ? kRoomHumidity : kDryTarget;
        const double k = 1.0 - std::exp(-step / (doorOpen_ ? kOpenTau : kDryingTau));
        upperHumidity_ += (target - upperHumidity_) * k;
        // The bottom follows more slowly: the dry air enters at the top.
        lowerHumidity_ += (target + 0.8 - lowerHumidity_) * k * 0.8;
        intTimer_ = quint16(intTimer_ + 1);
    }
}

QByteArray UsbCabinet::liveReply(double elapsed) {
    QByteArray r(kReplySize, '\0');
    const auto noise = [&](int span) { return int(random_.bounded(2 * span + 1)) - span; };
    const bool drying = !doorOpen_;
    const int nominal = drying ? 1450 : 600;
    r[0] = 'v';
    r[1] = char(drying ? 0x05 : 0x01);  // actuators: fan, heater
    r[2] = 0;                           // no error
    putWord(r, 3, nominal + noise(12));
    r[5] = char(int(elapsed) % 200);  // ok_timer of older firmware
    r[6] = char(40 + noise(2));
    r[7] = char(drying ? 0x03 : 0x00);  // valves
    putWord(r, 8, 100 + noise(1));      // mains frequency × 2
    putWord(r, 10, 2500 + noise(50));
    putWord(r, 12, nominal);
    putWord(r, 14, 120);
    putWord(r, 16, 0);
    putWord(r, 18, int(elapsed) % 3600);  // ok_timer of newer firmware
    putWord(r, 20, 24 + noise(1));
    putWord(r, 22, 23 + noise(1));
    r[24] = char(doorOpen_ ? 0x01 : 0x00);
    r[25] = char(drying ? 2 : 4);
    r[26] = char(drying ? 0x11 : 0x10);
    r[27] = char(200 + noise(5));
    r[28] = 0x00;
    putWord(r, 29, int(std::lround(upperHumidity_ * 10)));
    putWord(r, 31, 221 + noise(3));
    r[33] = 0x00;
    putWord(r, 34, int(std::lround(lowerHumidity_ * 10)));
    putWord(r, 36, 214 + noise(3));
    for (int i = 0; i < 4; ++i) {
        r[38 + i] = char(config_.ip[i]);
    }
    const std::array<quint8, 4> mask{255, 255, 255, 0};
    for (int i = 0; i < 4; ++i) {
        r[42 + i] = char(mask[i]);
    }
    putWord(r, 46, intTimer_);
    return r;
}

QByteArray UsbCabinet::clockReply(const QDateTime& now) const {
    const QDateTime c = clock(now);
    QByteArray r(kReplySize, '\0');
    r[0] = '3';
    r[1] = 0;
    r[2] = char(c.time().hour());
    r[3] = char(c.time().minute());
    r[4] = char(c.time().second());
    r[5] = char(c.date().day());
    r[6] = char(c.date().month());
    r[7] = char(c.date().year() % 100);
    return r;
}

void UsbCabinet::setClock(const QByteArray& command, const QDateTime& now) {
    if (command.size() < 10) {
        return;
    }
    const auto s = fromBcd(quint8(command[3]));
    const auto m = fromBcd(quint8(command[4]));
    const auto h = fromBcd(quint8(command[5]));
    const auto d = fromBcd(quint8(command[6]));
    const auto mo = fromBcd(quint8(command[8]));
    const auto y = fromBcd(quint8(command[9]));
    if (!s || !m || !h || !d || !mo || !y) {
        return;  // the controller's clock chip refuses what is not BCD
    }
    const QDate date(2000 + *y, *mo, *d);
    const QTime time(*h, *m, *s);
    if (!date.isValid() || !time.isValid()) {
        return;
    }
    clockOffset_ = now.secsTo(QDateTime(date, time, now.timeSpec()));
}

QByteArray UsbCabinet::i2cScanReply() const {
    // Clock chip, settings memory and the two humidity sensors.
    const QByteArray addresses = QByteArray::fromHex("a0d05052");
    QByteArray r(kReplySize, '\0');
    r[0] = ':';
    r[1] = char(addresses.size());
    r.replace(2, addresses.size(), addresses);
    return r;
}

bool parseReplyScript(const QByteArray& text, QList<QByteArray>* replies, QString* error) {
    replies->clear();
    int lineNumber = 0;
    for (const QByteArray& raw : text.split('\n')) {
        ++lineNumber;
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        QByteArray digits;
        for (char c : line) {
            if (c == ' ' || c == '\t') {
                continue;
            }
            if (!std::isxdigit(static_cast<unsigned char>(c))) {
                *error = QStringLiteral("line %1: not hex").arg(lineNumber);
                return false;
            }
            digits.append(c);
        }
        if (digits.size() % 2 != 0 || digits.size() > 2 * kReplySize) {
            *error = QStringLiteral("line %1: needs 1 to 64 whole bytes").arg(lineNumber);
            return false;
        }
        QByteArray reply = QByteArray::fromHex(digits);
        reply.append(QByteArray(kReplySize - reply.size(), '\0'));
        replies->append(reply);
    }
    return true;
}

}  // namespace kd::sim
