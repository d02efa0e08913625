#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

// The fields of one system-wide input event as an event tap reports it, in the
// layout the trigger policy expects: macOS virtual key codes (49 Space, 118 F4,
// 58/61 Option, ...) and the event-tap modifier-flag word.
struct EventTapEvent
{
    // Keyboard key code (virtual key code); unknownKeyCode when the key has none.
    qint64 keyCode = 0;
    // Modifier-flag word (see EventTapFlags).
    quint64 flags = 0;
    // The key event is an automatic repeat.
    bool isRepeat = false;
    // Pinch magnification since the previous change event of the gesture.
    double magnification = 0;
    // Fingers on the device when it says; 0 otherwise.
    int fingerCount = 0;

    static constexpr qint64 unknownKeyCode = -1;
};

// Event types and flag bits of the event-tap layout.
namespace EventTapTypes {
constexpr quint32 keyDown = 10;
constexpr quint32 keyUp = 11;
constexpr quint32 flagsChanged = 12;
constexpr quint32 gestureBegan = 19;
constexpr quint32 gestureEnded = 20;
constexpr quint32 gesture = 29;
constexpr quint32 magnify = 30;
constexpr quint32 swipe = 31;
constexpr quint32 smartMagnify = 32;
// The tap stopped delivering: by a time-out, or because the user input path
// went away. The owner rebuilds it.
constexpr quint32 tapDisabledByTimeout = 0xFFFFFFFE;
constexpr quint32 tapDisabledByUserInput = 0xFFFFFFFF;

constexpr quint64 maskBit(quint32 type) { return quint64(1) << type; }
} // namespace EventTapTypes

namespace EventTapFlags {
constexpr quint64 alphaShift = quint64(1) << 16;
constexpr quint64 shift = quint64(1) << 17;
constexpr quint64 control = quint64(1) << 18;
constexpr quint64 option = quint64(1) << 19;
constexpr quint64 command = quint64(1) << 20;
constexpr quint64 numericPad = quint64(1) << 21;
} // namespace EventTapFlags

// Called on the main thread for every event of the tap's mask: the event type
// and its fields.
using EventTapCallback = std::function<void(quint32 type, const EventTapEvent &event)>;

// One system-wide listener for a set of event types. Destroying it releases
// everything it holds on the desktop (connections, selections).
class EventTap
{
public:
    virtual ~EventTap() = default;

    // Starts reading the tap's events on the main thread's event loop; false
    // when it cannot. Idempotent.
    virtual bool addToMainLoop() = 0;
    // Stops reading; events that arrive meanwhile are dropped.
    virtual void removeFromMainLoop() = 0;
    // A disabled tap drops its events without calling the callback.
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
};

// The desktop's system-wide input: whether it lets this process observe it,
// and the taps that do.
class InputEventSource
{
public:
    enum class TapOption { listenOnly, defaultFilter };

    virtual ~InputEventSource() = default;

    // Whether the desktop lets this process observe system-wide input right now.
    virtual bool isProcessTrusted() = 0;
    // Whether that answer can change while the process runs (a desktop with a
    // per-application switch for it). Where it cannot, nobody needs to ask
    // again until the user asks for the permission.
    virtual bool trustCanChange() const = 0;
    // Asks for that permission, showing the desktop's prompt where it has one.
    virtual bool requestTrust() = 0;
    // Opens the desktop's privacy settings for input monitoring; false when it
    // has none to open.
    virtual bool openPrivacySettings() = 0;
    // A tap for the event types whose bits are set in `mask` (see
    // EventTapTypes::maskBit), or null when the desktop refuses it.
    virtual std::unique_ptr<EventTap> createTap(quint64 mask, TapOption option, EventTapCallback callback) = 0;
};
