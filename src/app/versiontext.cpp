#include "versiontext.h"

namespace kd {

QString formatFileVersion(quint32 versionMs, quint32 versionLs) {
    return QString::asprintf("%d.%d.%d.%d", int(versionMs >> 16), int(versionMs & 0xFFFF),
                             int(versionLs >> 16), int(versionLs & 0xFFFF));
}

}  // namespace kd
