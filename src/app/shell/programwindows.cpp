#include "programwindows.h"

#include <QWidget>

namespace kd {

ProgramWindows& windows()
{
    static ProgramWindows instance;
    return instance;
}

void showWindow(QWidget* window)
{
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

void hideWindow(QWidget* window)
{
    if (window)
        window->hide();
}

bool isShown(const QWidget* window)
{
    return window && window->isVisible();
}

}  // namespace kd
