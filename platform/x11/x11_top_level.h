#pragma once

#include <xcb/xcb.h>

// The window that the root window stacks for `window`: the window itself, or
// the frame a window manager put it in. `root` is set to that root. None when
// the server knows no such window.
xcb_window_t x11TopLevelOf(xcb_connection_t *connection, xcb_window_t window, xcb_window_t *root = nullptr);
