#include "devicecontroller.h"
#include "hiddevice.h"
#include "virtualhello.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using kd::hid::HidDevice;
using kd::hid::HidDeviceController;

namespace {

QByteArray cabinetHello() {
    kd::hid::VirtualHello h;
    h.vendorId = 0x04D8;
    h.productId = 0x003F;
    h.product = QStringLiteral("KD7630-48");
    h.serial = QStringLiteral("0001");
    return kd::hid::formatVirtualHello(h);
}

// One input report as the peer writes it: id, then 64 reply bytes.
QByteArray inputReport(quint8 id, char code, int sequence) {
    QByteArray r(65, '\0');
    r[0] = char(id);
    r[1] = code;
    r[2] = char(sequence & 0xFF);
    r[3] = char((sequence >> 8) & 0xFF);
    return r;
}

struct Received {
    quint8 id;
    QByteArray data;
};

}  // namespace

// The program's side of the virtual HID link against a peer played by the
// test: arrival, reports in both directions, removal, reconnection, release.
class TestVirtualLink : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void helloIsArrival();
    void environmentVariableEnablesTheLink();
    void rejectedHelloGivesNoArrival_data();
    void rejectedHelloGivesNoArrival();
    void reportsArriveWholeInOrder();
    void floodBeforeBindingLosesNothing();
    void writesReachPeerByteForByte();
    void disconnectIsRemovalAndReconnectArrivesAgain();
    void noHandlerCallAfterRelease();
    void releaseFromInsideHandler();
    void reservationHandsOutEachDeviceOnce();
    void readOnlyDeviceRunsNoReader();

private:
    QLocalSocket* acceptPeer();

    std::unique_ptr<QTemporaryDir> dir_;
    QString name_;
    std::unique_ptr<QLocalServer> server_;
    QObject* owner_ = nullptr;
    HidDeviceController* controller_ = nullptr;
};

void TestVirtualLink::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    name_ = dir_->filePath("cabinet.sock");
    server_ = std::make_unique<QLocalServer>();
    QVERIFY(server_->listen(name_));
    owner_ = new QObject;
    // The machine's own HID devices stay out of these tests.
    kd::hid::ControllerOptions options;
    options.realDevices = false;
    options.virtualCabinet = name_;
    controller_ = kd::hid::createDeviceController(options, owner_);
}

void TestVirtualLink::cleanup() {
    delete owner_;
    owner_ = nullptr;
    server_.reset();
    dir_.reset();
}

QLocalSocket* TestVirtualLink::acceptPeer() {
    // The program connects from this thread's event loop, so wait in it.
    if (!server_->hasPendingConnections()) {
        QSignalSpy connected(server_.get(), &QLocalServer::newConnection);
        if (!connected.wait(5000)) {
            return nullptr;
        }
    }
    return server_->nextPendingConnection();
}

void TestVirtualLink::helloIsArrival() {
    QSignalSpy arrivals(controller_, &HidDeviceController::deviceArrival);
    QLocalSocket* peer = acceptPeer();
    QVERIFY(peer);
    peer->write(cabinetHello());
    QVERIFY(arrivals.wait(5000) || arrivals.size() > 0);
    QCOMPARE(arrivals.size(), 1);
    auto* device = arrivals.at(0).at(0).value<HidDevice*>();
    QCOMPARE(device->vendorId(), quint16(0x04D8));
    QCOMPARE(device->productId(), quint16(0x003F));
    QCOMPARE(device->productName(), QStringLiteral("KD7630-48"));
    QCOMPARE(device->serialNumber(), QStringLiteral("0001"));
    QCOMPARE(device->outputReportLength(), 65);
    QCOMPARE(device->inputReportLength(), 65);
    QVERIFY(device->canReadWrite());
}

void TestVirtualLink::environmentVariableEnablesTheLink() {
    QTemporaryDir dir;
    const QString name = dir.filePath("env.sock");
    QLocalServer server;
    QVERIFY(server.listen(name));
    qputenv(kd::hid::kVirtualCabinetVariable, name.toLocal8Bit());
    QObject owner;
    HidDeviceController* controller = kd::hid::createDeviceController(&owner);
    qunsetenv(kd::hid::kVirtualCabinetVariable);
    QSignalSpy connected(&server, &QLocalServer::newConnection);
    QVERIFY(connected.wait(5000));
    QLocalSocket* peer = server.nextPendingConnection();
    QList<HidDevice*> cabinets;
    // Real devices of this machine may arrive too; only the virtual one counts.
    connect(controller, &HidDeviceController::deviceArrival, this, [&](HidDevice* d) {
        if (d->vendorId() == 0x04D8 && d->serialNumber() == QStringLiteral("0001")) {
            cabinets.append(d);
        }
    });
    peer->write(cabinetHello());
    QTRY_COMPARE(cabinets.size(), 1);
}

void TestVirtualLink::rejectedHelloGivesNoArrival_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("not an object") << QByteArray("[1,2]\n");
    QTest::newRow("garbage") << QByteArray("\x01\x02\x03\n", 4);
    QTest::newRow("no newline within the limit") << QByteArray(5000, '{');
}

void TestVirtualLink::rejectedHelloGivesNoArrival() {
    QFETCH(QByteArray, line);
    QSignalSpy arrivals(controller_, &HidDeviceController::deviceArrival);
    QLocalSocket* peer = acceptPeer();
    QVERIFY(peer);
    QSignalSpy closed(peer, &QLocalSocket::disconnected);
    peer->write(line);
    QVERIFY(closed.wait(5000));
    // The program tries again: a good hello on the next connection counts.
    QLocalSocket* again = acceptPeer();
    QVERIFY(again);
    QCOMPARE(arrivals.size(), 0);
    again->write(cabinetHello());
    QTRY_COMPARE(arrivals.size(), 1);
}

void TestVirtualLink::reportsArriveWholeInOrder() {
    QSignalSpy arrivals(controller_, &HidDeviceController::deviceArrival);
    QLocalSocket* peer = acceptPeer();
    QVERIFY(peer);
    // Hello and the first reports in one write, the rest cut at odd places:
    // framing must follow the declared length, not the writes.
    constexpr int kCount = 300;
    QByteArray stream = cabinetHello();
    for (int i = 0; i < kCount; ++i) {
        stream += inputReport(quint8(i % 3), i % 2 ? 'v' : '@', i);
    }
    const qsizetype first = cabinetHello().size() + 100;
    peer->write(stream.left(first));
    QTRY_COMPARE(arrivals.size(), 1);
    auto* device = arrivals.at(0).at(0).value<HidDevice*>();
    QList<Received> got;
    device->setDataHandler([&](HidDevice* d, quint8 id, const QByteArray& data) {
        QCOMPARE(d, device);
        got.append({id, data});
    });
    for (qsizetype at = first; at < stream.size(); at += 97) {
        peer->write(stream.mid(at, 97));
        peer->flush();
    }
    QTRY_COMPARE_WITH_TIMEOUT(got.size(), kCount, 20000);
    for (int i = 0; i < kCount; ++i) {
        QCOMPARE(int(got[i].id), i % 3);
        QCOMPARE(got[i].data, inputReport(0, i % 2 ? 'v' : '@', i).mid(1));
    }
}

void TestVirtualLink::floodBeforeBindingLosesNothing() {
    // Far more reports than the link queues: the socket is held back until
    // the reader makes room, and nothing is dropped.
    QSignalSpy arrivals(controller_, &HidDeviceController::deviceArrival);
    QLocalSocket* peer = acceptPeer();
    QVERIFY(peer);
    constexpr int kCount = 3000;
    QByteArray stream = cabinetHello();
    for (int i = 0; i < kCount; ++i)
        stream += inputReport(0, 'v', i);
    peer->write(stream);
    QTRY_COMPARE(arrivals.size(), 1);
    // Let the link fill its queue before anyone reads it.
    QTRY_VERIFY(peer->bytesToWrite() < stream.size() / 2 || peer->bytesToWrite() == 0);
    auto* device = arrivals.at(0).at(0).value<HidDevice*>();
    QList<int> got;
    device->setDataHandler([&](HidDevice*, quint8, const QByteArray& data) {
        got.append(quint8(data[1]) | quint8(data[2]) << 8);
    });
    QTRY_COMPARE_WITH_TIMEOUT(got.size(), kCount, 60000);
    for (int i = 0; i < kCount; ++i)
        QCOMPARE(got[i], i);
}

void TestVirtualLink::writesReachPeerByteForByte() {
    QSignalSpy arrivals(controller_, &HidDeviceController::deviceArrival);
    QLocalSocket* peer = acceptPeer();
    QVERIFY(peer);
    peer->write(cabinetHello());
    QTRY_COMPARE(arrivals.size(), 1);
    auto* device = arrivals.at(0).at(0).value<HidDevice*>();

    // Zero bytes inside a report are carried like any other byte.
    QByteArray clock(65, '\0');
    const QByteArray command = QByteArray::fromHex("322001000714150003150101010101010100");
    clock.replace(1, command.size(), command);
    QVERIFY(device->writeReport(clock));
    QByteArray poll(65, '\0');
    poll[1] = 'v';
    QVERIFY(device->writeReport(poll));
    QVERIFY(!device->writeReport(QByteArray(64, '\0')));  // not the declared length

    QByteArray received;
    QTRY_VERIFY((received += peer->readAll()).size() >= 130);
    QCOMPARE(received.size(), 130);
    QCOMPARE(received.left(65), clock);
    QCOMPARE(received.mid(65), poll);
}

void TestVirtualLink::disconnectIsRemovalAndReconnectArrivesAgain() {
    QSignalSpy arrivals(controller_, &HidDeviceController::deviceArrival);
    QSignalSpy removals(controller_, &HidDeviceController::deviceRemoval);
    QLocalSocket* peer = acceptPeer();
    QVERIFY(peer);
    peer->write(cabinetHello());
    QTRY_COMPARE(arrivals.size(), 1);
    QPointer<HidDevice> first = arrivals.at(0).at(0).value<HidDevice*>();
    const auto firstAddress = quintptr(first.data());
    QString productAtRemoval;
    connect(controller_, &HidDeviceController::deviceRemoval, this,
            [&](HidDevice* d) { productAtRemoval = d->productName(); });

    peer->disconnectFromServer();
    QTRY_COMPARE(removals.size(), 1);
    QCOMPARE(quintptr(removals.at(0).at(0).value<HidDevice*>()), firstAddress);
    QCOMPARE(productAtRemoval, QStringLiteral("KD7630-48"));
    QTRY_VERIFY(first.isNull());  // the controller deletes it after the removal

    QLocalSocket* again = acceptPeer();
    QVERIFY(again);
    again->write(cabinetHello());
    QTRY_COMPARE(arrivals.size(), 2);
    auto* second = arrivals.at(1).at(0).value<HidDevice*>();
    QCOMPARE(controller_->checkOutByID(0x04D8, 0x003F), second);
}

void TestVirtualLink::noHandlerCallAfterRelease() {
    QSignalSpy arrivals(controller_, &HidDeviceController::deviceArrival);
    QLocalSocket* peer = acceptPeer();
    QVERIFY(peer);
    peer->write(cabinetHello());
    QTRY_COMPARE(arrivals.size(), 1);
    auto* device = arrivals.at(0).at(0).value<HidDevice*>();
    int handled = 0;
    bool released = false;
    bool afterRelease = false;
    device->setDataHandler([&](HidDevice*, quint8, const QByteArray&) {
        afterRelease = afterRelease || released;
        ++handled;
    });
    for (int i = 0; i < 200; ++i) {
        peer->write(inputReport(0, 'v', i));
    }
    peer->flush();
    QTRY_VERIFY(handled >= 3);
    // Released while the reader is waiting for this thread with a report.
    device->release();
    released = true;
    device->release();  // again: harmless
    const int atRelease = handled;
    for (int i = 0; i < 20; ++i) {
        peer->write(inputReport(0, 'v', i));
    }
    // A hand-off posted before the release would be waiting in the queue now.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(handled, atRelease);
    QVERIFY(!afterRelease);
}

void TestVirtualLink::releaseFromInsideHandler() {
    QSignalSpy arrivals(controller_, &HidDeviceController::deviceArrival);
    QLocalSocket* peer = acceptPeer();
    QVERIFY(peer);
    peer->write(cabinetHello());
    QTRY_COMPARE(arrivals.size(), 1);
    auto* device = arrivals.at(0).at(0).value<HidDevice*>();
    int handled = 0;
    device->setDataHandler([&](HidDevice* d, quint8, const QByteArray&) {
        ++handled;
        d->release();
    });
    for (int i = 0; i < 10; ++i) {
        peer->write(inputReport(0, 'v', i));
    }
    QTRY_COMPARE(handled, 1);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(handled, 1);
}

void TestVirtualLink::reservationHandsOutEachDeviceOnce() {
    QSignalSpy arrivals(controller_, &HidDeviceController::deviceArrival);
    QLocalSocket* peer = acceptPeer();
    QVERIFY(peer);
    peer->write(cabinetHello());
    QTRY_COMPARE(arrivals.size(), 1);
    auto* device = arrivals.at(0).at(0).value<HidDevice*>();
    QCOMPARE(controller_->checkOutByID(0x04D8, 0x0040), nullptr);
    QCOMPARE(controller_->checkOutByID(0x04D8, 0x003F), device);
    QCOMPARE(controller_->checkOutByID(0x04D8, 0x003F), nullptr);
    device->release();
    QCOMPARE(controller_->checkOutByID(0x04D8, 0x003F), device);
}

void TestVirtualLink::readOnlyDeviceRunsNoReader() {
    QSignalSpy arrivals(controller_, &HidDeviceController::deviceArrival);
    QLocalSocket* peer = acceptPeer();
    QVERIFY(peer);
    peer->write(R"({"vendor_id":1240,"product_id":63,"product":"KD7630-48","read_write":false})"
                "\n");
    QTRY_COMPARE(arrivals.size(), 1);
    auto* device = arrivals.at(0).at(0).value<HidDevice*>();
    QVERIFY(!device->canReadWrite());
    int handled = 0;
    device->setDataHandler([&](HidDevice*, quint8, const QByteArray&) { ++handled; });
    peer->write(inputReport(0, 'v', 1));
    QByteArray report(65, '\0');
    report[1] = 'v';
    QVERIFY(!device->writeReport(report));
    QCoreApplication::processEvents();
    QCOMPARE(handled, 0);
}

QTEST_GUILESS_MAIN(TestVirtualLink)
#include "test_hid_link.moc"
