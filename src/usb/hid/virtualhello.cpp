#include "virtualhello.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>

namespace kd::hid {

namespace {

// A JSON number that is a whole number within [low, high].
std::optional<int> wholeNumber(const QJsonValue& v, int low, int high) {
    if (!v.isDouble()) {
        return std::nullopt;
    }
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || d < low || d > high) {
        return std::nullopt;
    }
    return int(d);
}

}  // namespace

std::optional<VirtualHello> parseVirtualHello(const QByteArray& line) {
    if (line.size() > kMaxHelloLine) {
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    VirtualHello hello;

    const auto vid = wholeNumber(o.value("vendor_id"), 0, 0xFFFF);
    const auto pid = wholeNumber(o.value("product_id"), 0, 0xFFFF);
    if (!vid || !pid) {
        return std::nullopt;
    }
    hello.vendorId = quint16(*vid);
    hello.productId = quint16(*pid);

    for (const auto& [key, target] :
         {std::pair{"product", &hello.product}, std::pair{"serial", &hello.serial}}) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) {
            continue;
        }
        if (!v.isString()) {
            return std::nullopt;
        }
        *target = v.toString();
    }
    for (const auto& [key, target] : {std::pair{"output_report_length", &hello.outputReportLength},
                                      std::pair{"input_report_length", &hello.inputReportLength}}) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) {
            continue;
        }
        const auto length = wholeNumber(v, kMinReportLength, kMaxReportLength);
        if (!length) {
            return std::nullopt;
        }
        *target = *length;
    }
    const QJsonValue rw = o.value("read_write");
    if (!rw.isUndefined()) {
        if (!rw.isBool()) {
            return std::nullopt;
        }
        hello.readWrite = rw.toBool();
    }
    return hello;
}

QByteArray formatVirtualHello(const VirtualHello& hello) {
    QJsonObject o;
    o.insert("vendor_id", hello.vendorId);
    o.insert("product_id", hello.productId);
    o.insert("product", hello.product);
    o.insert("serial", hello.serial);
    o.insert("output_report_length", hello.outputReportLength);
    o.insert("input_report_length", hello.inputReportLength);
    o.insert("read_write", hello.readWrite);
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

}  // namespace kd::hid
