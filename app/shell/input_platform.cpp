#include "shell/input_platform.h"

#include "global_key_grabber_x11.h"
#include "input_event_source_x11.h"
#include "screen_pointer_locator.h"
#include "show_desktop_watcher_x11.h"
#include "system_events_dbus.h"
#include "system_notifications.h"

#include "foundation/log.h"

struct InputPlatform::Watchers
{
    SystemEventsDBus dbus{systemNotificationCenter()};
    ShowDesktopWatcherX11 showDesktop{systemNotificationCenter()};
};

InputPlatform &InputPlatform::shared()
{
    static InputPlatform platform;
    return platform;
}

InputPlatform::InputPlatform()
    : m_eventSource(std::make_unique<InputEventSourceX11>()),
      m_keyGrabber(std::make_unique<GlobalKeyGrabberX11>()),
      m_pointerLocator(std::make_unique<ScreenPointerLocator>()),
      m_watchers(std::make_unique<Watchers>())
{
    m_watchers->dbus.start();
    if (!m_watchers->showDesktop.start())
        Log::write("[input] systemEvents display=none connected=0 events=showDesktop");
}

InputPlatform::~InputPlatform() = default;

NotificationCenter &InputPlatform::systemCenter()
{
    return systemNotificationCenter();
}
