#pragma once

#include <QObject>

#include <memory>

// Says when the desktop's system tray comes or goes. A panel that starts after
// the launcher (both started at login) brings its tray later; the watcher
// tells the moment it does, so that nothing has to look every few seconds.
class TrayWatcher : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether a tray is there now, as far as this watcher sees.
    virtual bool isTrayAvailable() const = 0;
    // Begins watching; later calls do nothing. Connecting to the desktop takes
    // a moment, so it waits until someone needs to hear of a tray.
    virtual void watch() {}

    // One that never sees a tray: for a desktop without one to watch
    // (offscreen, Wayland) and wherever watching could not start.
    static std::unique_ptr<TrayWatcher> passive();

signals:
    // Sent on every change, never for the state it starts with.
    void trayAvailabilityChanged(bool available);
};
