#include "platform.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <libudev.h>

namespace kd::hid {

namespace {

// Listens to udev's hidraw events on the GUI thread's event loop.
class UdevWatcher : public DeviceChangeWatcher {
public:
    explicit UdevWatcher(QObject* parent) : DeviceChangeWatcher(parent) {
        udev_ = udev_new();
        if (!udev_) {
            return;
        }
        monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
        if (!monitor_ ||
            udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor_) < 0) {
            return;
        }
        const int fd = udev_monitor_get_fd(monitor_);
        if (fd < 0) {
            return;
        }
        notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &UdevWatcher::drain);
    }

    ~UdevWatcher() override {
        delete notifier_;
        if (monitor_) {
            udev_monitor_unref(monitor_);
        }
        if (udev_) {
            udev_unref(udev_);
        }
    }

private:
    void drain() {
        bool any = false;
        while (udev_device* dev = udev_monitor_receive_device(monitor_)) {
            udev_device_unref(dev);
            any = true;
        }
        if (any) {
            emit devicesChanged();
        }
    }

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace

DeviceChangeWatcher* createDeviceChangeWatcher(QObject* parent) {
    return new UdevWatcher(parent);
}

ReportLayout readReportLayout(const char* hidapiPath) {
    // hidraw paths are /dev/hidrawN; the kernel publishes the descriptor
    // beside the device's sysfs entry.
    const QString node = QFileInfo(QString::fromLocal8Bit(hidapiPath)).fileName();
    QFile file(QStringLiteral("/sys/class/hidraw/%1/device/report_descriptor").arg(node));
    if (!file.open(QIODevice::ReadOnly)) {
        return ReportLayout{};
    }
    return parseReportDescriptor(file.read(4096));
}

}  // namespace kd::hid
