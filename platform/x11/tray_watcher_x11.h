#pragma once

#include "tray_watcher.h"

#include <QString>

#include <memory>

class X11Display;

// The system tray on X: a tray is there while some client owns the selection
// _NET_SYSTEM_TRAY_S<screen> (the freedesktop system tray protocol). The
// server reports every change of that owner through XFixes, on a private
// connection read by the main thread's event loop: no polling.
class TrayWatcherX11 : public TrayWatcher
{
    Q_OBJECT

public:
    // `displayName` as for XOpenDisplay (":1"); empty for $DISPLAY.
    explicit TrayWatcherX11(QString displayName = {}, QObject *parent = nullptr);
    ~TrayWatcherX11() override;

    // Starts watching; false when there is no X server or it lacks XFixes.
    bool start();
    bool isTrayAvailable() const override { return m_available; }
    // start(), once; says so when watching cannot start.
    void watch() override;
    // Waits until the server has handled everything sent so far and handles
    // the changes that came back, without waiting for the event loop.
    void processPendingEvents();

private:
    void setAvailable(bool available);

    QString m_displayName;
    std::unique_ptr<X11Display> m_display;
    int m_xfixesEventBase = 0;
    unsigned long m_selection = 0;
    bool m_available = false;
    bool m_watchAsked = false;
};
