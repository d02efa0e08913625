#pragma once

#include "foundation/string_enumeration.h"

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

// Which trackpad pinch, if any, toggles the launcher.
class PinchGesture : public StringEnumeration<PinchGesture>
{
public:
    enum Value { off, three, four, five, system };
    static constexpr EnumerationCase<Value> cases[] = {
        {off, "off"},
        {three, "three"},
        {four, "four"},
        {five, "five"},
        {system, "system"},
    };

    constexpr PinchGesture(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

    // 3, 4 or 5; none for `off` and `system`.
    std::optional<int> fingerCount() const;
    // Localized anew on every call.
    QString label() const;

private:
    Value m_value;
};
