#include "reportformat.h"

#include <algorithm>
#include <map>
#include <vector>

namespace kd::hid {

namespace {

struct Globals {
    quint32 reportSize = 0;
    quint32 reportCount = 0;
    quint32 reportId = 0;
};

// Caps what a hostile or broken descriptor can make us believe: a report
// longer than this cannot come from a full- or high-speed HID device.
constexpr quint64 kMaxReportBits = 8ull * 4096;

}  // namespace

ReportLayout parseReportDescriptor(const QByteArray& descriptor, const ReportLayout& fallback) {
    Globals globals;
    std::vector<Globals> stack;
    std::map<quint32, quint64> inputBits;
    std::map<quint32, quint64> outputBits;
    bool numbered = false;

    const auto* p = reinterpret_cast<const quint8*>(descriptor.constData());
    const qsizetype n = descriptor.size();
    qsizetype i = 0;
    while (i < n) {
        const quint8 prefix = p[i];
        if (prefix == 0xFE) {  // long item: size byte, tag byte, data
            if (i + 1 >= n) {
                break;
            }
            i += 3 + p[i + 1];
            continue;
        }
        const int size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        if (i + 1 + size > n) {
            break;
        }
        quint32 value = 0;
        for (int b = 0; b < size; ++b) {
            value |= quint32(p[i + 1 + b]) << (8 * b);
        }
        i += 1 + size;

        if (type == 1) {  // global
            switch (tag) {
                case 7:
                    globals.reportSize = value;
                    break;
                case 8:
                    globals.reportId = value;
                    numbered = true;
                    break;
                case 9:
                    globals.reportCount = value;
                    break;
                case 10:
                    stack.push_back(globals);
                    break;
                case 11:
                    if (!stack.empty()) {
                        globals = stack.back();
                        stack.pop_back();
                    }
                    break;
                default:
                    break;
            }
        } else if (type == 0 && (tag == 8 || tag == 9)) {  // Input / Output
            auto& bits = tag == 8 ? inputBits[globals.reportId] : outputBits[globals.reportId];
            bits = std::min(kMaxReportBits,
                            bits + quint64(globals.reportSize) * quint64(globals.reportCount));
        }
    }

    auto longest = [](const std::map<quint32, quint64>& bits, int fallbackLength) {
        if (bits.empty()) {
            return fallbackLength;
        }
        quint64 most = 0;
        for (const auto& [id, b] : bits) {
            most = std::max(most, b);
        }
        return int((most + 7) / 8) + 1;
    };

    ReportLayout layout;
    layout.inputLength = longest(inputBits, fallback.inputLength);
    layout.outputLength = longest(outputBits, fallback.outputLength);
    layout.numberedReports = numbered;
    return layout;
}

InputReport normaliseInputReport(const QByteArray& bytesRead, bool numberedReports,
                                 int inputLength) {
    InputReport report;
    QByteArray payload = bytesRead;
    if (numberedReports && !payload.isEmpty()) {
        report.reportId = quint8(payload.at(0));
        payload.remove(0, 1);
    }
    const int length = std::max(inputLength - 1, kMinReplyBytes);
    if (payload.size() > length) {
        payload.truncate(length);
    } else if (payload.size() < length) {
        payload.append(QByteArray(length - payload.size(), '\0'));
    }
    report.data = payload;
    return report;
}

}  // namespace kd::hid
