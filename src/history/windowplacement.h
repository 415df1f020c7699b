#pragma once

class QWidget;

namespace kd::history {

/// Moves a top-level window to the centre of its screen (the primary screen
/// when it has none yet). Called once, at the window's first show.
void centreOnScreen(QWidget* window);

/// The window font of the design: "MS Sans Serif" at 11-pixel height (the
/// system's substitute where it does not exist).
void applyDesignFont(QWidget* window);

}  // namespace kd::history
