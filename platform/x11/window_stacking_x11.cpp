#include "x11/linux_desktop.h"

#include "window_stacking.h"
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

// The root's children, lowest first: the order in which the server stacks
// top-level windows.
QList<xcb_window_t> stackingOrder(xcb_connection_t *connection, xcb_window_t root)
{
    const std::unique_ptr<xcb_query_tree_reply_t, FreeDeleter> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr));
    if (!tree)
        return {};
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    return QList<xcb_window_t>(children, children + xcb_query_tree_children_length(tree.get()));
}

class X11WindowStacking final : public WindowStacking
{
public:
    std::optional<QList<int>> places(const QList<const QWidget *> &windows) override
    {
        auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
        if (connection == nullptr)
            return std::nullopt;
        // Read once, at the first window the server knows.
        std::optional<QList<xcb_window_t>> stacked;
        QList<int> result;
        result.reserve(windows.size());
        for (const QWidget *window : windows) {
            // A window without a native one, or hidden, is not on screen.
            const WId id = window && window->isVisible() ? window->internalWinId() : 0;
            xcb_window_t root = XCB_WINDOW_NONE;
            // The window manager may have put the window into a frame of its
            // own: the frame, a child of the root, is what the root stacks.
            const xcb_window_t topLevel =
                id != 0 ? x11TopLevelOf(connection, xcb_window_t(id), &root) : xcb_window_t(XCB_WINDOW_NONE);
            if (topLevel == XCB_WINDOW_NONE) {
                result.append(-1);
                continue;
            }
            if (!stacked)
                stacked = stackingOrder(connection, root);
            result.append(int(stacked->indexOf(topLevel)));
        }
        return result;
    }
};

} // namespace

std::unique_ptr<WindowStacking> makeLinuxWindowStacking()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return std::make_unique<X11WindowStacking>();
    return WindowStacking::unknown();
}
