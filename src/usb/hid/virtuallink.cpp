#include "virtuallink.h"

#include <QLocalSocket>
#include <QTimer>

#include <chrono>
#include <utility>

namespace kd::hid {

VirtualChannel::VirtualChannel(VirtualLink* link, const VirtualHello& hello)
    : link_(link), hello_(hello) {}

bool VirtualChannel::open() {
    std::lock_guard lock(mutex_);
    return hello_.readWrite && !detached_;
}

ReportChannel::ReadResult VirtualChannel::read(int timeoutMs) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                      [&] { return !queue_.empty() || detached_ || wake_; });
    wake_ = false;
    if (!queue_.empty()) {
        QByteArray report = std::move(queue_.front());
        queue_.pop_front();
        return report;
    }
    if (detached_) {
        return std::nullopt;
    }
    return QByteArray();
}

void VirtualChannel::wakeReader() {
    {
        std::lock_guard lock(mutex_);
        wake_ = true;
    }
    arrived_.notify_all();
}

bool VirtualChannel::write(const QByteArray& report) {
    {
        std::lock_guard lock(mutex_);
        if (detached_ || !hello_.readWrite) {
            return false;
        }
    }
    return link_ && link_->write(report);
}

void VirtualChannel::feed(const QByteArray& bytes) {
    partial_.append(bytes);
    const int length = hello_.inputReportLength;
    qsizetype used = 0;
    {
        std::lock_guard lock(mutex_);
        while (partial_.size() - used >= length) {
            queue_.push_back(partial_.mid(used, length));
            used += length;
        }
    }
    partial_.remove(0, used);
    if (used > 0) {
        arrived_.notify_all();
    }
}

bool VirtualChannel::hasRoom() const {
    std::lock_guard lock(mutex_);
    return queue_.size() < kQueueLimit;
}

void VirtualChannel::detach() {
    {
        std::lock_guard lock(mutex_);
        detached_ = true;
    }
    arrived_.notify_all();
}

VirtualLink::VirtualLink(const QString& serverName, QObject* parent, int retryMs)
    : QObject(parent),
      serverName_(serverName),
      socket_(new QLocalSocket(this)),
      retry_(new QTimer(this)),
      backpressure_(new QTimer(this)) {
    retry_->setInterval(retryMs);
    retry_->setSingleShot(true);
    backpressure_->setInterval(10);
    // Bounds what a peer that floods the link can make this side hold: with
    // the queue full the socket stops reading and the peer's writes block.
    socket_->setReadBufferSize(64 * 1024);
    connect(retry_, &QTimer::timeout, this, &VirtualLink::tryConnect);
    connect(backpressure_, &QTimer::timeout, this, &VirtualLink::pumpSocket);
    connect(socket_, &QLocalSocket::connected, this, &VirtualLink::onConnected);
    connect(socket_, &QLocalSocket::readyRead, this, &VirtualLink::onReadyRead);
    // Queued although on one thread: a write that finds the peer gone may
    // report the disconnect from inside waitForBytesWritten, that is from
    // inside the console's command; the removal must come afterwards.
    connect(socket_, &QLocalSocket::disconnected, this, &VirtualLink::onDisconnected,
            Qt::QueuedConnection);
    connect(socket_, &QLocalSocket::errorOccurred, this, [this] {
        if (socket_->state() == QLocalSocket::UnconnectedState && !attached_) {
            retry_->start();
        }
    });
    // The first attempt runs once the event loop does, like the arrival of
    // devices present at start.
    QTimer::singleShot(0, this, &VirtualLink::tryConnect);
}

VirtualLink::~VirtualLink() {
    socket_->disconnect(this);
    if (channel_) {
        channel_->detach();
    }
}

void VirtualLink::tryConnect() {
    if (socket_->state() != QLocalSocket::UnconnectedState) {
        return;
    }
    helloBuffer_.clear();
    socket_->connectToServer(serverName_);
}

void VirtualLink::onConnected() {
    retry_->stop();
    helloBuffer_.clear();
}

void VirtualLink::onReadyRead() {
    if (attached_) {
        pumpSocket();
        return;
    }
    if (socket_->state() != QLocalSocket::ConnectedState) {
        return;
    }
    helloBuffer_.append(socket_->read(kMaxHelloLine + 1 - helloBuffer_.size()));
    const qsizetype end = helloBuffer_.indexOf('\n');
    if (end < 0) {
        if (helloBuffer_.size() > kMaxHelloLine) {
            drop();
        }
        return;
    }
    const auto hello = parseVirtualHello(helloBuffer_.left(end + 1));
    if (!hello) {
        drop();
        return;
    }
    QByteArray rest = helloBuffer_.mid(end + 1);
    helloBuffer_.clear();
    attached_ = true;
    channel_ = new VirtualChannel(this, *hello);
    channel_->feed(rest);
    emit arrived(*hello, channel_);
    pumpSocket();
}

void VirtualLink::pumpSocket() {
    if (!attached_ || !channel_) {
        backpressure_->stop();
        return;
    }
    while (socket_->bytesAvailable() > 0) {
        if (!channel_->hasRoom()) {
            backpressure_->start();
            return;
        }
        channel_->feed(socket_->read(4096));
    }
    backpressure_->stop();
}

void VirtualLink::onDisconnected() {
    // A connect, hello and disconnect can all be waiting in the queue by the
    // time this runs; only a connection that is really gone counts.
    if (socket_->state() == QLocalSocket::ConnectedState) {
        return;
    }
    backpressure_->stop();
    helloBuffer_.clear();
    if (attached_) {
        attached_ = false;
        VirtualChannel* channel = std::exchange(channel_, nullptr);
        channel->detach();
        emit departed();
    }
    retry_->start();
}

void VirtualLink::drop() {
    helloBuffer_.clear();
    socket_->abort();
    retry_->start();
}

bool VirtualLink::write(const QByteArray& report) {
    if (!attached_ || socket_->state() != QLocalSocket::ConnectedState) {
        return false;
    }
    if (socket_->write(report) != report.size()) {
        return false;
    }
    while (socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(2000)) {
            return false;
        }
    }
    return true;
}

}  // namespace kd::hid
