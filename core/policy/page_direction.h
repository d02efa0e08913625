#pragma once

#include "foundation/string_enumeration.h"

// One page step: toward the previous or the next page. Wheel, trackpad and
// side-button input all name their steps with it.
class PageDirection : public StringEnumeration<PageDirection>
{
public:
    enum Value { previous, next };
    static constexpr EnumerationCase<Value> cases[] = {{previous, "previous"}, {next, "next"}};

    constexpr PageDirection(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

private:
    Value m_value;
};
