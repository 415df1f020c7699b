// Per-user settings outside Windows: the native QSettings store (an INI file
// under the user's configuration folder) with the key path turned into groups.
#include "usersettings.h"

#include <QSettings>

#include <limits>

namespace kd {

namespace {
// "Software\KWB\KD7630_48\1.0" -> organisation "KWB", application "KD7630_48",
// group "1.0": on Linux ~/.config/KWB/KD7630_48.conf, section [1.0].
constexpr auto kOrganisation = "KWB";
constexpr auto kApplication = "KD7630_48";
constexpr auto kGroup = "1.0";
}  // namespace

std::optional<qint32> UserSettings::readDword(const QString& name)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    s.beginGroup(kGroup);
    if (!s.contains(name))
        return std::nullopt;
    bool ok = false;
    const qlonglong v = s.value(name).toLongLong(&ok);
    // A value that is not a 32-bit integer counts as missing, like a registry
    // value of another type.
    if (!ok || v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<quint32>::max())
        return std::nullopt;
    return static_cast<qint32>(static_cast<quint32>(v & 0xFFFFFFFF));
}

bool UserSettings::writeDword(const QString& name, qint32 value)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    s.beginGroup(kGroup);
    s.setValue(name, value);
    s.endGroup();
    s.sync();
    return s.status() == QSettings::NoError;
}

}  // namespace kd
