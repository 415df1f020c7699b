#include "lancabinet.h"

#include "lanupload.h"

#include <QCommandLineParser>
#include <QFile>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>
#include <QUdpSocket>

namespace kd::sim {

namespace {
// Largest request the cabinet takes; its image store is far smaller.
constexpr qsizetype kMaxRequestBytes = 16 * 1024 * 1024;

const QByteArray kDiscoveryRequest = QByteArrayLiteral("Discovery: Who is out there?");

QByteArray headerValue(const QList<QByteArray>& head, const QByteArray& name) {
    const QByteArray prefix = name.toLower() + ':';
    for (qsizetype i = 1; i < head.size(); ++i) {
        if (head.at(i).toLower().startsWith(prefix))
            return head.at(i).mid(prefix.size()).trimmed();
    }
    return {};
}

QByteArray response(int status, const QByteArray& reason, const QByteArray& html) {
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
           "\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(html.size()) +
           "\r\nConnection: close\r\n\r\n" + html;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}
}  // namespace

LanCabinet::LanCabinet(LanCabinetConfig config, QObject* parent)
    : QObject(parent), config_(std::move(config)) {}

LanCabinet::~LanCabinet() = default;

bool LanCabinet::start(QString* error) {
    udp_ = new QUdpSocket(this);
    if (!udp_->bind(config_.bindAddress, config_.udpPort, QUdpSocket::ShareAddress)) {
        *error = QStringLiteral("UDP port %1: %2").arg(config_.udpPort).arg(udp_->errorString());
        return false;
    }
    connect(udp_, &QUdpSocket::readyRead, this, &LanCabinet::readDiscovery);

    if (config_.httpMode == HttpMode::Refuse)
        return true;
    http_ = new QTcpServer(this);
    if (!http_->listen(config_.bindAddress, config_.httpPort)) {
        *error = QStringLiteral("HTTP port %1: %2").arg(config_.httpPort).arg(http_->errorString());
        return false;
    }
    connect(http_, &QTcpServer::newConnection, this, &LanCabinet::acceptConnection);
    return true;
}

quint16 LanCabinet::udpPort() const {
    return udp_ ? udp_->localPort() : 0;
}

quint16 LanCabinet::httpPort() const {
    return http_ ? http_->serverPort() : 0;
}

QByteArray LanCabinet::discoveryAnswer() const {
    return "KD7634 " + config_.name.toLatin1() + "\r\n";
}

void LanCabinet::readDiscovery() {
    while (udp_->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = udp_->receiveDatagram();
        if (!datagram.isValid() || datagram.data() != kDiscoveryRequest)
            continue;
        udp_->writeDatagram(discoveryAnswer(), datagram.senderAddress(), datagram.senderPort());
        emit discoveryAnswered(datagram.senderAddress().toString());
    }
}

void LanCabinet::acceptConnection() {
    while (QTcpSocket* socket = http_->nextPendingConnection()) {
        connections_.insert(socket, Connection{});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readConnection(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            connections_.remove(socket);
            socket->deleteLater();
        });
    }
}

void LanCabinet::readConnection(QTcpSocket* socket) {
    auto it = connections_.find(socket);
    if (it == connections_.end() || it->done) {
        socket->readAll();
        return;
    }
    it->buffer += socket->readAll();
    const qsizetype headEnd = it->buffer.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        if (it->buffer.size() > 64 * 1024) {
            socket->write(
                response(431, "Request Header Fields Too Large", "<html>too large</html>"));
            socket->disconnectFromHost();
            it->done = true;
        }
        return;
    }
    const QList<QByteArray> head = it->buffer.left(headEnd).split('\n');
    QList<QByteArray> lines;
    for (QByteArray line : head) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines << line;
    }
    bool lengthOk = false;
    const qsizetype length = headerValue(lines, "Content-Length").toLongLong(&lengthOk);
    if (!lengthOk || length < 0 || length > kMaxRequestBytes) {
        it->done = true;
        socket->write(response(411, "Length Required", "<html>length required</html>"));
        socket->disconnectFromHost();
        return;
    }
    const qsizetype bodyStart = headEnd + 4;
    if (it->buffer.size() - bodyStart < length)
        return;
    it->done = true;
    const QByteArray body = it->buffer.mid(bodyStart, length);
    it->buffer.clear();
    handleRequest(socket, lines, body);
}

void LanCabinet::handleRequest(QTcpSocket* socket, const QList<QByteArray>& head,
                               const QByteArray& body) {
    lastRequestHead_ = head;
    lastRequestBody_ = body;
    if (!config_.requestFile.isEmpty())
        writeFile(config_.requestFile, body);

    switch (config_.httpMode) {
        case HttpMode::Hang:
            emit uploadReceived(false, QStringLiteral("left unanswered"));
            return;
        case HttpMode::Drop:
            socket->disconnectFromHost();
            emit uploadReceived(false, QStringLiteral("connection closed without answer"));
            return;
        case HttpMode::Fail:
            socket->write(
                response(500, "Internal Server Error", "<html>MPFS image store failed</html>"));
            socket->disconnectFromHost();
            emit uploadReceived(false, QStringLiteral("answered 500"));
            return;
        case HttpMode::Refuse:
        case HttpMode::Accept:
            break;
    }

    const QList<QByteArray> requestLine = head.value(0).split(' ');
    if (requestLine.size() != 3 || requestLine.at(0) != "POST" ||
        requestLine.at(1) != "/mpfsupload" || !requestLine.at(2).startsWith("HTTP/1.")) {
        socket->write(response(404, "Not Found", "<html>not found</html>"));
        socket->disconnectFromHost();
        emit uploadReceived(false, QStringLiteral("not a POST to /mpfsupload"));
        return;
    }
    const MpfsUploadCheck check = checkMpfsUpload(headerValue(head, "Content-Type"), body);
    if (!check.ok) {
        socket->write(
            response(400, "Bad Request",
                     "<html>MPFS Image Upload Failed: " + check.reason.toLatin1() + "</html>"));
        socket->disconnectFromHost();
        emit uploadReceived(false, check.reason);
        return;
    }
    lastImage_ = check.image;
    if (!config_.imageFile.isEmpty() && !writeFile(config_.imageFile, check.image)) {
        socket->write(response(500, "Internal Server Error", "<html>image not stored</html>"));
        socket->disconnectFromHost();
        emit uploadReceived(false, QStringLiteral("image file not written"));
        return;
    }
    socket->write(response(200, "OK", "<html>MPFS Update Successful</html>"));
    socket->disconnectFromHost();
    emit uploadReceived(true, QString());
}

void addLanOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {QStringLiteral("lan"), QStringLiteral("Serve discovery and the web-image upload.")},
        {QStringLiteral("name"), QStringLiteral("Cabinet name in the discovery answer."),
         QStringLiteral("name"), QStringLiteral("KD7634-SIM")},
        {QStringLiteral("bind"), QStringLiteral("Local address of the LAN side."),
         QStringLiteral("address"), QStringLiteral("0.0.0.0")},
        {QStringLiteral("udp-port"), QStringLiteral("Discovery port."), QStringLiteral("port"),
         QStringLiteral("30303")},
        {QStringLiteral("http-port"), QStringLiteral("Web server port."), QStringLiteral("port"),
         QStringLiteral("80")},
        {QStringLiteral("http-mode"),
         QStringLiteral("Upload answer: accept, refuse, fail, hang or drop."),
         QStringLiteral("mode"), QStringLiteral("accept")},
        {QStringLiteral("image-file"), QStringLiteral("Where an accepted image is written."),
         QStringLiteral("path")},
        {QStringLiteral("request-file"),
         QStringLiteral("Where each received upload body is written."), QStringLiteral("path")},
    });
}

LanCabinet* startLanSide(const QCommandLineParser& parser, QObject* parent, QString* error) {
    error->clear();
    if (!parser.isSet(QStringLiteral("lan")))
        return nullptr;
    LanCabinetConfig config;
    config.name = parser.value(QStringLiteral("name"));
    if (!config.bindAddress.setAddress(parser.value(QStringLiteral("bind")))) {
        *error = QStringLiteral("--bind: not an address");
        return nullptr;
    }
    bool ok = false;
    config.udpPort = parser.value(QStringLiteral("udp-port")).toUShort(&ok);
    if (!ok) {
        *error = QStringLiteral("--udp-port: not a port");
        return nullptr;
    }
    config.httpPort = parser.value(QStringLiteral("http-port")).toUShort(&ok);
    if (!ok) {
        *error = QStringLiteral("--http-port: not a port");
        return nullptr;
    }
    static const QHash<QString, HttpMode> modes = {
        {QStringLiteral("accept"), HttpMode::Accept}, {QStringLiteral("refuse"), HttpMode::Refuse},
        {QStringLiteral("fail"), HttpMode::Fail},     {QStringLiteral("hang"), HttpMode::Hang},
        {QStringLiteral("drop"), HttpMode::Drop},
    };
    const QString mode = parser.value(QStringLiteral("http-mode"));
    if (!modes.contains(mode)) {
        *error = QStringLiteral("--http-mode: one of accept, refuse, fail, hang, drop");
        return nullptr;
    }
    config.httpMode = modes.value(mode);
    config.imageFile = parser.value(QStringLiteral("image-file"));
    config.requestFile = parser.value(QStringLiteral("request-file"));

    auto* cabinet = new LanCabinet(config, parent);
    if (!cabinet->start(error)) {
        delete cabinet;
        return nullptr;
    }
    QTextStream(stdout) << "LAN: " << config.name << " discovery on UDP " << cabinet->udpPort()
                        << ", web server "
                        << (cabinet->httpPort() ? QString::number(cabinet->httpPort())
                                                : QStringLiteral("off"))
                        << Qt::endl;
    QObject::connect(
        cabinet, &LanCabinet::uploadReceived, cabinet, [](bool accepted, const QString& reason) {
            QTextStream(stdout) << "LAN: upload " << (accepted ? "accepted" : "not accepted")
                                << (reason.isEmpty() ? QString() : ": " + reason) << Qt::endl;
        });
    return cabinet;
}

}  // namespace kd::sim
