#include "discoveryclient.h"

#include "discovery.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

namespace kd::lan {

DiscoveryClient::DiscoveryClient(QObject* parent) : QObject(parent) {}

DiscoveryClient::~DiscoveryClient() = default;

bool DiscoveryClient::ensureBound(const QHostAddress& address, QString* error) {
    if (socket_ && boundAddress_ == address)
        return true;
    delete socket_;
    socket_ = new QUdpSocket(this);
    if (!socket_->bind(address, 0)) {
        *error = socket_->errorString();
        delete socket_;
        socket_ = nullptr;
        return false;
    }
    boundAddress_ = address;
    return true;
}

bool DiscoveryClient::sendRequest(const QString& localAddress, QString* error) {
    QHostAddress address(QHostAddress::AnyIPv4);
    const QString trimmed = localAddress.trimmed();
    if (!trimmed.isEmpty() &&
        (!address.setAddress(trimmed) || address.protocol() != QAbstractSocket::IPv4Protocol)) {
        *error = QStringLiteral("Ungültige lokale Adresse \"%1\"").arg(localAddress);
        return false;
    }
    if (!ensureBound(address, error))
        return false;
    // Qt sets SO_BROADCAST on every UDP socket it creates, so the limited
    // broadcast needs no further option.
    const QByteArray request = discoveryRequest();
    if (socket_->writeDatagram(request, QHostAddress::Broadcast, kDiscoveryPort) !=
        request.size()) {
        *error = socket_->errorString();
        return false;
    }
    return true;
}

quint16 DiscoveryClient::localPort() const {
    return socket_ ? socket_->localPort() : 0;
}

std::optional<ReceivedDatagram> DiscoveryClient::readOne(int waitMs) {
    if (!socket_)
        return std::nullopt;
    if (!socket_->hasPendingDatagrams() && !socket_->waitForReadyRead(waitMs))
        return std::nullopt;
    if (!socket_->hasPendingDatagrams())
        return std::nullopt;
    const QNetworkDatagram datagram = socket_->receiveDatagram(kMaxAnswerBytes);
    // An invalid datagram is a pending socket error (an ICMP "port
    // unreachable" for an earlier send); it carries no answer.
    if (!datagram.isValid() || datagram.data().isEmpty())
        return std::nullopt;
    bool isV4 = false;
    const quint32 v4 = datagram.senderAddress().toIPv4Address(&isV4);
    const QString sender = isV4 ? QHostAddress(v4).toString() : datagram.senderAddress().toString();
    return ReceivedDatagram{datagram.data(), sender};
}

}  // namespace kd::lan
