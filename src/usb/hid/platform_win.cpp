#include "platform.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>

#include <vector>

#include <dbt.h>
#include <hidpi.h>
#include <hidsdi.h>

namespace kd::hid {

namespace {

// A message-only window registered for HID interface arrival and removal;
// WM_DEVICECHANGE reaches the GUI thread's message loop, where a native
// event filter picks it up.
class WindowsWatcher : public DeviceChangeWatcher, public QAbstractNativeEventFilter {
public:
    explicit WindowsWatcher(QObject* parent) : DeviceChangeWatcher(parent) {
        hwnd_ = CreateWindowExW(0, L"STATIC", L"kd-hid-watch", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        if (!hwnd_) {
            return;
        }
        GUID hidGuid;
        HidD_GetHidGuid(&hidGuid);
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof(filter);
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = hidGuid;
        notification_ = RegisterDeviceNotificationW(hwnd_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~WindowsWatcher() override {
        if (QCoreApplication::instance()) {
            QCoreApplication::instance()->removeNativeEventFilter(this);
        }
        if (notification_) {
            UnregisterDeviceNotification(notification_);
        }
        if (hwnd_) {
            DestroyWindow(hwnd_);
        }
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "windows_generic_MSG") {
            return false;
        }
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->hwnd == hwnd_ && msg->message == WM_DEVICECHANGE &&
            (msg->wParam == DBT_DEVICEARRIVAL || msg->wParam == DBT_DEVICEREMOVECOMPLETE)) {
            emit devicesChanged();
        }
        return false;
    }

private:
    HWND hwnd_ = nullptr;
    HDEVNOTIFY notification_ = nullptr;
};

}  // namespace

DeviceChangeWatcher* createDeviceChangeWatcher(QObject* parent) {
    return new WindowsWatcher(parent);
}

ReportLayout readReportLayout(const char* hidapiPath) {
    ReportLayout layout;
    HANDLE h = CreateFileA(hidapiPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return layout;
    }
    PHIDP_PREPARSED_DATA data = nullptr;
    if (HidD_GetPreparsedData(h, &data)) {
        HIDP_CAPS caps{};
        if (HidP_GetCaps(data, &caps) == HIDP_STATUS_SUCCESS) {
            // Windows counts the report id byte in both lengths already.
            if (caps.InputReportByteLength > 0) {
                layout.inputLength = caps.InputReportByteLength;
            }
            if (caps.OutputReportByteLength > 0) {
                layout.outputLength = caps.OutputReportByteLength;
            }
            // hidapi keeps the report id in what it reads only for numbered
            // reports; a non-zero id on any input value tells them apart.
            USHORT count = caps.NumberInputValueCaps;
            if (count > 0) {
                std::vector<HIDP_VALUE_CAPS> values(count);
                if (HidP_GetValueCaps(HidP_Input, values.data(), &count, data) ==
                    HIDP_STATUS_SUCCESS) {
                    for (USHORT i = 0; i < count; ++i) {
                        layout.numberedReports = layout.numberedReports || values[i].ReportID != 0;
                    }
                }
            }
        }
        HidD_FreePreparsedData(data);
    }
    CloseHandle(h);
    return layout;
}

}  // namespace kd::hid
