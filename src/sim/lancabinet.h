#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

class QCommandLineParser;
class QTcpServer;
class QTcpSocket;
class QUdpSocket;

namespace kd::sim {

/// How the virtual cabinet's web server treats an upload; tests pick the failure.
enum class HttpMode {
    Accept,  ///< checks the upload, keeps the image, answers 200 (400 when the check fails)
    Refuse,  ///< no web server: connections are refused
    Fail,    ///< reads the request and answers 500
    Hang,    ///< reads the request and never answers
    Drop,    ///< reads the request and closes the connection without an answer
};

/// Settings of the virtual cabinet's network side.
struct LanCabinetConfig {
    QString name = QStringLiteral("KD7634-SIM");       ///< name sent in the discovery answer
    QHostAddress bindAddress = QHostAddress::AnyIPv4;  ///< local address of both sockets
    quint16 udpPort = 30303;                           ///< discovery port; 0 picks a free one
    quint16 httpPort = 80;                             ///< web server port; 0 picks a free one
    HttpMode httpMode = HttpMode::Accept;
    QString imageFile;    ///< where an accepted image is written; empty: kept in memory only
    QString requestFile;  ///< where each received request body is written; empty: none
};

/// The network side of the virtual cabinet: answers discovery requests with
/// "KD7634 <name>" CR LF and serves POST "/mpfsupload". Lives on the thread
/// that created it and works from its event loop. Never sends anything but
/// answers to whoever asked.
class LanCabinet : public QObject {
    Q_OBJECT
public:
    explicit LanCabinet(LanCabinetConfig config, QObject* parent = nullptr);
    ~LanCabinet() override;

    /// Opens the sockets. Returns false with the reason in `error` when a
    /// port cannot be bound.
    bool start(QString* error);

    quint16 udpPort() const;   ///< bound discovery port, 0 before start()
    quint16 httpPort() const;  ///< bound web server port, 0 without a server

    /// The answer sent for a discovery request.
    QByteArray discoveryAnswer() const;

    QByteArray lastRequestBody() const { return lastRequestBody_; }
    /// Header lines of the last request, exactly as received (without CR LF),
    /// the request line first.
    QList<QByteArray> lastRequestHead() const { return lastRequestHead_; }
    QByteArray lastImage() const { return lastImage_; }

signals:
    /// A discovery request came from `peer` and was answered.
    void discoveryAnswered(const QString& peer);
    /// A whole upload request was read; `accepted` when it passed the check.
    void uploadReceived(bool accepted, const QString& reason);

private:
    struct Connection {
        QByteArray buffer;
        bool done = false;
    };

    void readDiscovery();
    void acceptConnection();
    void readConnection(QTcpSocket* socket);
    void handleRequest(QTcpSocket* socket, const QList<QByteArray>& head, const QByteArray& body);

    LanCabinetConfig config_;
    QUdpSocket* udp_ = nullptr;
    QTcpServer* http_ = nullptr;
    QHash<QTcpSocket*, Connection> connections_;
    QByteArray lastRequestBody_;
    QList<QByteArray> lastRequestHead_;
    QByteArray lastImage_;
};

/// Adds the LAN options to the simulator's command line: --lan, --name,
/// --bind, --udp-port, --http-port, --http-mode, --image-file, --request-file.
void addLanOptions(QCommandLineParser& parser);

/// Starts the LAN side when --lan was given; returns nullptr otherwise and
/// on failure, with the reason in `error` (empty when --lan was not given).
/// The object is owned by `parent`.
LanCabinet* startLanSide(const QCommandLineParser& parser, QObject* parent, QString* error);

}  // namespace kd::sim
