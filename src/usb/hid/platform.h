#pragma once

#include "reportformat.h"

#include <QObject>

namespace kd::hid {

/// Tells when the system's set of HID devices may have changed. Each
/// platform has its own implementation file. Lives on the GUI thread.
class DeviceChangeWatcher : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
signals:
    /// Emitted on the GUI thread; the receiver re-enumerates.
    void devicesChanged();
};

/// The platform's watcher, owned by parent. When the system offers no
/// notification (no udev, no window), it never emits and devices present
/// at start are still reported.
DeviceChangeWatcher* createDeviceChangeWatcher(QObject* parent);

/// Report lengths of the device with this hidapi path, from the system's
/// copy of its report descriptor or capabilities; the cabinet's 65/65 when
/// they cannot be read.
ReportLayout readReportLayout(const char* hidapiPath);

}  // namespace kd::hid
