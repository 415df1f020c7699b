#include "programdir.h"

#include <QCoreApplication>
#include <QDir>

namespace kd {

namespace {
QString& overridePath()
{
    static QString path;
    return path;
}
}  // namespace

QString programDirectory()
{
    QString dir = overridePath().isEmpty() ? QCoreApplication::applicationDirPath() : overridePath();
    dir = QDir::toNativeSeparators(dir);
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir;
}

void setProgramDirectoryForTesting(const QString& path)
{
    overridePath() = path;
}

}  // namespace kd
