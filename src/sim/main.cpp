// kd7634-sim: a stand-in for the drying cabinet's controller, for the demo
// and the tests. Each side of the cabinet lives in its own file and is
// listed once below.

#include "lancabinet.h"
#include "logger.h"
#include "side.h"
#include "usbside.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>

#include <unistd.h>

namespace {

using kd::sim::Side;

bool startUsb(const QCommandLineParser& p, QObject* parent, bool* started, QString* error) {
    *started = !p.isSet("no-usb");
    return kd::sim::startUsbSide(p, parent, error);
}

bool startLan(const QCommandLineParser& p, QObject* parent, bool* started, QString* error) {
    *started = kd::sim::startLanSide(p, parent, error) != nullptr;
    return *started || error->isEmpty();
}

bool startLogger(const QCommandLineParser& p, QObject* parent, bool* started, QString* error) {
    *started = kd::sim::loggerRequested(p);
    return !*started || kd::sim::startLoggerSide(p, parent, error);
}

const Side kSides[] = {
    {"usb", kd::sim::addUsbOptions, startUsb},
    {"lan", kd::sim::addLanOptions, startLan},
    {"logger", kd::sim::addLoggerOptions, startLogger},
};

// SIGTERM and SIGINT end the event loop, so the sides close their sockets
// and remove the socket file. The handler only writes to a pipe; the event
// loop reads it.
int signalPipe[2] = {-1, -1};

void noteSignal(int) {
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}

void quitOnSignals(QCoreApplication& app) {
    if (::pipe(signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGTERM, noteSignal);
    std::signal(SIGINT, noteSignal);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kd7634-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated KD7634 drying cabinet: USB link (virtual HID), LAN side "
                       "and sample logger."));
    parser.addHelpOption();
    for (const Side& side : kSides) {
        side.addOptions(parser);
    }
    parser.process(app);

    QTextStream err(stderr);
    int running = 0;
    for (const Side& side : kSides) {
        bool started = false;
        QString error;
        if (!side.start(parser, &app, &started, &error)) {
            err << "kd7634-sim: " << side.name << ": " << error << "\n";
            return 2;
        }
        if (started) {
            err << "kd7634-sim: " << side.name << " side running\n";
            ++running;
        }
    }
    if (running == 0) {
        return 0;
    }
    err.flush();
    quitOnSignals(app);
    return app.exec();
}
