#include "x11/linux_desktop.h"

#include "window_stacking.h"

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
using TreeReply = std::unique_ptr<xcb_query_tree_reply_t, FreeDeleter>;

// A window manager nests a client window in a frame or two; more than this
// is no window manager's doing, and ends the climb.
constexpr int kMaxNesting = 16;

TreeReply queryTree(xcb_connection_t *connection, xcb_window_t window)
{
    return TreeReply(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
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
        // The root's children, lowest first, read once for all windows.
        QList<xcb_window_t> stacked;
        bool stackedRead = false;
        QList<int> result;
        result.reserve(windows.size());
        for (const QWidget *window : windows) {
            // A window without a native one, or hidden, is not on screen.
            const WId id = window && window->isVisible() ? window->internalWinId() : 0;
            int place = -1;
            // The window manager may have put the window into a frame of its
            // own: the frame, a child of the root, is what the root stacks.
            xcb_window_t current = xcb_window_t(id);
            for (int depth = 0; id != 0 && depth < kMaxNesting; ++depth) {
                const TreeReply tree = queryTree(connection, current);
                if (!tree)
                    break;
                if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE) {
                    if (!stackedRead) {
                        stackedRead = true;
                        if (const TreeReply root = queryTree(connection, tree->root)) {
                            const xcb_window_t *children = xcb_query_tree_children(root.get());
                            const int count = xcb_query_tree_children_length(root.get());
                            stacked = QList<xcb_window_t>(children, children + count);
                        }
                    }
                    place = int(stacked.indexOf(current));
                    break;
                }
                current = tree->parent;
            }
            result.append(place);
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
