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

    // The decorator for the platform Qt runs on: the X11 one on xcb, one that
    // does nothing elsewhere (offscreen, Wayland).
    static std::unique_ptr<WindowDecorator> forCurrentPlatform();
};

// The X11 decorator: EWMH hints through Qt's own X connection, so that they
// reach the server before Qt's map request for the same window. Does nothing
// when Qt does not run on X11.
std::unique_ptr<WindowDecorator> makeX11WindowDecorator();
