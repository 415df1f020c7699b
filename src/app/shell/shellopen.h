#pragma once

#include <QString>

#include <functional>

namespace kd {

/// Asks the desktop to "open" a web address ("http://...") or a file path, as
/// a normal window. The outcome is not reported to the user.
/// Returns whether the desktop accepted the request (callers may ignore it).
bool shellOpen(const QString& target);

/// Tests replace the desktop with a recorder. An empty function restores it.
using ShellOpener = std::function<bool(const QString&)>;
void setShellOpenerForTesting(ShellOpener opener);

}  // namespace kd
