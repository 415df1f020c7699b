#include "shellopen.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace kd {

namespace {
ShellOpener& opener()
{
    static ShellOpener o;
    return o;
}
}  // namespace

bool shellOpen(const QString& target)
{
    if (opener())
        return opener()(target);
    const bool isWebAddress = target.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
                              target.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    if (isWebAddress)
        return QDesktopServices::openUrl(QUrl(target));
    // Bare names resolve against the working folder, as the shell would.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()));
}

void setShellOpenerForTesting(ShellOpener o)
{
    opener() = std::move(o);
}

}  // namespace kd
