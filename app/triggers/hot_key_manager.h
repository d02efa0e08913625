#pragma once

#include <QtGlobal>

#include <functional>

class GlobalKeyGrabber;

// The one system-wide hot key that summons the launcher. Knows nothing of
// presets or of the launcher: it claims a key code (macOS virtual key code)
// with a hot-key preset's modifier mask and runs an action when it is pressed.
class HotKeyManager
{
public:
    explicit HotKeyManager(GlobalKeyGrabber &grabber);
    ~HotKeyManager();

    HotKeyManager(const HotKeyManager &) = delete;
    HotKeyManager &operator=(const HotKeyManager &) = delete;

    // Replaces any earlier registration. Key code 0 registers nothing (the
    // disabled preset) and clears the action. Returns false when the desktop
    // refused the key (another program holds it): nothing is registered then,
    // and a "[hotkey] registered=0" line says so.
    bool registerKey(quint32 keyCode, quint32 modifiers, std::function<void()> action);
    // Gives the key back; the press handler and the action stay.
    void unregisterKey();

    bool isRegistered() const { return m_hotKeyGrabbed; }
    bool isHandlerInstalled() const { return m_installedHandler; }

private:
    GlobalKeyGrabber &m_grabber;
    bool m_hotKeyGrabbed = false;
    bool m_installedHandler = false;
};
