// How long the HID layer needs per report: the reader's hand-off to the GUI
// thread alone, and a whole command/reply round over the virtual HID link
// (write, peer, reader, hand-off). Prints medians of several runs.

#include "devicecontroller.h"
#include "hiddevice.h"
#include "reportchannel.h"
#include "reportpump.h"
#include "virtualhello.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {

// A channel that always has the next report ready.
class EndlessChannel : public kd::hid::ReportChannel {
public:
    bool open() override { return true; }
    void close() override {}
    bool numberedReports() const override { return false; }
    bool write(const QByteArray&) override { return true; }
    ReadResult read(int) override { return report_; }

private:
    QByteArray report_ = QByteArray(64, 'v');
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Microseconds per report through ReportPump.
double handOffRun(int reports) {
    EndlessChannel channel;
    int seen = 0;
    QEventLoop loop;
    kd::hid::ReportPump pump(channel, 65, [&](const kd::hid::InputReport&) {
        if (++seen == reports)
            loop.quit();
    });
    QElapsedTimer t;
    t.start();
    pump.start();
    loop.exec();
    const double us = t.nsecsElapsed() / 1000.0 / reports;
    pump.stop();
    return us;
}

// Answers every output report with one input report, on its own thread.
class EchoPeer : public QObject {
public:
    explicit EchoPeer(const QString& name) : name_(name) {}
    void start() {
        server_ = new QLocalServer(this);
        connect(server_, &QLocalServer::newConnection, this, [this] {
            QLocalSocket* s = server_->nextPendingConnection();
            kd::hid::VirtualHello h;
            h.vendorId = 0x04D8;
            h.productId = 0x003F;
            h.product = QStringLiteral("KD7630-48");
            s->write(kd::hid::formatVirtualHello(h));
            connect(s, &QLocalSocket::readyRead, this, [s, buffer = QByteArray()]() mutable {
                buffer += s->readAll();
                while (buffer.size() >= 65) {
                    buffer.remove(0, 65);
                    QByteArray reply(65, '\0');
                    reply[1] = 'v';
                    s->write(reply);
                }
            });
        });
        listening = server_->listen(name_);
    }
    std::atomic<bool> listening{false};

private:
    QString name_;
    QLocalServer* server_ = nullptr;
};

// Microseconds per command/reply round over the virtual link.
double roundTripRun(const QString& name, int rounds) {
    QObject owner;
    kd::hid::ControllerOptions options;
    options.realDevices = false;
    options.virtualCabinet = name;
    auto* controller = kd::hid::createDeviceController(options, &owner);
    QEventLoop loop;
    QElapsedTimer t;
    int done = 0;
    QByteArray poll(65, '\0');
    poll[1] = 'v';
    QObject::connect(controller, &kd::hid::HidDeviceController::deviceArrival, &loop,
                     [&](kd::hid::HidDevice*) {
                         kd::hid::HidDevice* d = controller->checkOutByID(0x04D8, 0x003F);
                         d->setDataHandler([&](kd::hid::HidDevice* dev, quint8, const QByteArray&) {
                             if (++done == rounds) {
                                 loop.quit();
                                 return;
                             }
                             dev->writeReport(poll);
                         });
                         t.start();
                         d->writeReport(poll);
                     });
    loop.exec();
    return t.nsecsElapsed() / 1000.0 / rounds;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int kRuns = 7;

    std::vector<double> handOff;
    for (int i = 0; i < kRuns; ++i)
        handOff.push_back(handOffRun(20000));
    std::printf("reader hand-off to the GUI thread: median %.2f us per report (%d runs)\n",
                median(handOff), kRuns);

    QTemporaryDir dir;
    const QString name = dir.filePath("bench.sock");
    QThread peerThread;
    EchoPeer peer(name);
    peer.moveToThread(&peerThread);
    peerThread.start();
    QMetaObject::invokeMethod(
        &peer, [&] { peer.start(); }, Qt::QueuedConnection);
    while (!peer.listening)
        QThread::yieldCurrentThread();

    std::vector<double> rounds;
    for (int i = 0; i < kRuns; ++i)
        rounds.push_back(roundTripRun(name, 5000));
    std::printf("command/reply round over the virtual HID link: median %.2f us (%d runs)\n",
                median(rounds), kRuns);

    QMetaObject::invokeMethod(
        &peer, [&] { peer.moveToThread(app.thread()); }, Qt::BlockingQueuedConnection);
    peerThread.quit();
    peerThread.wait();
    return 0;
}
