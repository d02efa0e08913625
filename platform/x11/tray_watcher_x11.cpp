#include "x11/tray_watcher_x11.h"

#include "x11/linux_desktop.h"
#include "x11/x11_display.h"

#include "foundation/log.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

TrayWatcherX11::TrayWatcherX11(QString displayName, QObject *parent)
    : TrayWatcher(parent), m_displayName(std::move(displayName))
{
}

TrayWatcherX11::~TrayWatcherX11() = default;

bool TrayWatcherX11::start()
{
    if (m_display)
        return true;
    std::unique_ptr<X11Display> display = X11Display::open(m_displayName);
    if (!display)
        return false;
    Display *handle = display->handle();
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    // Selection-owner notifications came with XFixes 1.0; the version must be
    // asked for before any other XFixes request.
    if (!XFixesQueryExtension(handle, &m_xfixesEventBase, &errorBase) || !XFixesQueryVersion(handle, &major, &minor))
        return false;
    m_display = std::move(display);
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(handle));
    m_selection = XInternAtom(handle, name.constData(), False);
    // Select first, then read the owner: a tray that comes in between is
    // both read and reported, and setAvailable() keeps only the change.
    XFixesSelectSelectionInput(handle, m_display->rootWindow(), m_selection,
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
    m_available = XGetSelectionOwner(handle, m_selection) != None;
    m_display->setEventHandler([this](XEvent &event) {
        if (event.type != m_xfixesEventBase + XFixesSelectionNotify)
            return;
        const auto &notify = reinterpret_cast<const XFixesSelectionNotifyEvent &>(event);
        if (notify.selection != m_selection)
            return;
        // A new owner brings a tray (None: the old one gave it up); the
        // owner's window or client going away takes it.
        setAvailable(notify.subtype == XFixesSetSelectionOwnerNotify && notify.owner != None);
    });
    XFlush(handle);
    return true;
}

void TrayWatcherX11::watch()
{
    if (m_watchAsked)
        return;
    m_watchAsked = true;
    if (!start())
        Log::write("[status] trayWatch=none xfixes=0");
}

void TrayWatcherX11::processPendingEvents()
{
    if (m_display)
        m_display->sync();
}

void TrayWatcherX11::setAvailable(bool available)
{
    if (available == m_available)
        return;
    m_available = available;
    emit trayAvailabilityChanged(available);
}

std::unique_ptr<TrayWatcher> makeLinuxTrayWatcher()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return TrayWatcher::passive();
    return std::make_unique<TrayWatcherX11>();
}
