#include "x11/x11_top_level.h"

#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};

// A window manager nests a client window in a frame or two; more than this
// is no window manager's doing, and ends the climb.
constexpr int kMaxNesting = 16;

} // namespace

xcb_window_t x11TopLevelOf(xcb_connection_t *connection, xcb_window_t window, xcb_window_t *root)
{
    xcb_window_t current = window;
    for (int depth = 0; current != XCB_WINDOW_NONE && depth < kMaxNesting; ++depth) {
        const std::unique_ptr<xcb_query_tree_reply_t, FreeDeleter> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, current), nullptr));
        if (!tree)
            return XCB_WINDOW_NONE;
        if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE) {
            if (root != nullptr)
                *root = tree->root;
            return current;
        }
        current = tree->parent;
    }
    return XCB_WINDOW_NONE;
}
