#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace kd {

/// The per-user key "Software\KWB\KD7630_48\1.0": on Windows under
/// HKEY_CURRENT_USER with DWORD values, elsewhere the same key path and value
/// names in the platform's native per-user settings store.
class UserSettings {
public:
    static const QString keyPath;  // "Software\KWB\KD7630_48\1.0"

    /// The value when the key and the value exist and hold a 32-bit integer;
    /// nothing otherwise. Never creates the key.
    static std::optional<qint32> readDword(const QString& name);
    /// Writes the value, creating the key when missing. False when the store
    /// refused the write.
    static bool writeDword(const QString& name, qint32 value);
};

}  // namespace kd
