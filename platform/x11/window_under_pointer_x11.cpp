#include "x11/linux_desktop.h"

#include "window_under_pointer.h"
#include "x11/x11_top_level.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

// Asks the server through Qt's own connection, so that the launcher window's
// id needs no second connection. Two or three round trips per question: asked
// once per pointer move of a drag, that is nothing to a local server.
class X11WindowUnderPointer final : public WindowUnderPointer
{
public:
    bool pointerOverOtherWindow(QWidget *window) override
    {
        if (window == nullptr || !window->isWindow() || !window->testAttribute(Qt::WA_WState_Created))
            return false;
        auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
        if (connection == nullptr)
            return false;
        const auto own = xcb_window_t(window->winId());

        // The pointer's top-level window: the child of the root that holds it,
        // the topmost one where windows overlap.
        Reply<xcb_query_pointer_reply_t> pointer(
            xcb_query_pointer_reply(connection, xcb_query_pointer(connection, own), nullptr));
        if (!pointer || !pointer->same_screen)
            return false;
        Reply<xcb_query_pointer_reply_t> atRoot(
            xcb_query_pointer_reply(connection, xcb_query_pointer(connection, pointer->root), nullptr));
        if (!atRoot || atRoot->child == XCB_WINDOW_NONE)
            return false;
        const xcb_window_t topLevel = x11TopLevelOf(connection, own);
        return atRoot->child != (topLevel != XCB_WINDOW_NONE ? topLevel : own);
    }
};

} // namespace

std::unique_ptr<WindowUnderPointer> makeLinuxWindowUnderPointer()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return std::make_unique<X11WindowUnderPointer>();
    return WindowUnderPointer::none();
}
