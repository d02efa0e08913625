#include "shell/launcher_window.h"
#include "x11/linux_desktop.h"
#include <QApplication>
