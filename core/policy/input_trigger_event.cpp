#include "input_trigger_event.h"

std::optional<InputTriggerEvent::Kind> InputTriggerEvent::Kind::fromRawValue(const QString &rawValue)
{
    for (Kind kind : allCases()) {
        if (kind.rawValue() == rawValue)
            return kind;
    }
    return std::nullopt;
}

QString InputTriggerEvent::Kind::rawValue() const
{
    switch (m_value) {
    case keyDown: return QStringLiteral("keyDown");
    case flagsChanged: return QStringLiteral("flagsChanged");
    case gestureBegan: return QStringLiteral("gestureBegan");
    case gestureChanged: return QStringLiteral("gestureChanged");
    case gestureEnded: return QStringLiteral("gestureEnded");
    case screenLocked: return QStringLiteral("screenLocked");
    case screenUnlocked: return QStringLiteral("screenUnlocked");
    case systemSleep: return QStringLiteral("systemSleep");
    case systemWake: return QStringLiteral("systemWake");
    case showDesktop: return QStringLiteral("showDesktop");
    }
    return QString();
}

QList<InputTriggerEvent::Kind> InputTriggerEvent::Kind::allCases()
{
    return {keyDown,      flagsChanged,   gestureBegan, gestureChanged, gestureEnded,
            screenLocked, screenUnlocked, systemSleep,  systemWake,     showDesktop};
}

std::optional<InputTriggerEvent::Origin> InputTriggerEvent::Origin::fromRawValue(const QString &rawValue)
{
    for (Origin origin : allCases()) {
        if (origin.rawValue() == rawValue)
            return origin;
    }
    return std::nullopt;
}

QString InputTriggerEvent::Origin::rawValue() const
{
    switch (m_value) {
    case eventTap: return QStringLiteral("eventTap");
    case hotKey: return QStringLiteral("hotKey");
    case notification: return QStringLiteral("notification");
    case simulated: return QStringLiteral("simulated");
    }
    return QString();
}

QList<InputTriggerEvent::Origin> InputTriggerEvent::Origin::allCases()
{
    return {eventTap, hotKey, notification, simulated};
}
