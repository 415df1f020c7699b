#pragma once

#include "reportchannel.h"
#include "virtualhello.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

class QLocalSocket;
class QTimer;

namespace kd::hid {

class VirtualLink;

/// The channel of a virtual device: input reports come from the link's
/// socket through a bounded queue, output reports go straight to the socket.
class VirtualChannel : public ReportChannel {
public:
    VirtualChannel(VirtualLink* link, const VirtualHello& hello);

    bool open() override;
    void close() override {}
    ReadResult read(int timeoutMs) override;
    void wakeReader() override;
    bool numberedReports() const override { return true; }
    bool write(const QByteArray& report) override;

    /// Appends received bytes; whole reports go to the queue. GUI thread.
    void feed(const QByteArray& bytes);
    /// Whether the queue can take more reports. GUI thread.
    bool hasRoom() const;
    /// The connection is gone: reads fail once the queue is empty, writes
    /// fail at once. GUI thread.
    void detach();

    /// Reports held at most before the link stops reading its socket.
    static constexpr size_t kQueueLimit = 256;

private:
    QPointer<VirtualLink> link_;
    const VirtualHello hello_;
    QByteArray partial_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<QByteArray> queue_;
    bool detached_ = false;
    bool wake_ = false;
};

/// Client side of the virtual HID link: connects to the local socket named
/// by the environment variable KD7634_VIRTUAL_CABINET, retries every 500 ms
/// (retryMs)
/// while not connected, reads the peer's hello line and then carries whole
/// reports back to back. An accepted hello is an arrival, the end of the
/// connection the removal. GUI thread.
class VirtualLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kRetryMs = 500;

    VirtualLink(const QString& serverName, QObject* parent = nullptr, int retryMs = kRetryMs);
    ~VirtualLink() override;

    /// Writes one report and waits until the socket took it. GUI thread.
    bool write(const QByteArray& report);

signals:
    /// The peer said hello; the receiver takes ownership of the channel.
    void arrived(const kd::hid::VirtualHello& hello, kd::hid::VirtualChannel* channel);
    /// The connection of the last arrival ended.
    void departed();

private:
    void tryConnect();
    void onConnected();
    void onReadyRead();
    void onDisconnected();
    void drop();

    /// Moves buffered socket bytes into the channel while it has room.
    void pumpSocket();

    QString serverName_;
    QLocalSocket* socket_ = nullptr;
    QTimer* retry_ = nullptr;
    // Polls for room while a full queue holds the socket back; the reader
    // thread only frees room, it never calls into the link.
    QTimer* backpressure_ = nullptr;
    QByteArray helloBuffer_;
    VirtualChannel* channel_ = nullptr;  // owned by the device
    bool attached_ = false;
};

}  // namespace kd::hid
