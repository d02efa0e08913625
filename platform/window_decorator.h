#pragma once

#include <memory>

class QWidget;

// Tells the desktop how to treat a top-level window beyond what Qt's window
// flags say.
class WindowDecorator
{
public:
    virtual ~WindowDecorator() = default;

    // Marks `window` as the launcher's overlay: above ordinary windows, on
    // every virtual desktop, left out of the task bar, the pager and window
    // cycling. Call it before every show: a window manager forgets these hints
    // when the window is hidden (withdrawn). Null does nothing.
    virtual void applyOverlayHints(QWidget *window) = 0;

    // One that does nothing: for a desktop that needs no hints (offscreen,
    // Wayland) and wherever no decorator was handed in.
    static std::unique_ptr<WindowDecorator> passive();
};
