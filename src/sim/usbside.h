#pragma once

#include "usbcabinet.h"
#include "virtualhello.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

class QCommandLineParser;
class QLocalServer;
class QLocalSocket;

namespace kd::sim {

/// Settings of the cabinet's USB side.
struct UsbSideConfig {
    /// Local socket the program reaches through KD7634_VIRTUAL_CABINET.
    QString socketName = QStringLiteral("/tmp/kd7634-cabinet.sock");
    kd::hid::VirtualHello hello = defaultHello();
    UsbCabinetConfig cabinet;
    /// Replies sent instead of the model's, one per received command, in
    /// order; when used up the model answers again.
    QList<QByteArray> script;
    /// How long a reset keeps the controller off the bus.
    int resetMs = 2000;

    static kd::hid::VirtualHello defaultHello();
};

/// The simulated controller on the virtual HID link: listens on a local
/// socket, greets a connecting program with its hello line and answers each
/// output report with the replies of its UsbCabinet. One program at a time;
/// a further connection is closed at once. Leaving the bus closes the
/// connection and stops listening. Lives on the thread that created it and
/// works from its event loop.
class UsbSide : public QObject {
    Q_OBJECT
public:
    explicit UsbSide(UsbSideConfig config, QObject* parent = nullptr);
    ~UsbSide() override;

    /// Starts listening; false with the reason in `error`.
    bool start(QString* error);
    /// Leaves the bus now (closes the program's connection and the socket)
    /// and comes back after `ms` milliseconds; a negative value stays away.
    void leaveBus(int ms);

    const UsbCabinet& cabinet() const { return cabinet_; }
    bool isOnBus() const;

signals:
    void programConnected();
    void programDisconnected();
    /// One output report arrived; `command` is the bytes after the report id.
    void commandReceived(const QByteArray& command);
    /// One reply went out (64 bytes, reply code first).
    void replySent(const QByteArray& reply);

private:
    void acceptProgram();
    void readProgram();
    void send(const QByteArray& reply);
    bool listen(QString* error);

    UsbSideConfig config_;
    UsbCabinet cabinet_;
    QLocalServer* server_ = nullptr;
    QLocalSocket* program_ = nullptr;
    QByteArray pending_;
    QElapsedTimer running_;
    bool scanDue_ = false;
    int scriptAt_ = 0;
};

/// Adds the USB side's options: --socket, --no-usb, --firmware, --web-version,
/// --mac, --ip, --serial, --number, --door-period, --door-open, --script.
void addUsbOptions(QCommandLineParser& parser);
/// Starts the USB side unless --no-usb was given (owned by `parent`). False
/// with the reason in `error` when the options are bad or listening failed.
bool startUsbSide(const QCommandLineParser& parser, QObject* parent, QString* error);

}  // namespace kd::sim
