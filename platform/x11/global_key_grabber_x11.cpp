#include "x11/global_key_grabber_x11.h"

#include "x11/mac_key_map.h"
#include "x11/x11_display.h"

#include "foundation/log.h"

#include <X11/Xlib.h>

#include <array>

namespace {

// The bits of a hot-key preset's modifier mask (Settings::HotKeyPreset).
constexpr quint32 kCmdKey = 1u << 8;
constexpr quint32 kShiftKey = 1u << 9;
constexpr quint32 kOptionKey = 1u << 11;
constexpr quint32 kControlKey = 1u << 12;

// A preset's modifier mask as the X11 modifier mask of this display: Command
// is Super, Option is Alt.
unsigned x11ModifierMask(quint32 presetModifiers, const X11Display::ModifierMasks &masks)
{
    unsigned modifiers = 0;
    if (presetModifiers & kCmdKey)
        modifiers |= masks.super;
    if (presetModifiers & kShiftKey)
        modifiers |= ShiftMask;
    if (presetModifiers & kOptionKey)
        modifiers |= masks.alt;
    if (presetModifiers & kControlKey)
        modifiers |= ControlMask;
    return modifiers;
}

} // namespace

GlobalKeyGrabberX11::GlobalKeyGrabberX11(QString displayName) : m_displayName(std::move(displayName)) {}

GlobalKeyGrabberX11::~GlobalKeyGrabberX11()
{
    ungrab();
    removeHandler();
}

bool GlobalKeyGrabberX11::ensureDisplay()
{
    if (!m_display)
        m_display = X11Display::open(m_displayName);
    return m_display != nullptr;
}

bool GlobalKeyGrabberX11::installHandler(std::function<void()> onPress)
{
    if (!ensureDisplay())
        return false;
    m_onPress = std::move(onPress);
    m_display->setEventHandler([this](XEvent &event) {
        if (event.type == KeyPress)
            handlePress(event.xkey.keycode, event.xkey.state);
    });
    return true;
}

void GlobalKeyGrabberX11::removeHandler()
{
    m_onPress = nullptr;
    if (m_display)
        m_display->setEventHandler({});
}

bool GlobalKeyGrabberX11::grab(quint32 keyCode, quint32 presetModifiers)
{
    ungrab();
    if (!ensureDisplay())
        return false;
    const quint32 keysym = MacKeyMap::keysymForKeyCode(keyCode);
    const unsigned xKeyCode = keysym ? XKeysymToKeycode(m_display->handle(), keysym) : 0;
    if (xKeyCode == 0) {
        Log::write("[hotkey] grab=failed keyCode=%d modifiers=%d reason=no-such-key", keyCode, presetModifiers);
        return false;
    }
    const X11Display::ModifierMasks masks = m_display->modifierMasks();
    const unsigned modifiers = x11ModifierMask(presetModifiers, masks);
    const std::array<unsigned, 4> locks = {0u, unsigned(LockMask), masks.numLock, unsigned(LockMask) | masks.numLock};

    X11ErrorTrap trap(*m_display);
    for (unsigned lock : locks)
        XGrabKey(m_display->handle(), int(xKeyCode), modifiers | lock, m_display->rootWindow(), False, GrabModeAsync,
                 GrabModeAsync);
    if (!trap.syncSucceeded()) {
        // Some variants may have been granted before the refusal: give them back.
        for (unsigned lock : locks)
            XUngrabKey(m_display->handle(), int(xKeyCode), modifiers | lock, m_display->rootWindow());
        XSync(m_display->handle(), False);
        Log::write("[hotkey] grab=failed keyCode=%d modifiers=%d reason=%@", keyCode, presetModifiers,
                   trap.firstErrorCode() == BadAccess ? "taken" : "refused");
        return false;
    }
    m_grabbedKey = xKeyCode;
    m_grabbedModifiers = modifiers;
    m_ignoredModifiers = unsigned(LockMask) | masks.numLock;
    return true;
}

void GlobalKeyGrabberX11::ungrab()
{
    if (!m_grabbedKey || !m_display)
        return;
    X11ErrorTrap trap(*m_display);
    for (unsigned lock : {0u, unsigned(LockMask), m_ignoredModifiers & ~unsigned(LockMask), m_ignoredModifiers})
        XUngrabKey(m_display->handle(), int(m_grabbedKey), m_grabbedModifiers | lock, m_display->rootWindow());
    trap.syncSucceeded();
    m_grabbedKey = 0;
    m_grabbedModifiers = 0;
}

void GlobalKeyGrabberX11::processPendingEvents()
{
    if (m_display)
        m_display->sync();
}

void GlobalKeyGrabberX11::handlePress(unsigned keycode, unsigned state)
{
    if (!m_grabbedKey || keycode != m_grabbedKey)
        return;
    const unsigned relevant = ShiftMask | ControlMask | Mod1Mask | Mod2Mask | Mod3Mask | Mod4Mask | Mod5Mask;
    if ((state & relevant & ~m_ignoredModifiers) != m_grabbedModifiers)
        return;
    if (m_onPress) {
        auto onPress = m_onPress;
        onPress();
    }
}
