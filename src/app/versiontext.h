#pragma once

#include <QString>
#include <QtGlobal>

namespace kd {

/// "%d.%d.%d.%d" of a fixed file version: major = high word of the most
/// significant 32 bits, minor = its low word, release and build likewise of
/// the least significant 32 bits.
QString formatFileVersion(quint32 versionMs, quint32 versionLs);

/// The file version of the program's own executable in that form. On Windows
/// read from the executable's version resource; elsewhere the version the
/// build embeds. Empty when no version can be read.
QString VersionText();

}  // namespace kd
