#include "usersettings.h"

namespace kd {
const QString UserSettings::keyPath = QStringLiteral("Software\\KWB\\KD7630_48\\1.0");
}
