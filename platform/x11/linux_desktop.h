#pragma once

#include <QString>

#include <memory>

class InputPlatform;
class TrayWatcher;
class WindowDecorator;
class WindowStacking;
class WindowUnderPointer;

// The Linux desktop's implementations of the platform interfaces, made once
// by main() and handed to the parts that use them.

// The desktop behind the global triggers: XInput2 event taps and key grabs,
// the pointer through Qt, lock, sleep and wake over D-Bus and the
// show-desktop state from the window manager.
std::unique_ptr<InputPlatform> makeLinuxInputPlatform();

// The window decorator for the platform Qt runs on: on xcb the X11 one, which
// sets EWMH hints through Qt's own X connection so that they reach the server
// before Qt's map request for the same window; the passive one elsewhere
// (offscreen, Wayland).
std::unique_ptr<WindowDecorator> makeLinuxWindowDecorator();

// The stacking order of the program's windows: on xcb read from the X server
// through Qt's own connection, so it agrees with the requests Qt has sent;
// the unknown one elsewhere.
std::unique_ptr<WindowStacking> makeLinuxWindowStacking();

// The system tray watcher for the platform Qt runs on: on xcb the X11 one, not
// yet watching (watch() connects); the passive one elsewhere.
std::unique_ptr<TrayWatcher> makeLinuxTrayWatcher();

// Which top-level window the pointer is over: on xcb the X server's stacking,
// through Qt's own connection; elsewhere one that never sees another window.
std::unique_ptr<WindowUnderPointer> makeLinuxWindowUnderPointer();

// Whether an X server answers at `display` (":1"), or at $DISPLAY when empty.
bool linuxDisplayAvailable(const QString &display = {});
