// Shows a window as the launcher does, on the X server of $DISPLAY, for the
// window-hints test. Prints "window=<id>" once shown, then obeys one command
// per line on standard input: "hide" (answers "hidden"), "show" (answers
// "shown"). Ends when standard input closes.
#include "x11/linux_desktop.h"
#include "window_decorator.h"
#include "window_level.h"

#include <QApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <iostream>
#include <string>

namespace {

// One round trip: every request sent so far has been handled by the server.
void syncWithServer()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11->connection();
    xcb_flush(connection);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::cout << "error=not-xcb" << std::endl;
        return 2;
    }
    const auto decorator = makeLinuxWindowDecorator();
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    WindowLevel::set(&window, WindowLevel::launcher);
    window.setGeometry(0, 0, 640, 400);

    auto show = [&] {
        decorator->applyOverlayHints(&window);
        window.show();
        QCoreApplication::processEvents();
        syncWithServer();
    };
    show();
    std::cout << "window=" << window.winId() << std::endl;

    std::string command;
    while (std::getline(std::cin, command)) {
        if (command == "hide") {
            window.hide();
            QCoreApplication::processEvents();
            syncWithServer();
            std::cout << "hidden" << std::endl;
        } else if (command == "show") {
            show();
            std::cout << "shown" << std::endl;
        }
    }
    return 0;
}
