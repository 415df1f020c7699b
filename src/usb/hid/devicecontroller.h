#pragma once

#include "hiddevice.h"

#include <QString>

class QObject;

namespace kd::hid {

/// Name of the environment variable that enables the virtual HID link: a
/// Qt local socket name (on Linux an absolute path is a Unix socket).
inline constexpr char kVirtualCabinetVariable[] = "KD7634_VIRTUAL_CABINET";

/// The program's device controller, owned by parent: every HID device that
/// hidapi lists, plus the virtual cabinet when KD7634_VIRTUAL_CABINET is set.
/// Devices present at creation arrive once the event loop runs; later
/// changes arrive as the system reports them. A device object stays alive
/// until its removal was emitted; the controller then releases it (so no
/// data handler runs any more) and deletes it later. GUI thread only.
HidDeviceController* createDeviceController(QObject* parent);

/// What a controller watches, for tools and tests that must not see the
/// machine's own HID devices.
struct ControllerOptions {
    /// Real HID devices through hidapi and the system's change notices.
    bool realDevices = true;
    /// Local socket name of the virtual cabinet; empty: no virtual link.
    QString virtualCabinet;
    /// Pause between connection attempts to the virtual cabinet.
    int virtualRetryMs = 500;
};

/// A controller as above, watching what `options` name.
HidDeviceController* createDeviceController(const ControllerOptions& options, QObject* parent);

}  // namespace kd::hid
