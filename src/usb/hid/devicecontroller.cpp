#include "devicecontroller.h"

#include "basicdevice.h"
#include "hidapichannel.h"
#include "platform.h"
#include "virtuallink.h"

#include <QTimer>

#include <hidapi.h>

#include <map>
#include <string>
#include <vector>

namespace kd::hid {

namespace {

QString fromWide(const wchar_t* text) {
    return text ? QString::fromWCharArray(text) : QString();
}

class DeviceController : public HidDeviceController {
public:
    DeviceController(const ControllerOptions& options, QObject* parent)
        : HidDeviceController(parent) {
        if (options.realDevices) {
            hid_init();
            auto* watcher = createDeviceChangeWatcher(this);
            rescanTimer_ = new QTimer(this);
            rescanTimer_->setSingleShot(true);
            rescanTimer_->setInterval(0);
            connect(rescanTimer_, &QTimer::timeout, this, &DeviceController::rescan);
            // One change often comes as a burst of udev events: one rescan.
            connect(watcher, &DeviceChangeWatcher::devicesChanged, rescanTimer_,
                    qOverload<>(&QTimer::start));
            rescanTimer_->start();
        }
        if (!options.virtualCabinet.isEmpty()) {
            link_ = new VirtualLink(options.virtualCabinet, this, options.virtualRetryMs);
            connect(link_, &VirtualLink::arrived, this, &DeviceController::virtualArrived);
            connect(link_, &VirtualLink::departed, this, &DeviceController::virtualDeparted);
        }
    }

    ~DeviceController() override {
        // The link first, so it never touches a channel of a device below.
        delete link_;
        for (BasicDevice* d : attached_) {
            d->detach();
            delete d;
        }
    }

    HidDevice* checkOutByID(quint16 vendorId, quint16 productId) override {
        for (BasicDevice* d : attached_) {
            if (d->vendorId() == vendorId && d->productId() == productId && !d->isReserved()) {
                d->setReserved(true);
                return d;
            }
        }
        return nullptr;
    }

private:
    void rescan() {
        std::map<std::string, DeviceInfo> present;
        hid_device_info* list = hid_enumerate(0, 0);
        for (hid_device_info* i = list; i; i = i->next) {
            if (!i->path || present.count(i->path)) {
                continue;
            }
            DeviceInfo info;
            info.vendorId = i->vendor_id;
            info.productId = i->product_id;
            info.product = fromWide(i->product_string);
            info.serial = fromWide(i->serial_number);
            present.emplace(i->path, info);
        }
        hid_free_enumeration(list);

        for (auto it = realPaths_.begin(); it != realPaths_.end();) {
            if (!present.count(it->first)) {
                BasicDevice* gone = it->second;
                it = realPaths_.erase(it);
                remove(gone);
            } else {
                ++it;
            }
        }
        for (auto& [path, info] : present) {
            if (realPaths_.count(path)) {
                continue;
            }
            const ReportLayout layout = readReportLayout(path.c_str());
            info.readWrite = HidapiChannel::probeReadWrite(path);
            info.inputLength = layout.inputLength;
            info.outputLength = layout.outputLength;
            auto* device =
                new BasicDevice(info, std::make_unique<HidapiChannel>(path, layout), this);
            realPaths_.emplace(path, device);
            add(device);
        }
    }

    void virtualArrived(const VirtualHello& hello, VirtualChannel* channel) {
        DeviceInfo info;
        info.vendorId = hello.vendorId;
        info.productId = hello.productId;
        info.product = hello.product;
        info.serial = hello.serial;
        info.readWrite = hello.readWrite;
        info.inputLength = hello.inputReportLength;
        info.outputLength = hello.outputReportLength;
        virtual_ = new BasicDevice(info, std::unique_ptr<ReportChannel>(channel), this);
        add(virtual_);
    }

    void virtualDeparted() {
        if (BasicDevice* gone = std::exchange(virtual_, nullptr)) {
            remove(gone);
        }
    }

    void add(BasicDevice* device) {
        attached_.push_back(device);
        emit deviceArrival(device);
    }

    void remove(BasicDevice* device) {
        std::erase(attached_, device);
        device->setReserved(false);
        emit deviceRemoval(device);
        // Whatever the receivers did, the device is finished now: its reader
        // stops here, before any further report could be handed over.
        device->detach();
        device->deleteLater();
    }

    QTimer* rescanTimer_ = nullptr;
    VirtualLink* link_ = nullptr;
    BasicDevice* virtual_ = nullptr;
    std::map<std::string, BasicDevice*> realPaths_;
    std::vector<BasicDevice*> attached_;  // arrival order
};

}  // namespace

HidDeviceController* createDeviceController(QObject* parent) {
    ControllerOptions options;
    options.virtualCabinet = QString::fromLocal8Bit(qgetenv(kVirtualCabinetVariable));
    return new DeviceController(options, parent);
}

HidDeviceController* createDeviceController(const ControllerOptions& options, QObject* parent) {
    return new DeviceController(options, parent);
}

}  // namespace kd::hid
