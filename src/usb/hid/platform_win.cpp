#include "platform.h"

#include <windows.h>

#include <vector>

#include <dbt.h>
#include <hidpi.h>
#include <hidsdi.h>

namespace kd::hid {

namespace {

// A message-only window of its own class, registered for HID interface
// arrival and removal. The system sends WM_DEVICECHANGE straight to the
// window procedure (it never passes through the message queue, so a native
// event filter would not see it); the procedure runs on the GUI thread while
// its message loop runs and tells the watcher.
class WindowsWatcher : public DeviceChangeWatcher {
public:
    explicit WindowsWatcher(QObject* parent) : DeviceChangeWatcher(parent) {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &WindowsWatcher::windowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kClassName;
        // Fails harmlessly when an earlier watcher registered the class.
        RegisterClassExW(&windowClass);
        hwnd_ = CreateWindowExW(0, kClassName, L"kd-hid-watch", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, instance, nullptr);
        if (!hwnd_) {
            return;
        }
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        GUID hidGuid;
        HidD_GetHidGuid(&hidGuid);
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof(filter);
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = hidGuid;
        notification_ = RegisterDeviceNotificationW(hwnd_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }

    ~WindowsWatcher() override {
        if (notification_) {
            UnregisterDeviceNotification(notification_);
        }
        if (hwnd_) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
        }
    }

private:
    static constexpr const wchar_t* kClassName = L"KdHidDeviceWatcher";

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_DEVICECHANGE &&
            (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE)) {
            auto* self = reinterpret_cast<WindowsWatcher*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            if (self) {
                emit self->devicesChanged();
            }
            return TRUE;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

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
