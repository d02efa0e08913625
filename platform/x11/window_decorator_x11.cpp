#include "x11/linux_desktop.h"
#include "x11/x11_display.h"

#include "window_decorator.h"

#include <QGuiApplication>
#include <QList>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

constexpr uint32_t kAllDesktops = 0xFFFFFFFFu;
// EWMH: _NET_WM_STATE_ADD, and "source indication" 1 = ordinary application.
constexpr uint32_t kStateAdd = 1;
constexpr uint32_t kSourceApplication = 1;

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const auto cookie = xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name);
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

void sendToRoot(xcb_connection_t *connection, xcb_window_t root, xcb_window_t window, xcb_atom_t type,
                const std::array<uint32_t, 5> &data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    for (size_t i = 0; i < data.size(); ++i)
        event.data.data32[i] = data[i];
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char *>(&event));
}

class X11WindowDecorator final : public WindowDecorator
{
public:
    void applyOverlayHints(QWidget *window) override
    {
        if (window == nullptr)
            return;
        auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
        if (connection == nullptr)
            return;
        const auto id = xcb_window_t(window->winId());

        const xcb_atom_t wmState = internAtom(connection, "_NET_WM_STATE");
        const xcb_atom_t wmDesktop = internAtom(connection, "_NET_WM_DESKTOP");
        const std::array<xcb_atom_t, 4> states = {
            internAtom(connection, "_NET_WM_STATE_ABOVE"),
            internAtom(connection, "_NET_WM_STATE_STICKY"),
            internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
            internAtom(connection, "_NET_WM_STATE_SKIP_PAGER"),
        };
        if (wmState == XCB_ATOM_NONE || wmDesktop == XCB_ATOM_NONE)
            return;

        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr));
        Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr));
        if (!attributes || !geometry)
            return;

        if (attributes->map_state == XCB_MAP_STATE_UNMAPPED) {
            // A withdrawn window carries its wishes as properties; the window
            // manager reads them when the window is mapped. Keep whatever
            // states are already there (Qt adds its own when it maps).
            QList<xcb_atom_t> merged;
            Reply<xcb_get_property_reply_t> current(xcb_get_property_reply(
                connection, xcb_get_property(connection, 0, id, wmState, XCB_ATOM_ATOM, 0, 1024), nullptr));
            if (current && current->format == 32 && current->type == XCB_ATOM_ATOM) {
                const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(current.get()));
                const int count = xcb_get_property_value_length(current.get()) / int(sizeof(xcb_atom_t));
                for (int i = 0; i < count; ++i)
                    merged.append(values[i]);
            }
            for (xcb_atom_t state : states) {
                if (state != XCB_ATOM_NONE && !merged.contains(state))
                    merged.append(state);
            }
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, wmState, XCB_ATOM_ATOM, 32,
                                uint32_t(merged.size()), merged.constData());
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, wmDesktop, XCB_ATOM_CARDINAL, 32, 1,
                                &kAllDesktops);
        } else {
            // A mapped window belongs to the window manager: ask it.
            sendToRoot(connection, geometry->root, id, wmState,
                       {kStateAdd, states[0], states[1], kSourceApplication, 0});
            sendToRoot(connection, geometry->root, id, wmState,
                       {kStateAdd, states[2], states[3], kSourceApplication, 0});
            sendToRoot(connection, geometry->root, id, wmDesktop, {kAllDesktops, kSourceApplication, 0, 0, 0});
        }
        xcb_flush(connection);
    }
};

} // namespace

std::unique_ptr<WindowDecorator> makeLinuxWindowDecorator()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return std::make_unique<X11WindowDecorator>();
    return WindowDecorator::passive();
}

bool linuxDisplayAvailable(const QString &display)
{
    return X11Display::open(display) != nullptr;
}
