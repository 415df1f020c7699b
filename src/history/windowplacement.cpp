#include "windowplacement.h"

#include <QWidget>

namespace kd::history {

void applyDesignFont(QWidget* window) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    window->setFont(font);
}

}  // namespace kd::history
