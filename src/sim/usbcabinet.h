#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QRandomGenerator>
#include <QString>

#include <array>

namespace kd::sim {

/// Identity and start values of the simulated controller.
struct UsbCabinetConfig {
    quint8 firmwareMajor = 1;
    quint8 firmwareMinor = 4;
    /// Version of the controller's web image, as the "u" reply carries it.
    QString webVersion = QStringLiteral("1.004");
    std::array<quint8, 6> mac{0x00, 0x04, 0xA3, 0x12, 0x34, 0x56};
    std::array<quint8, 4> ip{192, 168, 1, 50};
    qint32 cabinetNumber = 12345;
    /// The door opens for doorOpenSeconds once every doorPeriodSeconds.
    int doorPeriodSeconds = 180;
    int doorOpenSeconds = 20;
    quint32 seed = 7634;
};

/// What the controller does with its USB connection after a command.
enum class BusAction {
    Stay,
    Reset,   ///< leaves the bus, comes back after its restart with an I2C scan
    Loader,  ///< leaves the bus for its firmware loader and stays away
};

/// The simulated cabinet controller: its settings, clock, cabinet number and
/// a small drying model, and the replies it gives to each command. Pure: time
/// comes in as arguments, so tests drive it step by step. One thread.
class UsbCabinet {
public:
    explicit UsbCabinet(const UsbCabinetConfig& config = UsbCabinetConfig{});

    struct Outcome {
        QList<QByteArray> replies;  ///< 64 reply bytes each, reply code first
        BusAction bus = BusAction::Stay;
    };

    /// Handles one command (the bytes after the report id). `now` is the
    /// computer's local time, `elapsed` seconds since the cabinet started.
    Outcome handle(const QByteArray& command, const QDateTime& now, double elapsed);

    /// The ":" reply a restarted controller sends once it is back on the bus.
    QByteArray i2cScanReply() const;

    /// Moves the drying model to `elapsed` seconds since start.
    void advanceTo(double elapsed);

    // What the commands changed, for tests and the console output.
    quint8 regenerationLimit() const { return regeneration_; }
    int doorAlarmSeconds() const { return doorAlarm_; }
    int restartSeconds() const { return restart_; }
    qint32 cabinetNumber() const { return number_; }
    /// The controller's clock at the computer's time `now`.
    QDateTime clock(const QDateTime& now) const { return now.addSecs(clockOffset_); }
    bool doorOpen() const { return doorOpen_; }
    /// Humidity at the top and at the bottom, % r.H.
    double upperHumidity() const { return upperHumidity_; }
    double lowerHumidity() const { return lowerHumidity_; }

private:
    QByteArray settingsReply() const;
    QByteArray versionReply() const;
    QByteArray liveReply(double elapsed);
    QByteArray clockReply(const QDateTime& now) const;
    void setClock(const QByteArray& command, const QDateTime& now);

    UsbCabinetConfig config_;
    quint8 regeneration_ = 50;
    quint8 firstReduction_ = 50;
    quint8 secondReduction_ = 30;
    int doorAlarm_ = 300;
    int restart_ = 600;
    qint32 number_;
    qint64 clockOffset_ = 0;  // seconds the controller's clock is ahead
    double modelTime_ = 0;
    bool doorOpen_ = false;
    double upperHumidity_ = 12.0;
    double lowerHumidity_ = 12.8;
    quint16 intTimer_ = 0;
    QRandomGenerator random_;
};

/// Parses the hex replies of a reply script: one reply per line as hex bytes
/// (spaces allowed, reply code first, up to 64 bytes, the rest zero); empty
/// lines and lines starting with "#" are skipped. Returns false with the
/// line number in `error` for a line that is not hex or too long.
bool parseReplyScript(const QByteArray& text, QList<QByteArray>* replies, QString* error);

}  // namespace kd::sim
