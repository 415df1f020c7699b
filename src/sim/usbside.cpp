#include "usbside.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QTextStream>
#include <QTimer>

#include <limits>

namespace kd::sim {

kd::hid::VirtualHello UsbSideConfig::defaultHello() {
    kd::hid::VirtualHello h;
    h.vendorId = 0x04D8;
    h.productId = 0x003F;
    h.product = QStringLiteral("KD7630-48");
    h.serial = QStringLiteral("0001");
    h.outputReportLength = 65;
    h.inputReportLength = 65;
    h.readWrite = true;
    return h;
}

UsbSide::UsbSide(UsbSideConfig config, QObject* parent)
    : QObject(parent), config_(std::move(config)), cabinet_(config_.cabinet) {
    running_.start();
}

UsbSide::~UsbSide() = default;

bool UsbSide::start(QString* error) {
    return listen(error);
}

bool UsbSide::listen(QString* error) {
    if (!server_) {
        server_ = new QLocalServer(this);
        connect(server_, &QLocalServer::newConnection, this, &UsbSide::acceptProgram);
    }
    QLocalServer::removeServer(config_.socketName);
    if (!server_->listen(config_.socketName)) {
        if (error) {
            *error = QStringLiteral("cannot listen on %1: %2")
                         .arg(config_.socketName, server_->errorString());
        }
        return false;
    }
    return true;
}

bool UsbSide::isOnBus() const {
    return server_ && server_->isListening();
}

void UsbSide::acceptProgram() {
    while (QLocalSocket* s = server_->nextPendingConnection()) {
        if (program_) {
            s->abort();
            s->deleteLater();
            continue;
        }
        program_ = s;
        pending_.clear();
        connect(s, &QLocalSocket::readyRead, this, &UsbSide::readProgram);
        connect(s, &QLocalSocket::disconnected, this, [this, s] {
            if (program_ == s) {
                program_ = nullptr;
                emit programDisconnected();
            }
            s->deleteLater();
        });
        s->write(kd::hid::formatVirtualHello(config_.hello));
        if (scanDue_) {
            scanDue_ = false;
            send(cabinet_.i2cScanReply());
        }
        emit programConnected();
    }
}

void UsbSide::readProgram() {
    QLocalSocket* s = program_;
    if (!s) {
        return;
    }
    pending_.append(s->readAll());
    const int length = config_.hello.outputReportLength;
    while (program_ == s && pending_.size() >= length) {
        const QByteArray report = pending_.left(length);
        pending_.remove(0, length);
        const QByteArray command = report.mid(1);
        emit commandReceived(command);
        const UsbCabinet::Outcome out =
            cabinet_.handle(command, QDateTime::currentDateTime(), running_.elapsed() / 1000.0);
        if (scriptAt_ < config_.script.size()) {
            send(config_.script.at(scriptAt_++));
        } else {
            for (const QByteArray& reply : out.replies) {
                send(reply);
            }
        }
        if (out.bus == BusAction::Reset) {
            leaveBus(config_.resetMs);
        } else if (out.bus == BusAction::Loader) {
            leaveBus(-1);
        }
    }
}

void UsbSide::send(const QByteArray& reply) {
    if (!program_) {
        return;
    }
    QByteArray report(config_.hello.inputReportLength, '\0');
    report.replace(1, std::min<qsizetype>(reply.size(), report.size() - 1),
                   reply.left(report.size() - 1));
    program_->write(report);
    emit replySent(report.mid(1));
}

void UsbSide::leaveBus(int ms) {
    if (program_) {
        QLocalSocket* s = std::exchange(program_, nullptr);
        s->flush();
        s->disconnectFromServer();
        emit programDisconnected();
    }
    if (server_) {
        server_->close();
    }
    if (ms >= 0) {
        scanDue_ = true;
        QTimer::singleShot(ms, this, [this] { listen(nullptr); });
    }
}

namespace {

bool parseBytes(const QString& text, QChar separator, int base, int count, quint8* out) {
    const QStringList parts = text.split(separator);
    if (parts.size() != count) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        bool ok = false;
        const uint v = parts[i].toUInt(&ok, base);
        if (!ok || v > 255) {
            return false;
        }
        out[i] = quint8(v);
    }
    return true;
}

}  // namespace

void addUsbOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {"socket", "Local socket of the USB side (default /tmp/kd7634-cabinet.sock).", "path"},
        {"no-usb", "Do not offer the USB side."},
        {"firmware", "Firmware version major.minor, minor in thousandths (default 1.004).",
         "version"},
        {"web-version", "Web image version text of the \"u\" reply (default 1.004).", "text"},
        {"mac", "MAC address, six hex pairs joined by ':' (default 00:04:A3:12:34:56).", "mac"},
        {"ip", "IP address reported in live values (default 192.168.1.50).", "address"},
        {"serial", "USB serial number string (default 0001).", "text"},
        {"number", "Cabinet number at start (default 12345).", "n"},
        {"door-period", "Seconds between door openings (default 180).", "s"},
        {"door-open", "Seconds the door stays open (default 20; 0: never).", "s"},
        {"script", "File of hex replies sent instead of the model's, one per command.", "file"},
    });
}

bool startUsbSide(const QCommandLineParser& parser, QObject* parent, QString* error) {
    if (parser.isSet("no-usb")) {
        return true;
    }
    UsbSideConfig config;
    if (parser.isSet("socket")) {
        config.socketName = parser.value("socket");
    }
    if (parser.isSet("firmware")) {
        static const QRegularExpression re(QStringLiteral("^(\\d{1,3})(?:\\.(\\d{1,3}))?$"));
        const auto m = re.match(parser.value("firmware"));
        // The minor part counts thousandths: 1.003 is minor 3, 1.05 minor 50.
        const QString minor = m.captured(2);
        const int minorValue =
            minor.isEmpty() ? 0 : (minor + QString(3 - minor.size(), '0')).toInt();
        if (!m.hasMatch() || m.captured(1).toInt() > 255 || minorValue > 255) {
            *error = QStringLiteral("--firmware wants major.minor, as 1.004");
            return false;
        }
        config.cabinet.firmwareMajor = quint8(m.captured(1).toInt());
        config.cabinet.firmwareMinor = quint8(minorValue);
    }
    if (parser.isSet("web-version")) {
        config.cabinet.webVersion = parser.value("web-version");
    }
    if (parser.isSet("mac") &&
        !parseBytes(parser.value("mac"), ':', 16, 6, config.cabinet.mac.data())) {
        *error = QStringLiteral("--mac wants six hex pairs joined by ':'");
        return false;
    }
    if (parser.isSet("ip") &&
        !parseBytes(parser.value("ip"), '.', 10, 4, config.cabinet.ip.data())) {
        *error = QStringLiteral("--ip wants a.b.c.d");
        return false;
    }
    if (parser.isSet("serial")) {
        config.hello.serial = parser.value("serial");
    }
    const auto number = [&](const char* name, int low, int high, int* target) {
        if (!parser.isSet(name)) {
            return true;
        }
        bool ok = false;
        const qlonglong v = parser.value(name).toLongLong(&ok);
        if (!ok || v < low || v > high) {
            *error = QStringLiteral("--%1 wants a whole number from %2 to %3")
                         .arg(QLatin1String(name))
                         .arg(low)
                         .arg(high);
            return false;
        }
        *target = int(v);
        return true;
    };
    int cabinetNumber = config.cabinet.cabinetNumber;
    if (!number("number", std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(),
                &cabinetNumber) ||
        !number("door-period", 1, 86400, &config.cabinet.doorPeriodSeconds) ||
        !number("door-open", 0, 86400, &config.cabinet.doorOpenSeconds)) {
        return false;
    }
    config.cabinet.cabinetNumber = cabinetNumber;
    if (parser.isSet("script")) {
        QFile file(parser.value("script"));
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
            return false;
        }
        QString why;
        if (!parseReplyScript(file.readAll(), &config.script, &why)) {
            *error = QStringLiteral("%1: %2").arg(file.fileName(), why);
            return false;
        }
    }
    auto* side = new UsbSide(config, parent);
    if (!side->start(error)) {
        delete side;
        return false;
    }
    QObject::connect(side, &UsbSide::programConnected, side,
                     [] { QTextStream(stderr) << "kd7634-sim: program connected\n"; });
    QObject::connect(side, &UsbSide::programDisconnected, side,
                     [] { QTextStream(stderr) << "kd7634-sim: program disconnected\n"; });
    return true;
}

}  // namespace kd::sim
