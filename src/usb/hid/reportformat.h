#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace kd::hid {

/// Report lengths a device declares, report id byte included (as the
/// cabinet's 65 = id + 64 bytes), and whether it uses numbered reports.
struct ReportLayout {
    int inputLength = 65;
    int outputLength = 65;
    bool numberedReports = false;
};

/// Reads the longest input and output report of a HID report descriptor.
/// Each length counts the report id byte, whether or not the device numbers
/// its reports. Malformed or truncated descriptors yield what was parsed up
/// to the fault; a descriptor that declares no report of a kind leaves that
/// length at `fallback`'s value. Pure; any thread.
ReportLayout parseReportDescriptor(const QByteArray& descriptor,
                                   const ReportLayout& fallback = ReportLayout{});

/// One input report as the data handler receives it.
struct InputReport {
    quint8 reportId = 0;
    /// The bytes after the id; never fewer than kMinReplyBytes, zero-padded.
    QByteArray data;
};

/// A decoder reads 64 reply bytes after the id, so that many are always
/// handed over even when a device sends or declares fewer.
inline constexpr int kMinReplyBytes = 64;

/// Turns what a read returned into report id + payload. hidapi strips the
/// report id on every platform when the device has no numbered reports
/// (hidraw returns the 64 bytes alone), so the id is then 0 and every byte
/// read is payload; with numbered reports the first byte read is the id.
/// The payload is cut or zero-padded to max(inputLength - 1, 64) bytes.
InputReport normaliseInputReport(const QByteArray& bytesRead, bool numberedReports,
                                 int inputLength);

}  // namespace kd::hid
