#pragma once

#include <QDBusConnection>
#include <QObject>

#include <optional>

class NotificationCenter;

// Lock, unlock, sleep and wake from the desktop's D-Bus services: logind's
// PrepareForSleep on the system bus, and ActiveChanged of the GNOME and
// freedesktop screen savers on the session bus. Each is turned into its
// SystemNotifications name and posted into the centre, on the main thread.
class SystemEventsDBus : public QObject
{
    Q_OBJECT

public:
    explicit SystemEventsDBus(NotificationCenter &center, QObject *parent = nullptr);

    // Watches the process's system and session buses; a bus that is not there
    // is logged once and left out. Returns how many buses are watched.
    int start();
    // The same on the given connections (tests bring a private bus).
    int start(const QDBusConnection &systemBus, const QDBusConnection &sessionBus);

private Q_SLOTS:
    void prepareForSleep(bool starting);
    void screenSaverActiveChanged(bool active);

private:
    bool watchSystemBus(QDBusConnection bus);
    bool watchSessionBus(QDBusConnection bus);

    NotificationCenter &m_center;
    // Several services may announce the same lock; only a change is posted.
    std::optional<bool> m_locked;
    std::optional<bool> m_sleeping;
};
