#pragma once

#include <QString>

#include <memory>
#include <optional>

class NotificationCenter;
class X11Display;

// Show-desktop on X: the window manager's _NET_SHOWING_DESKTOP property on the
// root window. Posts SystemNotifications::showDesktopSet when it turns on and
// showDesktopAwake when it turns off again.
class ShowDesktopWatcherX11
{
public:
    explicit ShowDesktopWatcherX11(NotificationCenter &center, QString displayName = {});
    ~ShowDesktopWatcherX11();

    // Starts watching; false when there is no X server.
    bool start();
    void stop();
    // Waits until the server has handled everything sent so far and handles
    // the changes that came back.
    void processPendingEvents();

private:
    void propertyChanged();

    NotificationCenter &m_center;
    QString m_displayName;
    std::unique_ptr<X11Display> m_display;
    unsigned long m_atom = 0;
    std::optional<bool> m_showing;
};
