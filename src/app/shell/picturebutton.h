#pragma once

#include <QLabel>

namespace kd {

/// Makes the icon set (":/icons/...") available; safe to call any number of
/// times. Every PictureButton calls it; other users of the icons call it once.
void ensureIconResources();

/// A picture that acts as a button: it shows an image and reports clicks.
/// Labels stay unclickable; only these pictures are.
class PictureButton : public QLabel {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent = nullptr);

    /// Loads an image from a resource or file path and scales it to the
    /// control's designed size.
    void setPicture(const QString& path);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace kd
