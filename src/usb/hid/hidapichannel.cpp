#include "hidapichannel.h"

#include <hidapi.h>

#include <algorithm>

namespace kd::hid {

HidapiChannel::HidapiChannel(std::string path, const ReportLayout& layout)
    : path_(std::move(path)), layout_(layout) {}

HidapiChannel::~HidapiChannel() {
    close();
}

bool HidapiChannel::open() {
    if (device_) {
        return true;
    }
    device_ = hid_open_path(path_.c_str());
    return device_ != nullptr;
}

void HidapiChannel::close() {
    if (hid_device* d = device_.exchange(nullptr)) {
        hid_close(d);
    }
}

ReportChannel::ReadResult HidapiChannel::read(int timeoutMs) {
    hid_device* d = device_;
    if (!d) {
        return std::nullopt;
    }
    // One byte more than the declared length, so a numbered report whose id
    // hidapi keeps in front still fits whole.
    QByteArray buffer(std::max(layout_.inputLength, 2) + 1, '\0');
    const int n = hid_read_timeout(d, reinterpret_cast<unsigned char*>(buffer.data()),
                                   size_t(buffer.size()), timeoutMs);
    if (n < 0) {
        return std::nullopt;
    }
    buffer.truncate(n);
    return buffer;
}

bool HidapiChannel::write(const QByteArray& report) {
    hid_device* d = device_;
    if (!d || report.isEmpty()) {
        return false;
    }
    const int n = hid_write(d, reinterpret_cast<const unsigned char*>(report.constData()),
                            size_t(report.size()));
    return n == report.size();
}

bool HidapiChannel::probeReadWrite(const std::string& path) {
    hid_device* d = hid_open_path(path.c_str());
    if (!d) {
        return false;
    }
    hid_close(d);
    return true;
}

}  // namespace kd::hid
