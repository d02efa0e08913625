#pragma once

#include "foundation/string_enumeration.h"

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

// What a trigger does to the launcher window. The trigger policy never asks to
// show, but every receiver of actions still handles all three.
class InputTriggerAction : public StringEnumeration<InputTriggerAction>
{
public:
    enum Value { toggle, show, hide };
    static constexpr EnumerationCase<Value> cases[] = {{toggle, "toggle"}, {show, "show"}, {hide, "hide"}};

    constexpr InputTriggerAction(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

private:
    Value m_value;
};
