// The cabinet comes and goes many times while replies flow and commands are
// written: no crash, no hang, no device object left behind, no reply handed
// to a device after its release, and no reply lost or reordered while bound.

#include "devicecontroller.h"
#include "hiddevice.h"
#include "virtualhello.h"

#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

using kd::hid::HidDevice;
using kd::hid::HidDeviceController;

namespace {

constexpr int kConnections = 200;

// The cabinet's end, on a thread of its own: each connection gets the hello
// and a burst of numbered replies, reads what the program writes, and ends
// after a random share of its burst, sometimes at once.
class Flooder : public QObject {
public:
    explicit Flooder(const QString& name) : name_(name) {}

    void start() {
        server_ = new QLocalServer(this);
        connect(server_, &QLocalServer::newConnection, this, &Flooder::accept);
        listening = server_->listen(name_);
    }

    std::atomic<bool> listening{false};
    std::atomic<int> served{0};
    std::atomic<qint64> bytesFromProgram{0};

private:
    void accept() {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            const int round = served++;
            kd::hid::VirtualHello hello;
            hello.vendorId = 0x04D8;
            hello.productId = 0x003F;
            hello.product = QStringLiteral("KD7630-48");
            hello.serial = QString::number(round);
            QByteArray burst = kd::hid::formatVirtualHello(hello);
            const int count = int(random_.bounded(400));
            for (int i = 0; i < count; ++i) {
                QByteArray r(65, '\0');
                r[1] = 'v';
                r[2] = char(i & 0xFF);
                r[3] = char(i >> 8);
                burst += r;
            }
            // Sometimes the connection ends in the middle of a report.
            if (random_.bounded(4) == 0)
                burst.chop(int(random_.bounded(64)));
            connect(s, &QLocalSocket::readyRead, this,
                    [this, s] { bytesFromProgram += s->readAll().size(); });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            s->write(burst);
            const int stay = int(random_.bounded(60));
            QTimer::singleShot(stay, s, [s] { s->disconnectFromServer(); });
        }
    }

    QString name_;
    QLocalServer* server_ = nullptr;
    QRandomGenerator random_{7634};
};

// One binding of the program's side, as the console makes it.
struct Binding {
    QPointer<HidDevice> device;
    bool released = false;
    int handled = 0;
    int next = 0;
    bool outOfOrder = false;
};

}  // namespace

class TestHidStress : public QObject {
    Q_OBJECT
private slots:
    void manyReconnectsWhileRepliesFlow();
};

void TestHidStress::manyReconnectsWhileRepliesFlow() {
    QTemporaryDir dir;
    const QString name = dir.filePath("stress.sock");
    QThread peerThread;
    // Deleted here once its thread has ended.
    auto flooderOwner = std::make_unique<Flooder>(name);
    Flooder* flooder = flooderOwner.get();
    flooder->moveToThread(&peerThread);
    peerThread.start();
    // Started on its thread: the server must live there.
    QMetaObject::invokeMethod(
        flooder, [flooder] { flooder->start(); }, Qt::QueuedConnection);
    QTRY_VERIFY(flooder->listening);

    auto owner = std::make_unique<QObject>();
    kd::hid::ControllerOptions options;
    options.realDevices = false;
    options.virtualCabinet = name;
    options.virtualRetryMs = 5;
    HidDeviceController* controller = kd::hid::createDeviceController(options, owner.get());

    QList<std::shared_ptr<Binding>> bindings;
    QList<QPointer<HidDevice>> everyDevice;
    int afterRelease = 0;
    int removals = 0;
    QRandomGenerator random(34);

    connect(controller, &HidDeviceController::deviceArrival, this, [&](HidDevice* arrived) {
        everyDevice.append(arrived);
        HidDevice* d = controller->checkOutByID(0x04D8, 0x003F);
        QCOMPARE(d, arrived);
        auto b = std::make_shared<Binding>();
        b->device = d;
        bindings.append(b);
        d->setDataHandler([&, b](HidDevice* device, quint8, const QByteArray& data) {
            if (b->released) {
                ++afterRelease;
                return;
            }
            const int n = quint8(data[1]) | quint8(data[2]) << 8;
            b->outOfOrder = b->outOfOrder || n != b->next;
            b->next = n + 1;
            ++b->handled;
            // Commands go out while replies come in, as the console's
            // "u" after each "@".
            if (b->handled % 7 == 0) {
                QByteArray report(65, '\0');
                report[1] = 'u';
                device->writeReport(report);
            }
            // Now and then the program lets go of a cabinet that is still
            // there, as at the program's end.
            if (random.bounded(500) == 0) {
                b->released = true;
                device->release();
            }
        });
    });
    // Run the event loop as the program does (exec, not the test macros'
    // polling), until the peer's last connection has come and gone.
    QEventLoop loop;
    connect(controller, &HidDeviceController::deviceRemoval, this, [&](HidDevice* gone) {
        if (++removals >= kConnections)
            loop.quit();
        for (const auto& b : bindings) {
            if (b->device == gone && !b->released) {
                b->released = true;
                gone->release();
            }
        }
    });

    QTimer::singleShot(120000, &loop, &QEventLoop::quit);  // a hang fails below
    loop.exec();
    QCOMPARE(removals, kConnections);
    owner.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    peerThread.quit();
    QVERIFY(peerThread.wait(10000));

    QCOMPARE(afterRelease, 0);
    int handled = 0;
    for (const auto& b : bindings) {
        QVERIFY(!b->outOfOrder);
        handled += b->handled;
    }
    QVERIFY(handled > 0);
    QVERIFY(flooder->bytesFromProgram.load() > 0);
    for (const auto& d : everyDevice)
        QVERIFY(d.isNull());
    qInfo("%d connections, %d replies handled", int(bindings.size()), handled);
}

QTEST_GUILESS_MAIN(TestHidStress)
#include "test_hid_stress.moc"
