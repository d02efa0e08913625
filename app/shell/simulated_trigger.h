#pragma once

#include "model/settings.h"
#include "policy/input_trigger_event.h"

#include <QList>
#include <QString>

#include <optional>

// The input events that one "--simulate-trigger" word stands for, as the
// real key, trackpad or system notification would deliver them.
class SimulatedTrigger
{
public:
    // Words are matched exactly ("f4", "hotkey", "pinch", "lock", "wake",
    // "desktop"); anything else gives nothing. `time` is the system uptime
    // the events are stamped with; `hotKey` is the preset in force, used as
    // it is (also `disabled`).
    static std::optional<QList<InputTriggerEvent>> events(const QString &word, double time,
                                                          Settings::HotKeyPreset hotKey);

    SimulatedTrigger() = delete;
};
