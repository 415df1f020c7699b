#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace kd::hid {

/// The first line a virtual cabinet sends: who it is and how long its
/// reports are. Lengths count the report id byte.
struct VirtualHello {
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString product;
    QString serial;
    int outputReportLength = 65;
    int inputReportLength = 65;
    bool readWrite = true;
};

/// Longest hello line accepted, newline included; a peer that sends more
/// without a newline is dropped.
inline constexpr int kMaxHelloLine = 4096;
/// Report lengths a hello may declare (report id byte included).
inline constexpr int kMinReportLength = 2;
inline constexpr int kMaxReportLength = 1025;

/// Parses one hello line (UTF-8 JSON object, trailing "\n" optional). The
/// object needs "vendor_id" and "product_id" (0..65535); "product" and
/// "serial" (strings), "output_report_length" and "input_report_length"
/// (kMinReportLength..kMaxReportLength, default 65) and "read_write" (bool,
/// default true) are optional. A field of the wrong type or range, or a line
/// that is no JSON object, gives nullopt. Pure; any thread.
std::optional<VirtualHello> parseVirtualHello(const QByteArray& line);

/// The same hello as one line, for peers written in this program's code.
QByteArray formatVirtualHello(const VirtualHello& hello);

}  // namespace kd::hid
