#include "windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kd::history {

void centreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void applyDesignFont(QWidget* window) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    window->setFont(font);
}

}  // namespace kd::history
