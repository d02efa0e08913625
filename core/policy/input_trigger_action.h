#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

// What a trigger does to the launcher window. The trigger policy never asks to
// show, but every receiver of actions still handles all three.
class InputTriggerAction
{
public:
    enum Value { toggle, show, hide };

    constexpr InputTriggerAction(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

    static std::optional<InputTriggerAction> fromRawValue(const QString &rawValue);
    QString rawValue() const;
    static QList<InputTriggerAction> allCases();

private:
    Value m_value;
};

inline size_t qHash(InputTriggerAction action, size_t seed = 0)
{
    return ::qHash(static_cast<int>(InputTriggerAction::Value(action)), seed);
}
