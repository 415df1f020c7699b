// Per-user settings on Windows: registry DWORD values under HKEY_CURRENT_USER.
#include "usersettings.h"

#include <windows.h>

namespace kd {

std::optional<qint32> UserSettings::readDword(const QString& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, reinterpret_cast<LPCWSTR>(keyPath.utf16()), 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    const LONG rc = RegQueryValueExW(key, reinterpret_cast<LPCWSTR>(name.utf16()), nullptr, &type,
                                     reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(data))
        return std::nullopt;
    return static_cast<qint32>(data);
}

bool UserSettings::writeDword(const QString& name, qint32 value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, reinterpret_cast<LPCWSTR>(keyPath.utf16()), 0, nullptr,
                        0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD data = static_cast<DWORD>(value);
    const LONG rc = RegSetValueExW(key, reinterpret_cast<LPCWSTR>(name.utf16()), 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&data), sizeof(data));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

}  // namespace kd
