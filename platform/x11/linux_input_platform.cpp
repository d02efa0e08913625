#include "x11/linux_desktop.h"

#include "input_platform.h"

#include "x11/global_key_grabber_x11.h"
#include "x11/input_event_source_x11.h"
#include "x11/show_desktop_watcher_x11.h"
#include "screen_pointer_locator.h"
#include "system_events_dbus.h"
#include "system_notifications.h"

#include "foundation/log.h"

namespace {

class LinuxInputPlatform final : public InputPlatform
{
public:
    void watchSystemEvents() override
    {
        if (m_watching)
            return;
        m_watching = true;
        m_dbus.start();
        if (!m_showDesktop.start())
            Log::write("[input] systemEvents display=none connected=0 events=showDesktop");
    }

    InputEventSource &eventSource() override { return m_eventSource; }
    GlobalKeyGrabber &keyGrabber() override { return m_keyGrabber; }
    PointerLocator &pointerLocator() override { return m_pointerLocator; }
    NotificationCenter &systemCenter() override { return systemNotificationCenter(); }

private:
    InputEventSourceX11 m_eventSource;
    GlobalKeyGrabberX11 m_keyGrabber;
    ScreenPointerLocator m_pointerLocator;
    SystemEventsDBus m_dbus{systemNotificationCenter()};
    ShowDesktopWatcherX11 m_showDesktop{systemNotificationCenter()};
    bool m_watching = false;
};

} // namespace

std::unique_ptr<InputPlatform> makeLinuxInputPlatform()
{
    return std::make_unique<LinuxInputPlatform>();
}
