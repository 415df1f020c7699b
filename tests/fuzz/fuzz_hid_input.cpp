// libFuzzer target: what the HID layer parses from outside — the virtual
// link's hello line, report descriptors and raw input reports.

#include "reportformat.h"
#include "virtualhello.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)kd::hid::parseVirtualHello(bytes);
    const kd::hid::ReportLayout layout = kd::hid::parseReportDescriptor(bytes);
    const auto report =
        kd::hid::normaliseInputReport(bytes, layout.numberedReports, layout.inputLength);
    if (report.data.size() < kd::hid::kMinReplyBytes) {
        __builtin_trap();
    }
    return 0;
}
