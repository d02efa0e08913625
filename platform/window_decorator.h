#pragma once

#include <memory>

class QColor;
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

    // Whether a compositing manager runs on the default screen, so that a
    // translucent window shows what lies under it. Without one an X server
    // shows only a window's colour channels: a translucent window looks as if
    // drawn over black, and the server still keeps an off-screen copy of it.
    virtual bool compositing() = 0;

    // The colour the display server fills `window` with the moment it maps,
    // before the program has painted anything; an invalid colour fills
    // nothing, so whatever was on screen stays until the program paints.
    // Makes the native window if there is none yet. Null does nothing.
    virtual void setBackground(QWidget *window, const QColor &color) = 0;

    // One that does nothing and reports a compositing desktop: for a desktop
    // that needs no hints and always composites (offscreen, Wayland), and
    // wherever no decorator was handed in.
    static std::unique_ptr<WindowDecorator> passive();
};
