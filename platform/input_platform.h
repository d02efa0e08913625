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
};
