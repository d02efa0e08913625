#include "triggers/hot_key_manager.h"


#include "global_key_grabber.h"

#include "foundation/log.h"

namespace {

// The action of the current registration. The press handler is installed
// once and reaches the action only through here, so a new registration never
// needs a new handler.
std::function<void()> globalHotKeyAction;

void hotKeyEventHandler()
{
    if (globalHotKeyAction) {
        auto action = globalHotKeyAction;
        action();
    }
}

} // namespace


HotKeyManager::HotKeyManager(GlobalKeyGrabber &grabber) : m_grabber(grabber) {}

HotKeyManager::~HotKeyManager()
{
    unregisterKey();
    if (m_installedHandler)
        m_grabber.removeHandler();
}

bool HotKeyManager::registerKey(quint32 keyCode, quint32 modifiers, std::function<void()> action)
{
    unregisterKey();
    if (keyCode == 0) {
        globalHotKeyAction = nullptr;
        return true;
    }
    globalHotKeyAction = std::move(action);
    if (!m_installedHandler)
        m_installedHandler = m_grabber.installHandler(&hotKeyEventHandler);
    m_hotKeyGrabbed = m_grabber.grab(keyCode, modifiers);
    if (!m_hotKeyGrabbed)
        Log::write("[hotkey] registered=0 keyCode=%d modifiers=%d", keyCode, modifiers);
    return m_hotKeyGrabbed;
}

void HotKeyManager::unregisterKey()
{
    if (!m_hotKeyGrabbed)
        return;
    m_grabber.ungrab();
    m_hotKeyGrabbed = false;
}
