#include "x11/input_event_source_x11.h"

#include "x11/mac_key_map.h"
#include "x11/x11_display.h"

#include "foundation/log.h"

#include <QHash>
#include <QSet>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <cstring>
#include <vector>

namespace {

constexpr quint64 kKeyTypes = EventTapTypes::maskBit(EventTapTypes::keyDown) |
                              EventTapTypes::maskBit(EventTapTypes::keyUp) |
                              EventTapTypes::maskBit(EventTapTypes::flagsChanged);
constexpr quint64 kPinchTypes =
    EventTapTypes::maskBit(EventTapTypes::gestureBegan) | EventTapTypes::maskBit(EventTapTypes::gestureEnded) |
    EventTapTypes::maskBit(EventTapTypes::gesture) | EventTapTypes::maskBit(EventTapTypes::magnify) |
    EventTapTypes::maskBit(EventTapTypes::smartMagnify);

constexpr qint64 kCapsLockKeyCode = 57;

struct XInputInfo
{
    int opcode = 0;
    int version = 0; // major * 100 + minor
};

std::optional<XInputInfo> queryXInput(X11Display &display)
{
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    if (!XQueryExtension(display.handle(), "XInputExtension", &opcode, &firstEvent, &firstError))
        return std::nullopt;
    int major = 2;
    int minor = 4;
    if (XIQueryVersion(display.handle(), &major, &minor) != Success || major < 2)
        return std::nullopt;
    return XInputInfo{opcode, major * 100 + minor};
}

// Selects `events` on the root window for every master device; true when the
// server accepted the selection.
bool selectRootEvents(X11Display &display, const std::vector<int> &events)
{
    std::vector<unsigned char> bits(XIMaskLen(XI_LASTEVENT), 0);
    for (int event : events)
        XISetMask(bits.data(), event);
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = int(bits.size());
    mask.mask = bits.data();
    X11ErrorTrap trap(display);
    XISelectEvents(display.handle(), display.rootWindow(), &mask, 1);
    return trap.syncSucceeded();
}

class EventTapX11 : public EventTap
{
public:
    EventTapX11(std::unique_ptr<X11Display> display, int opcode, quint64 mask, EventTapCallback callback)
        : m_display(std::move(display)), m_opcode(opcode), m_mask(mask), m_callback(std::move(callback))
    {
        m_masks = m_display->modifierMasks();
        readInitialFlags();
    }

    ~EventTapX11() override { m_display->setEventHandler({}); }

    bool addToMainLoop() override
    {
        m_display->setEventHandler([this](XEvent &event) { handle(event); });
        return true;
    }

    void removeFromMainLoop() override { m_display->setEventHandler({}); }
    void sync() { m_display->sync(); }
    void setEnabled(bool enabled) override { m_enabled = enabled; }
    bool isEnabled() const override { return m_enabled; }

private:
    // The modifiers held when the tap starts. Afterwards the tap follows the
    // modifier keys itself: a state query answered right after a raw event
    // may not include that event yet.
    void readInitialFlags()
    {
        XkbStateRec state;
        if (XkbGetState(m_display->handle(), XkbUseCoreKbd, &state) != Success)
            return;
        const unsigned mods = state.base_mods | state.latched_mods;
        if (mods & ShiftMask)
            m_initialFlags |= EventTapFlags::shift;
        if (mods & ControlMask)
            m_initialFlags |= EventTapFlags::control;
        if (mods & m_masks.alt)
            m_initialFlags |= EventTapFlags::option;
        if (mods & m_masks.super)
            m_initialFlags |= EventTapFlags::command;
        m_capsLocked = state.locked_mods & LockMask;
    }

    quint64 currentFlags() const
    {
        quint64 flags = m_initialFlags;
        for (quint64 flag : m_heldModifiers)
            flags |= flag;
        if (m_capsLocked)
            flags |= EventTapFlags::alphaShift;
        return flags;
    }

    void deliver(quint32 type, const EventTapEvent &event)
    {
        if (!m_enabled || !(m_mask & EventTapTypes::maskBit(type)) || !m_callback)
            return;
        auto callback = m_callback;
        callback(type, event);
    }

    void handle(XEvent &event)
    {
        XGenericEventCookie *cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != m_opcode)
            return;
        if (!XGetEventData(m_display->handle(), cookie))
            return;
        switch (cookie->evtype) {
        case XI_RawKeyPress:
        case XI_RawKeyRelease:
            handleKey(static_cast<const XIRawEvent *>(cookie->data), cookie->evtype == XI_RawKeyPress);
            break;
        case XI_GesturePinchBegin:
        case XI_GesturePinchUpdate:
        case XI_GesturePinchEnd:
            handlePinch(static_cast<const XIGesturePinchEvent *>(cookie->data), cookie->evtype);
            break;
        default:
            break;
        }
        XFreeEventData(m_display->handle(), cookie);
    }

    void handleKey(const XIRawEvent *raw, bool pressed)
    {
        const int xKeyCode = raw->detail;
        const KeySym keysym = XkbKeycodeToKeysym(m_display->handle(), KeyCode(xKeyCode), 0, 0);
        const qint64 keyCode = MacKeyMap::keyCodeForKeysym(quint32(keysym));
        EventTapEvent out;
        out.keyCode = keyCode;
        if (MacKeyMap::isModifierKeyCode(keyCode)) {
            const quint64 flag = MacKeyMap::modifierFlagForKeyCode(keyCode);
            // Only a change is an event: X also reports releases of keys
            // that are already up.
            if (pressed == m_heldModifiers.contains(xKeyCode))
                return;
            if (pressed) {
                m_heldModifiers.insert(xKeyCode, flag);
                if (keyCode == kCapsLockKeyCode)
                    m_capsLocked = !m_capsLocked;
            } else {
                m_heldModifiers.remove(xKeyCode);
                // A modifier that was down before the tap began is up once
                // any key of its kind is released.
                m_initialFlags &= ~flag;
            }
            out.flags = currentFlags();
            deliver(EventTapTypes::flagsChanged, out);
            return;
        }
        out.flags = currentFlags();
        if (pressed) {
            // A press of a key that is already down is the keyboard's repeat,
            // whether or not the server marks it.
            out.isRepeat = (raw->flags & XIKeyRepeat) || m_keysDown.contains(xKeyCode);
            m_keysDown.insert(xKeyCode);
            deliver(EventTapTypes::keyDown, out);
        } else {
            m_keysDown.remove(xKeyCode);
            deliver(EventTapTypes::keyUp, out);
        }
    }

    void handlePinch(const XIGesturePinchEvent *pinch, int type)
    {
        EventTapEvent out;
        out.fingerCount = pinch->detail;
        out.flags = currentFlags();
        if (type == XI_GesturePinchBegin) {
            m_lastScale = pinch->scale;
            deliver(EventTapTypes::gestureBegan, out);
        } else if (type == XI_GesturePinchUpdate) {
            out.magnification = pinch->scale - m_lastScale;
            m_lastScale = pinch->scale;
            deliver(EventTapTypes::magnify, out);
        } else {
            deliver(EventTapTypes::gestureEnded, out);
        }
    }

    std::unique_ptr<X11Display> m_display;
    int m_opcode;
    quint64 m_mask;
    EventTapCallback m_callback;
    X11Display::ModifierMasks m_masks;
    quint64 m_initialFlags = 0;
    bool m_capsLocked = false;
    // Modifier keys held down (X key code to flag) and other keys held down.
    QHash<int, quint64> m_heldModifiers;
    QSet<int> m_keysDown;
    double m_lastScale = 1.0;
    bool m_enabled = false;
};

} // namespace

InputEventSourceX11::InputEventSourceX11(QString displayName) : m_displayName(std::move(displayName)) {}

InputEventSourceX11::~InputEventSourceX11() = default;

std::optional<int> InputEventSourceX11::serverXInputVersion()
{
    isProcessTrusted();
    return m_probeVersion;
}

bool InputEventSourceX11::isProcessTrusted()
{
    // The answer of a server does not change while we are connected; without a
    // server we ask again next time.
    if (m_probeTrusted)
        return *m_probeTrusted;
    m_probe = X11Display::open(m_displayName);
    if (!m_probe)
        return false;
    const std::optional<XInputInfo> info = queryXInput(*m_probe);
    bool trusted = false;
    if (info && info->version >= 201) {
        m_probeVersion = info->version;
        // Select once and take it back: the server's consent is what counts.
        trusted = selectRootEvents(*m_probe, {XI_RawKeyPress}) && selectRootEvents(*m_probe, {});
    }
    m_probeTrusted = trusted;
    return trusted;
}

void InputEventSourceX11::processPendingEvents(EventTap &tap)
{
    if (auto *x11 = dynamic_cast<EventTapX11 *>(&tap))
        x11->sync();
}

bool InputEventSourceX11::requestTrust()
{
    // X has no prompt for it.
    return isProcessTrusted();
}

bool InputEventSourceX11::openPrivacySettings()
{
    Log::write("[input] privacyPane=none desktop=x11");
    return false;
}

std::unique_ptr<EventTap> InputEventSourceX11::createTap(quint64 mask, TapOption option, EventTapCallback callback)
{
    // Raw events are observed, never filtered: both options give the same tap.
    Q_UNUSED(option);
    std::unique_ptr<X11Display> display = X11Display::open(m_displayName);
    if (!display)
        return nullptr;
    const std::optional<XInputInfo> info = queryXInput(*display);
    if (!info || info->version < 201)
        return nullptr;
    std::vector<int> events;
    if (mask & kKeyTypes) {
        events.push_back(XI_RawKeyPress);
        events.push_back(XI_RawKeyRelease);
    }
    if ((mask & kPinchTypes) && supportsGestures(info->version)) {
        events.push_back(XI_GesturePinchBegin);
        events.push_back(XI_GesturePinchUpdate);
        events.push_back(XI_GesturePinchEnd);
    }
    if (events.empty() || !selectRootEvents(*display, events))
        return nullptr;
    return std::make_unique<EventTapX11>(std::move(display), info->opcode, mask, std::move(callback));
}
