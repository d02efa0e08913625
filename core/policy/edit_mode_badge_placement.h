#pragma once

#include "foundation/string_enumeration.h"

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

// The icon corner that carries the delete badge in edit mode.
class EditModeBadgePlacement : public StringEnumeration<EditModeBadgePlacement>
{
public:
    enum Value { topLeft, topRight };
    static constexpr EnumerationCase<Value> cases[] = {{topLeft, "left"}, {topRight, "right"}};

    constexpr EditModeBadgePlacement(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

    // "left" or "right" exactly.

    // Lenient reading of a command-line value: "right", "topright",
    // "top-right" or "tr" in any letter case give topRight; anything else,
    // and no value, topLeft. Not trimmed.
    static EditModeBadgePlacement parse(const std::optional<QString> &text);

private:
    Value m_value;
};
