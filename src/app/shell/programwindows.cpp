#include "programwindows.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kd {

ProgramWindows& windows() {
    static ProgramWindows instance;
    return instance;
}

void showWindow(QWidget* window) {
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

void hideWindow(QWidget* window) {
    if (window)
        window->hide();
}

bool isShown(const QWidget* window) {
    return window && window->isVisible();
}

namespace {
class CentreOnFirstShow : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* window = static_cast<QWidget*>(watched);
            const QScreen* screen =
                window->screen() ? window->screen() : QGuiApplication::primaryScreen();
            if (screen) {
                QRect frame = window->frameGeometry();
                frame.moveCenter(screen->availableGeometry().center());
                window->move(frame.topLeft());
            }
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};
}  // namespace

void centreOnFirstShow(QWidget* window) {
    if (window)
        window->installEventFilter(new CentreOnFirstShow(window));
}

}  // namespace kd
