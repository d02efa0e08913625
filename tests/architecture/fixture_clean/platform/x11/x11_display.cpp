#include "x11/linux_desktop.h"
#include <X11/Xlib.h>
#include <xcb/xcb.h>
#include <QtGui/qguiapplication_platform.h>
