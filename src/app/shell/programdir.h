#pragma once

#include <QString>

namespace kd {

/// The folder of the program's executable with a trailing separator. Language
/// files, flags, the web image and the firmware loader are looked up here.
QString programDirectory();

/// Lets tests point the program directory at a folder they made.
/// An empty path restores the executable's folder.
void setProgramDirectoryForTesting(const QString& path);

}  // namespace kd
