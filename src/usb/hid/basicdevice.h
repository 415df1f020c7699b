#pragma once

#include "hiddevice.h"
#include "reportchannel.h"

#include <memory>

namespace kd::hid {

class ReportPump;

/// What the controller learns of a device at its arrival and keeps.
struct DeviceInfo {
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString product;
    QString serial;
    bool readWrite = false;
    int outputLength = 65;
    int inputLength = 65;
};

/// The one HidDevice implementation: identity fixed at arrival, transport
/// behind a ReportChannel. Owned by the controller, which keeps it until its
/// removal was reported and then deletes it. GUI thread only.
class BasicDevice : public HidDevice {
    Q_OBJECT
public:
    BasicDevice(const DeviceInfo& info, std::unique_ptr<ReportChannel> channel,
                QObject* parent = nullptr);
    ~BasicDevice() override;

    quint16 vendorId() const override { return info_.vendorId; }
    quint16 productId() const override { return info_.productId; }
    QString productName() const override { return info_.product; }
    QString serialNumber() const override { return info_.serial; }
    bool canReadWrite() const override { return info_.readWrite; }
    int outputReportLength() const override { return info_.outputLength; }
    int inputReportLength() const override { return info_.inputLength; }

    /// Fails for a report of any other length than outputReportLength(), for
    /// a detached device and for one that cannot be opened.
    bool writeReport(const QByteArray& report) override;
    void setDataHandler(DataHandler handler) override;
    void release() override;

    bool isReserved() const { return reserved_; }
    void setReserved(bool reserved) { reserved_ = reserved; }
    bool isAttached() const { return attached_; }
    /// Called by the controller at removal: releases the device for good.
    void detach();

private:
    DeviceInfo info_;
    std::unique_ptr<ReportChannel> channel_;
    std::unique_ptr<ReportPump> pump_;
    DataHandler handler_;
    bool reserved_ = false;
    bool attached_ = true;
};

}  // namespace kd::hid
