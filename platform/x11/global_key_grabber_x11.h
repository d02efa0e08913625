#pragma once

#include "global_key_grabber.h"

#include <QString>

#include <memory>

class X11Display;

// The global hot key on X: a passive grab of the key on the root window, taken
// with the combination's modifiers and again with Caps Lock and Num Lock added,
// so that the lock keys do not disable it. A grab that another client already
// holds fails with BadAccess; the grabber waits for the server's answer and
// reports the failure instead of a hot key that never fires.
class GlobalKeyGrabberX11 : public GlobalKeyGrabber
{
public:
    // `displayName` as for XOpenDisplay (":1"); empty for $DISPLAY.
    explicit GlobalKeyGrabberX11(QString displayName = {});
    ~GlobalKeyGrabberX11() override;

    bool installHandler(std::function<void()> onPress) override;
    void removeHandler() override;
    bool grab(quint32 keyCode, quint32 presetModifiers) override;
    void ungrab() override;

    bool isGrabbed() const { return m_grabbedKey != 0; }
    // Waits until the server has handled everything sent so far and handles
    // the key presses that came back (for callers that must not wait for the
    // event loop).
    void processPendingEvents();

private:
    bool ensureDisplay();
    void handlePress(unsigned keycode, unsigned state);

    QString m_displayName;
    std::unique_ptr<X11Display> m_display;
    std::function<void()> m_onPress;
    // The X key code and modifier mask of the current grab; 0 without one.
    unsigned m_grabbedKey = 0;
    unsigned m_grabbedModifiers = 0;
    unsigned m_ignoredModifiers = 0;
};
