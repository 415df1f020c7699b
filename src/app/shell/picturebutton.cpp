#include "picturebutton.h"

#include <QIcon>
#include <QMouseEvent>

// The icon set is compiled into this static library; a static library's
// resource registration is dropped by the linker unless something calls it.
static void registerIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace kd {

void ensureIconResources() {
    static const bool registered = (registerIconResources(), true);
    Q_UNUSED(registered);
}

PictureButton::PictureButton(QWidget* parent) : QLabel(parent) {
    ensureIconResources();
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignCenter);
}

void PictureButton::setPicture(const QString& path) {
    // Rendered through QIcon so SVG pictures stay sharp at any size and on
    // high-density screens.
    const QIcon icon(path);
    setPixmap(icon.pixmap(size()));
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

}  // namespace kd
