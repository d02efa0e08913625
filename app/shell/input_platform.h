#pragma once

#include <memory>

class GlobalKeyGrabber;
class InputEventSource;
class NotificationCenter;
class PointerLocator;

// The desktop behind the global triggers: system-wide input, the global hot
// key, the pointer and the system-event notifications. shared() is the Linux
// desktop (X11 and D-Bus), made on first use; the triggers' plain
// constructors use it, tests hand fakes to the other constructors.
class InputPlatform
{
public:
    static InputPlatform &shared();
    ~InputPlatform();

    InputEventSource &eventSource() { return *m_eventSource; }
    GlobalKeyGrabber &keyGrabber() { return *m_keyGrabber; }
    PointerLocator &pointerLocator() { return *m_pointerLocator; }
    // Where lock, sleep, wake and show-desktop arrive (SystemNotifications).
    NotificationCenter &systemCenter();

private:
    InputPlatform();
    struct Watchers;

    std::unique_ptr<InputEventSource> m_eventSource;
    std::unique_ptr<GlobalKeyGrabber> m_keyGrabber;
    std::unique_ptr<PointerLocator> m_pointerLocator;
    std::unique_ptr<Watchers> m_watchers;
};
