#pragma once

#include "foundation/string_enumeration.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// One key, trackpad-gesture or system event on its way from a monitor to the
// trigger policy. Key codes and modifier flags keep the event-tap layout.
struct InputTriggerEvent
{
    class Kind : public StringEnumeration<Kind>
    {
    public:
        enum Value {
            keyDown,
            flagsChanged,
            gestureBegan,
            gestureChanged,
            gestureEnded,
            screenLocked,
            screenUnlocked,
            systemSleep,
            systemWake,
            showDesktop
        };
        static constexpr EnumerationCase<Value> cases[] = {
            {keyDown, "keyDown"},
            {flagsChanged, "flagsChanged"},
            {gestureBegan, "gestureBegan"},
            {gestureChanged, "gestureChanged"},
            {gestureEnded, "gestureEnded"},
            {screenLocked, "screenLocked"},
            {screenUnlocked, "screenUnlocked"},
            {systemSleep, "systemSleep"},
            {systemWake, "systemWake"},
            {showDesktop, "showDesktop"},
        };

        constexpr Kind(Value value) : m_value(value) {}
        constexpr operator Value() const { return m_value; }

    private:
        Value m_value;
    };

    class Origin : public StringEnumeration<Origin>
    {
    public:
        enum Value { eventTap, hotKey, notification, simulated };
        static constexpr EnumerationCase<Value> cases[] = {
            {eventTap, "eventTap"},
            {hotKey, "hotKey"},
            {notification, "notification"},
            {simulated, "simulated"},
        };

        constexpr Origin(Value value) : m_value(value) {}
        constexpr operator Value() const { return m_value; }

    private:
        Value m_value;
    };

    Kind kind;
    Origin origin = Origin::eventTap;
    // Virtual key code of a key event (49 Space, 118 F4).
    qint64 keyCode = 0;
    // Modifier-flag word of the event tap; unrelated bits may be set.
    quint64 flags = 0;
    bool isRepeat = false;
    // Fingers on the trackpad; 0 when the device did not say.
    int fingerCount = 0;
    // Carried for diagnostics; the policy judges a pinch by its phases alone.
    double magnification = 0;
    // Seconds on a monotonic clock; only differences are used.
    double time = 0;

    explicit InputTriggerEvent(Kind kind, Origin origin = Origin::eventTap, qint64 keyCode = 0, quint64 flags = 0,
                      bool isRepeat = false, int fingerCount = 0, double magnification = 0, double time = 0)
        : kind(kind), origin(origin), keyCode(keyCode), flags(flags), isRepeat(isRepeat), fingerCount(fingerCount),
          magnification(magnification), time(time)
    {
    }

    friend bool operator==(const InputTriggerEvent &, const InputTriggerEvent &) = default;
};
