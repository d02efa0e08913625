#include "x11/linux_desktop.h"

#include "window_decorator.h"
#include "x11/window_background.h"

#include <QColor>
#include <QGuiApplication>
#include <QList>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

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

// The atoms the hints use, in this order.
constexpr std::array<const char *, 6> kAtomNames = {
    "_NET_WM_STATE",        "_NET_WM_DESKTOP",         "_NET_WM_STATE_ABOVE",
    "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER",
};
using Atoms = std::array<xcb_atom_t, kAtomNames.size()>;

// All requests go out before the first reply is read: one round trip.
Atoms internAtoms(xcb_connection_t *connection)
{
    std::array<xcb_intern_atom_cookie_t, kAtomNames.size()> cookies;
    for (size_t i = 0; i < kAtomNames.size(); ++i)
        cookies[i] = xcb_intern_atom(connection, 0, uint16_t(qstrlen(kAtomNames[i])), kAtomNames[i]);
    Atoms atoms;
    for (size_t i = 0; i < kAtomNames.size(); ++i) {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookies[i], nullptr));
        atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    return atoms;
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

QNativeInterface::QX11Application *qtX11()
{
    return qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
}

// The visual `id` of `screen`, when it is TrueColor or DirectColor (the
// channel masks mean something only then).
const xcb_visualtype_t *findVisual(const xcb_screen_t *screen, xcb_visualid_t id)
{
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem != 0; xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem != 0;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id != id)
                continue;
            const uint8_t visualClass = visuals.data->_class;
            return visualClass == XCB_VISUAL_CLASS_TRUE_COLOR || visualClass == XCB_VISUAL_CLASS_DIRECT_COLOR
                       ? visuals.data
                       : nullptr;
        }
    }
    return nullptr;
}

xcb_connection_t *qtConnection()
{
    QNativeInterface::QX11Application *x11 = qtX11();
    return x11 ? x11->connection() : nullptr;
}

// Qt's own X connection, and `window`'s id on it (made when there is none
// yet); no connection for a null window or without X.
std::pair<xcb_connection_t *, xcb_window_t> nativeWindow(QWidget *window)
{
    xcb_connection_t *connection = window ? qtConnection() : nullptr;
    if (connection == nullptr)
        return {nullptr, XCB_WINDOW_NONE};
    return {connection, xcb_window_t(window->winId())};
}

// A window's attributes and geometry, asked for together: one round trip.
struct WindowFacts
{
    Reply<xcb_get_window_attributes_reply_t> attributes;
    Reply<xcb_get_geometry_reply_t> geometry;
};

std::optional<WindowFacts> queryWindow(xcb_connection_t *connection, xcb_window_t id)
{
    const auto attributesCookie = xcb_get_window_attributes(connection, id);
    const auto geometryCookie = xcb_get_geometry(connection, id);
    WindowFacts facts{Reply<xcb_get_window_attributes_reply_t>(
                          xcb_get_window_attributes_reply(connection, attributesCookie, nullptr)),
                      Reply<xcb_get_geometry_reply_t>(xcb_get_geometry_reply(connection, geometryCookie, nullptr))};
    if (!facts.attributes || !facts.geometry)
        return std::nullopt;
    return facts;
}

const xcb_screen_t *screenOfRoot(xcb_connection_t *connection, xcb_window_t root)
{
    for (auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection)); screens.rem != 0;
         xcb_screen_next(&screens)) {
        if (screens.data->root == root)
            return screens.data;
    }
    return nullptr;
}

class X11WindowDecorator final : public WindowDecorator
{
public:
    bool compositing() override
    {
        QNativeInterface::QX11Application *x11 = qtX11();
        xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
        if (connection == nullptr || x11->display() == nullptr)
            return true;
        // The selection a compositing manager holds while it runs (EWMH),
        // one per screen; the name is asked for once.
        if (m_compositingAtom == XCB_ATOM_NONE || m_compositingConnection != connection) {
            const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(XDefaultScreen(x11->display()));
            Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
                connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr));
            if (!reply)
                return true;
            m_compositingAtom = reply->atom;
            m_compositingConnection = connection;
        }
        Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, m_compositingAtom), nullptr));
        return !owner || owner->owner != XCB_WINDOW_NONE;
    }

    void setBackground(QWidget *window, const QColor &color) override
    {
        const auto [connection, id] = nativeWindow(window);
        if (connection == nullptr)
            return;
        if (!color.isValid()) {
            const uint32_t none = XCB_BACK_PIXMAP_NONE;
            xcb_change_window_attributes(connection, id, XCB_CW_BACK_PIXMAP, &none);
            xcb_flush(connection);
            return;
        }
        // The pixel's layout is the window's visual's, which Qt chose.
        const std::optional<WindowFacts> facts = queryWindow(connection, id);
        if (!facts)
            return;
        const auto &[attributes, geometry] = *facts;
        const xcb_screen_t *screen = screenOfRoot(connection, geometry->root);
        const xcb_visualtype_t *visual = screen ? findVisual(screen, attributes->visual) : nullptr;
        if (visual == nullptr)
            return;
        const uint32_t pixel = windowBackgroundPixel(color, geometry->depth, visual->red_mask, visual->green_mask,
                                                     visual->blue_mask);
        xcb_change_window_attributes(connection, id, XCB_CW_BACK_PIXEL, &pixel);
        xcb_flush(connection);
    }

    void applyOverlayHints(QWidget *window) override
    {
        const auto [connection, id] = nativeWindow(window);
        if (connection == nullptr)
            return;

        // Atoms live as long as the server: asked for once.
        if (!m_atoms || m_atomsConnection != connection) {
            m_atoms = internAtoms(connection);
            m_atomsConnection = connection;
        }
        const xcb_atom_t wmState = (*m_atoms)[0];
        const xcb_atom_t wmDesktop = (*m_atoms)[1];
        const std::array<xcb_atom_t, 4> states = {(*m_atoms)[2], (*m_atoms)[3], (*m_atoms)[4], (*m_atoms)[5]};
        if (wmState == XCB_ATOM_NONE || wmDesktop == XCB_ATOM_NONE)
            return;

        const std::optional<WindowFacts> facts = queryWindow(connection, id);
        if (!facts)
            return;
        const auto &[attributes, geometry] = *facts;

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

private:
    std::optional<Atoms> m_atoms;
    xcb_connection_t *m_atomsConnection = nullptr;
    xcb_atom_t m_compositingAtom = XCB_ATOM_NONE;
    xcb_connection_t *m_compositingConnection = nullptr;
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
    // The bare connection Qt's own platform makes; nothing more is needed to
    // know that a server answers.
    const QByteArray name = display.toLocal8Bit();
    xcb_connection_t *connection = xcb_connect(name.isEmpty() ? nullptr : name.constData(), nullptr);
    const bool available = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return available;
}
