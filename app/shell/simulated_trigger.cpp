#include "simulated_trigger.h"

#include "policy/input_trigger_policy.h"

std::optional<QList<InputTriggerEvent>> SimulatedTrigger::events(const QString &word, double time,
                                                                 Settings::HotKeyPreset hotKey)
{
    using Kind = InputTriggerEvent::Kind;
    using Origin = InputTriggerEvent::Origin;
    if (word == QLatin1String("f4"))
        return QList{InputTriggerEvent(Kind::keyDown, Origin::simulated, InputTriggerPolicy::f4KeyCode, 0, false, 0,
                                       0, time)};
    if (word == QLatin1String("hotkey"))
        return QList{InputTriggerEvent(Kind::keyDown, Origin::simulated, qint64(hotKey.keyCode()),
                                       InputTriggerPolicy::cgFlags(hotKey.modifiers()), false, 0, 0, time)};
    if (word == QLatin1String("pinch")) {
        // The spacing lives only in the time stamps: the three are delivered
        // back to back.
        return QList{InputTriggerEvent(Kind::gestureBegan, Origin::simulated, 0, 0, false, 0, 0, time),
                     InputTriggerEvent(Kind::gestureChanged, Origin::simulated, 0, 0, false, 0, 0.4, time + 0.08),
                     InputTriggerEvent(Kind::gestureEnded, Origin::simulated, 0, 0, false, 0, 0, time + 0.16)};
    }
    if (word == QLatin1String("lock"))
        return QList{InputTriggerEvent(Kind::screenLocked, Origin::notification, 0, 0, false, 0, 0, time)};
    if (word == QLatin1String("wake"))
        return QList{InputTriggerEvent(Kind::systemWake, Origin::notification, 0, 0, false, 0, 0, time)};
    if (word == QLatin1String("desktop"))
        return QList{InputTriggerEvent(Kind::showDesktop, Origin::notification, 0, 0, false, 0, 0, time)};
    return std::nullopt;
}
