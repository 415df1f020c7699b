#pragma once

#include "reportchannel.h"
#include "reportformat.h"

#include <atomic>
#include <string>

struct hid_device_;

namespace kd::hid {

/// A real HID device reached through hidapi by its path.
class HidapiChannel : public ReportChannel {
public:
    HidapiChannel(std::string path, const ReportLayout& layout);
    ~HidapiChannel() override;

    bool open() override;
    void close() override;
    ReadResult read(int timeoutMs) override;
    bool numberedReports() const override { return layout_.numberedReports; }
    bool write(const QByteArray& report) override;

    /// Whether the device can be opened for reading and writing now (opens
    /// and closes it). GUI thread.
    static bool probeReadWrite(const std::string& path);

private:
    std::string path_;
    ReportLayout layout_;
    // Set on the GUI thread before the reader starts and cleared after it
    // stopped; the reader only loads it.
    std::atomic<hid_device_*> device_{nullptr};
};

}  // namespace kd::hid
