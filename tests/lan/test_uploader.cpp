// The upload and the virtual cabinet program on the normal loopback, with
// ports the system picks: needs no privileges.
#include "discovery.h"
#include "imageuploader.h"
#include "mpfsupload.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

using kd::lan::ImageUploader;

namespace {
// The virtual cabinet program with its LAN side on 127.0.0.1.
class SimProcess {
public:
    explicit SimProcess(const QStringList& extra) {
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start(QStringLiteral(KD_SIM_EXECUTABLE),
                       QStringList{"--no-usb", "--lan", "--bind", "127.0.0.1", "--udp-port", "0",
                                   "--http-port", "0"} +
                           extra);
    }
    ~SimProcess() {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }
    // Waits for the line that names the bound ports.
    bool waitForPorts() {
        const QRegularExpression line(
            QStringLiteral("discovery on UDP (\\d+), web server (\\d+|off)"));
        while (true) {
            const auto match = line.match(QString::fromLocal8Bit(output_));
            if (match.hasMatch()) {
                udpPort = match.captured(1).toUShort();
                httpPort = match.captured(2).toUShort();
                return true;
            }
            if (!process_.waitForReadyRead(10000))
                return false;
            output_ += process_.readAllStandardOutput();
        }
    }
    quint16 udpPort = 0;
    quint16 httpPort = 0;

private:
    QProcess process_;
    QByteArray output_;
};

QByteArray sampleImage() {
    QByteArray image("MPFS\x02\x01", 6);
    for (int i = 0; i < 70000; ++i)
        image += char(i % 251);
    return image;
}
}  // namespace

class TestUploader : public QObject {
    Q_OBJECT
private slots:
    void simAnswersDiscovery();
    void simKeepsTheUploadedImage();
    void failuresAreReported_data();
    void failuresAreReported();
    void redirectIsNotFollowed();
    void invalidAddressIsReported();
    void oneUploadAtATime();
};

void TestUploader::simAnswersDiscovery() {
    SimProcess sim({"--name", "Lager 7", "--http-mode", "refuse"});
    QVERIFY(sim.waitForPorts());
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress::LocalHost, 0));
    // Only the request is answered; other datagrams are not.
    socket.writeDatagram("Who?", QHostAddress::LocalHost, sim.udpPort);
    socket.writeDatagram(kd::lan::discoveryRequest(), QHostAddress::LocalHost, sim.udpPort);
    QTRY_VERIFY_WITH_TIMEOUT(socket.hasPendingDatagrams(), 5000);
    const QByteArray answer = socket.receiveDatagram().data();
    QCOMPARE(answer, QByteArray("KD7634 Lager 7\r\n"));
    const kd::lan::DiscoveryAnswer parsed = kd::lan::parseDiscoveryAnswer(answer);
    QVERIFY(parsed.isCabinet);
    QCOMPARE(parsed.remainder, QStringLiteral("Lager 7"));
    QVERIFY(!socket.waitForReadyRead(200));
}

void TestUploader::simKeepsTheUploadedImage() {
    QTemporaryDir dir;
    const QString imageFile = dir.filePath(QStringLiteral("image.bin"));
    const QString requestFile = dir.filePath(QStringLiteral("request.bin"));
    SimProcess sim({"--image-file", imageFile, "--request-file", requestFile});
    QVERIFY(sim.waitForPorts());

    const QByteArray image = sampleImage();
    const QByteArray boundary = kd::lan::uploadBoundary(QDateTime::currentDateTime());
    const QByteArray body = kd::lan::uploadBody(boundary, QStringLiteral("/x/MPFSImg2.bin"), image);
    ImageUploader uploader;
    QSignalSpy finished(&uploader, &ImageUploader::finished);
    QVERIFY(uploader.start(kd::lan::uploadUrl(QStringLiteral("127.0.0.1:%1").arg(sim.httpPort)),
                           boundary, body));
    QVERIFY(finished.wait(10000));
    QVERIFY2(finished.at(0).at(0).toBool(), qPrintable(finished.at(0).at(1).toString()));

    QFile received(imageFile);
    QVERIFY(received.open(QIODevice::ReadOnly));
    QCOMPARE(received.readAll(), image);
    QFile request(requestFile);
    QVERIFY(request.open(QIODevice::ReadOnly));
    QCOMPARE(request.readAll(), body);
}

void TestUploader::failuresAreReported_data() {
    QTest::addColumn<QStringList>("simOptions");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("reason");

    const QByteArray boundary = kd::lan::uploadBoundary(QDateTime::currentDateTime());
    const QByteArray good =
        kd::lan::uploadBody(boundary, QStringLiteral("/x/MPFSImg2.bin"), sampleImage());
    QTest::newRow("error status") << QStringList{"--http-mode", "fail"} << good
                                  << "Internal Server Error";
    QTest::newRow("broken off") << QStringList{"--http-mode", "drop"} << good << "closed";
    QTest::newRow("image the cabinet rejects")
        << QStringList{}
        << kd::lan::uploadBody(boundary, QStringLiteral("/x/MPFSImg2.bin"), "not an image")
        << "Bad Request";
    QTest::newRow("no answer within the limit")
        << QStringList{"--http-mode", "hang"} << good << QStringLiteral("Zeitüberschreitung");
}

// Guards against a failed upload looking like a success.
void TestUploader::failuresAreReported() {
    QFETCH(QStringList, simOptions);
    QFETCH(QByteArray, body);
    QFETCH(QString, reason);
    SimProcess sim(simOptions);
    QVERIFY(sim.waitForPorts());

    ImageUploader uploader;
    uploader.setInactivityTimeout(1000);
    QSignalSpy finished(&uploader, &ImageUploader::finished);
    const QByteArray boundary = body.mid(4, 42);
    QVERIFY(uploader.start(kd::lan::uploadUrl(QStringLiteral("127.0.0.1:%1").arg(sim.httpPort)),
                           boundary, body));
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    const QString error = finished.at(0).at(1).toString();
    QVERIFY2(error.contains(reason, Qt::CaseInsensitive), qPrintable(error));
    QVERIFY(!uploader.isBusy());
}

void TestUploader::redirectIsNotFollowed() {
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    int connections = 0;
    connect(&server, &QTcpServer::newConnection, this, [&] {
        QTcpSocket* socket = server.nextPendingConnection();
        ++connections;
        connect(socket, &QTcpSocket::readyRead, socket, [socket, &server] {
            socket->readAll();
            socket->write("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:" +
                          QByteArray::number(server.serverPort()) +
                          "/elsewhere\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
        });
    });
    ImageUploader uploader;
    QSignalSpy finished(&uploader, &ImageUploader::finished);
    QVERIFY(
        uploader.start(kd::lan::uploadUrl(QStringLiteral("127.0.0.1:%1").arg(server.serverPort())),
                       "b", "\r\n--b\r\n\r\n--b--\r\n"));
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QVERIFY2(finished.at(0).at(1).toString().contains(QLatin1String("302")),
             qPrintable(finished.at(0).at(1).toString()));
    QCOMPARE(connections, 1);
}

// A partly filled address field keeps its blanks inside the address.
void TestUploader::invalidAddressIsReported() {
    ImageUploader uploader;
    QSignalSpy finished(&uploader, &ImageUploader::finished);
    QVERIFY(uploader.start(kd::lan::uploadUrl(QStringLiteral("192.168 .1")), "b", "x"));
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QVERIFY2(
        finished.at(0).at(1).toString().contains(QLatin1String("http://192.168 .1/mpfsupload")),
        qPrintable(finished.at(0).at(1).toString()));
}

void TestUploader::oneUploadAtATime() {
    SimProcess sim({"--http-mode", "hang"});
    QVERIFY(sim.waitForPorts());
    ImageUploader uploader;
    uploader.setInactivityTimeout(500);
    QSignalSpy finished(&uploader, &ImageUploader::finished);
    const QString url = kd::lan::uploadUrl(QStringLiteral("127.0.0.1:%1").arg(sim.httpPort));
    QVERIFY(uploader.start(url, "b", "x"));
    QVERIFY(uploader.isBusy());
    QVERIFY(!uploader.start(url, "b", "x"));
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.size(), 1);
    QVERIFY(uploader.start(url, "b", "x"));
}

QTEST_GUILESS_MAIN(TestUploader)
#include "test_uploader.moc"
