#include "picturebutton.h"

#include <QIcon>
#include <QMouseEvent>

namespace kd {

PictureButton::PictureButton(QWidget* parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignCenter);
}

void PictureButton::setPicture(const QString& path)
{
    // Rendered through QIcon so SVG pictures stay sharp at any size and on
    // high-density screens.
    const QIcon icon(path);
    setPixmap(icon.pixmap(size()));
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

}  // namespace kd
