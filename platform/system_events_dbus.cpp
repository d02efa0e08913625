#include "system_events_dbus.h"

#include "system_notifications.h"

#include "foundation/log.h"

SystemEventsDBus::SystemEventsDBus(NotificationCenter &center, QObject *parent) : QObject(parent), m_center(center) {}

int SystemEventsDBus::start()
{
    return start(QDBusConnection::systemBus(), QDBusConnection::sessionBus());
}

int SystemEventsDBus::start(const QDBusConnection &systemBus, const QDBusConnection &sessionBus)
{
    int watched = 0;
    if (watchSystemBus(systemBus))
        ++watched;
    else
        Log::write("[input] systemEvents bus=system connected=0 events=sleep,wake");
    if (watchSessionBus(sessionBus))
        ++watched;
    else
        Log::write("[input] systemEvents bus=session connected=0 events=lock,unlock");
    return watched;
}

bool SystemEventsDBus::watchSystemBus(QDBusConnection bus)
{
    if (!bus.isConnected())
        return false;
    return bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                       QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                       SLOT(prepareForSleep(bool)));
}

bool SystemEventsDBus::watchSessionBus(QDBusConnection bus)
{
    if (!bus.isConnected())
        return false;
    struct Service
    {
        const char *name;
        const char *path;
        const char *interface;
    };
    // KDE announces on two paths; GNOME has its own interface.
    const Service services[] = {
        {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
        {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
        {"org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver"},
    };
    bool any = false;
    for (const Service &service : services) {
        any |= bus.connect(QString::fromLatin1(service.name), QString::fromLatin1(service.path),
                           QString::fromLatin1(service.interface), QStringLiteral("ActiveChanged"), this,
                           SLOT(screenSaverActiveChanged(bool)));
    }
    return any;
}

void SystemEventsDBus::prepareForSleep(bool starting)
{
    if (m_sleeping == starting)
        return;
    m_sleeping = starting;
    m_center.post(starting ? SystemNotifications::willSleep : SystemNotifications::didWake);
}

void SystemEventsDBus::screenSaverActiveChanged(bool active)
{
    if (m_locked == active)
        return;
    m_locked = active;
    m_center.post(active ? SystemNotifications::screenIsLocked : SystemNotifications::screenIsUnlocked);
}
