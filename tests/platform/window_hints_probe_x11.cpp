// Shows a window as the launcher does, on the X server of $DISPLAY, for the
// window decorator's test. Prints "window=<id>" once shown, then obeys one
// command per line on standard input:
//   "hide"                  answers "hidden"
//   "show"                  answers "shown"
//   "compositing"           answers "compositing=<0 or 1>"
//   "fill <24|32> <#argb>"  shows a window of that depth that never paints,
//                           with the server filling it in that colour;
//                           answers "pixel=<hex>", its centre as the server
//                           holds it.
// Ends when standard input closes.
#include "x11/linux_desktop.h"
#include "window_decorator.h"
#include "window_level.h"

#include <QApplication>
#include <QColor>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
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

// The pixel at (x, y) of `window`, as the server holds it.
std::string pixelAt(xcb_window_t window, int x, int y)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11->connection();
    xcb_get_image_reply_t *reply = xcb_get_image_reply(
        connection, xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, int16_t(x), int16_t(y), 1, 1, ~0u),
        nullptr);
    if (reply == nullptr)
        return "none";
    uint32_t pixel = 0;
    const int length = xcb_get_image_data_length(reply);
    std::memcpy(&pixel, xcb_get_image_data(reply), std::min<size_t>(sizeof pixel, size_t(length)));
    std::free(reply);
    if (length < 4)
        pixel &= (1u << (8 * length)) - 1;
    std::ostringstream text;
    text << std::hex << pixel;
    return text.str();
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
        } else if (command == "compositing") {
            std::cout << "compositing=" << (decorator->compositing() ? 1 : 0) << std::endl;
        } else if (command.rfind("fill ", 0) == 0) {
            std::istringstream arguments(command.substr(5));
            int depth = 0;
            std::string color;
            arguments >> depth >> color;
            // Without updates Qt paints nothing: what shows is the server's.
            auto blank = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
            blank->setAttribute(Qt::WA_TranslucentBackground, depth == 32);
            blank->setUpdatesEnabled(false);
            blank->setGeometry(700, 100, 100, 100);
            decorator->setBackground(blank.get(), QColor(QString::fromStdString(color)));
            blank->show();
            QCoreApplication::processEvents();
            syncWithServer();
            std::cout << "pixel=" << pixelAt(xcb_window_t(blank->winId()), 50, 50) << std::endl;
        }
    }
    return 0;
}
