#pragma once

class GlobalKeyGrabber;
class InputEventSource;
class NotificationCenter;
class PointerLocator;

// The desktop behind the global triggers: system-wide input, the global hot
// key, the pointer and the system-event notifications. The running program
// gets the Linux desktop from makeLinuxInputPlatform() (platform/x11); tests
// hand the triggers fakes instead.
class InputPlatform
{
public:
    virtual ~InputPlatform() = default;

    virtual InputEventSource &eventSource() = 0;
    virtual GlobalKeyGrabber &keyGrabber() = 0;
    virtual PointerLocator &pointerLocator() = 0;
    // Where lock, sleep, wake and show-desktop arrive (SystemNotifications).
    virtual NotificationCenter &systemCenter() = 0;
    // Begins delivering those system events. Connecting to the message buses
    // and the display takes milliseconds, so the launcher asks only once its
    // window is up; later calls do nothing.
    virtual void watchSystemEvents() = 0;
};
