#pragma once

class QWidget;

// Stacking bands of top-level windows. The numbers follow the desktop levels
// that the launcher's behaviour is described in: a window at a higher level
// stays above every window at a lower one. The X11 window manager knows only
// "above" and "normal", so every level above `normal` keeps the window on top;
// the exact number still decides, in our own code, which window covers which
// (the alert watchdog compares them where the server's stacking order is not
// known).
namespace WindowLevel {

inline constexpr int normal = 0;
inline constexpr int floating = 3;
inline constexpr int modalPanel = 8;
inline constexpr int mainMenu = 24;
inline constexpr int status = 25;
inline constexpr int popUpMenu = 101;
inline constexpr int screenSaver = 1000;

// The launcher floats two levels above the main menu.
inline constexpr int launcher = mainMenu + 2;

// The level last given to `window` with set(); a modal dialog that was never
// given one is at `modalPanel`, any other window at `normal`. Null: `normal`.
int of(const QWidget *window);

// Records `level` on the top-level `window` and keeps the window on top of
// ordinary windows exactly when the level is above `normal`. A shown window
// stays shown (only the window manager is told); null does nothing.
void set(QWidget *window, int level);

} // namespace WindowLevel
