#include "basicdevice.h"

#include "reportpump.h"

namespace kd::hid {

BasicDevice::BasicDevice(const DeviceInfo& info, std::unique_ptr<ReportChannel> channel,
                         QObject* parent)
    : HidDevice(parent), info_(info), channel_(std::move(channel)) {
    pump_ = std::make_unique<ReportPump>(*channel_, info_.inputLength,
                                         [this](const InputReport& report) {
                                             if (handler_) {
                                                 // Copied: the handler may replace itself.
                                                 const DataHandler handler = handler_;
                                                 handler(this, report.reportId, report.data);
                                             }
                                         });
}

BasicDevice::~BasicDevice() {
    release();
}

bool BasicDevice::writeReport(const QByteArray& report) {
    if (!attached_ || report.size() != info_.outputLength || !channel_->open()) {
        return false;
    }
    return channel_->write(report);
}

void BasicDevice::setDataHandler(DataHandler handler) {
    pump_->stop();
    handler_ = std::move(handler);
    if (handler_ && attached_ && channel_->open()) {
        pump_->start();
    }
}

void BasicDevice::release() {
    pump_->stop();
    handler_ = nullptr;
    channel_->close();
    reserved_ = false;
}

void BasicDevice::detach() {
    release();
    attached_ = false;
}

}  // namespace kd::hid
