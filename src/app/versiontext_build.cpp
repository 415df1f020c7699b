// Outside Windows an executable carries no version resource: the build embeds
// the project version and we read it as the same four 16-bit parts.
#include "versiontext.h"

#include <QStringList>

namespace kd {

QString VersionText() {
    const QStringList parts = QStringLiteral(KD_FILE_VERSION).split(QLatin1Char('.'));
    quint32 v[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && i < parts.size(); ++i)
        v[i] = parts[i].toUInt() & 0xFFFF;
    return formatFileVersion((v[0] << 16) | v[1], (v[2] << 16) | v[3]);
}

}  // namespace kd
