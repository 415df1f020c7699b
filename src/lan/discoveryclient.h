#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <optional>

class QUdpSocket;

namespace kd::lan {

/// One datagram taken from the discovery socket.
struct ReceivedDatagram {
    QByteArray data;  ///< at most kMaxAnswerBytes bytes, never empty
    QString sender;   ///< the sender's IPv4 address in dotted decimal
};

/// The console's discovery socket: created on the first request, bound to the
/// chosen local address and a port the system picks, kept until destruction
/// so late answers are still read. GUI thread only; never opens dialogs.
class DiscoveryClient : public QObject {
    Q_OBJECT
public:
    explicit DiscoveryClient(QObject* parent = nullptr);
    ~DiscoveryClient() override;

    /// Broadcasts the discovery request to 255.255.255.255:30303 from
    /// `localAddress` (dotted decimal; empty means any local address). The
    /// socket is created on the first call and bound anew only when the
    /// address differs from the one it is bound to, so answers still queued
    /// for the same address survive a new search.
    /// Returns false with a readable reason in `error` when the address is
    /// not valid, binding fails or the datagram cannot be sent.
    bool sendRequest(const QString& localAddress, QString* error);

    /// True once a request was attempted and the socket exists.
    bool hasSocket() const { return socket_ != nullptr; }

    /// The port the socket is bound to, 0 without a socket.
    quint16 localPort() const;

    /// Waits at most `waitMs` milliseconds for one datagram and takes it.
    /// Returns nothing when there is no socket, no datagram came, or it was
    /// empty. Blocks the calling thread for at most `waitMs`.
    std::optional<ReceivedDatagram> readOne(int waitMs);

private:
    bool ensureBound(const QHostAddress& address, QString* error);

    QUdpSocket* socket_ = nullptr;
    QHostAddress boundAddress_;
};

}  // namespace kd::lan
