// The fixed file information of the executable's own version resource.
#include "versiontext.h"

#include <windows.h>

#include <vector>

namespace kd {

QString VersionText() {
    wchar_t path[MAX_PATH];
    if (GetModuleFileNameW(nullptr, path, MAX_PATH) == 0)
        return QString();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0)
        return QString();
    std::vector<char> data(size);
    if (!GetFileVersionInfoW(path, 0, size, data.data()))
        return QString();
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len) || !info)
        return QString();
    return formatFileVersion(info->dwFileVersionMS, info->dwFileVersionLS);
}

}  // namespace kd
