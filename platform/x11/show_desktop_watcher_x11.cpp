#include "x11/show_desktop_watcher_x11.h"

#include "system_notifications.h"
#include "x11/x11_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// The property's value; none when it is missing or malformed.
std::optional<bool> readShowing(X11Display &display, Atom atom)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    X11ErrorTrap trap(display);
    const int status = XGetWindowProperty(display.handle(), display.rootWindow(), atom, 0, 1, False, XA_CARDINAL,
                                          &type, &format, &count, &remaining, &data);
    std::optional<bool> result;
    if (status == Success && type == XA_CARDINAL && format == 32 && count == 1 && data)
        result = reinterpret_cast<const long *>(data)[0] != 0;
    if (data)
        XFree(data);
    return result;
}

} // namespace

ShowDesktopWatcherX11::ShowDesktopWatcherX11(NotificationCenter &center, QString displayName)
    : m_center(center), m_displayName(std::move(displayName))
{
}

ShowDesktopWatcherX11::~ShowDesktopWatcherX11() = default;

bool ShowDesktopWatcherX11::start()
{
    if (m_display)
        return true;
    m_display = X11Display::open(m_displayName);
    if (!m_display)
        return false;
    m_atom = XInternAtom(m_display->handle(), "_NET_SHOWING_DESKTOP", False);
    m_showing = readShowing(*m_display, m_atom).value_or(false);
    XSelectInput(m_display->handle(), m_display->rootWindow(), PropertyChangeMask);
    m_display->setEventHandler([this](XEvent &event) {
        if (event.type == PropertyNotify && event.xproperty.atom == m_atom)
            propertyChanged();
    });
    XFlush(m_display->handle());
    return true;
}

void ShowDesktopWatcherX11::stop()
{
    m_display.reset();
    m_showing.reset();
}

void ShowDesktopWatcherX11::processPendingEvents()
{
    if (m_display)
        m_display->sync();
}

void ShowDesktopWatcherX11::propertyChanged()
{
    const bool showing = readShowing(*m_display, m_atom).value_or(false);
    // Window managers rewrite the property with the value it has; only a
    // change is an event.
    if (m_showing == showing)
        return;
    m_showing = showing;
    m_center.post(showing ? SystemNotifications::showDesktopSet : SystemNotifications::showDesktopAwake);
}
