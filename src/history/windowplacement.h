#pragma once

class QWidget;

namespace kd::history {

/// The window font of the design: "MS Sans Serif" at 11-pixel height (the
/// system's substitute where it does not exist).
void applyDesignFont(QWidget* window);

}  // namespace kd::history
