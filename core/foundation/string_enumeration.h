#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

// One case of a closed enumeration and the fixed name it is stored and logged
// under.
template <typename Value>
struct EnumerationCase
{
    Value value;
    const char *rawValue;
};

// The shared half of a value type over a closed set of named cases. The
// derived type declares `enum Value`, converts to and from it, and lists every
// case in order with its name:
//
//     static constexpr EnumerationCase<Value> cases[] = {{pages, "pages"}, {scroll, "scroll"}};
//
// This gives it `rawValue`, `fromRawValue` and `allCases`, and a `qHash` that
// lets a case key a set or a table.
template <typename Derived>
class StringEnumeration
{
public:
    // Empty for a value outside the listed cases.
    QString rawValue() const
    {
        const typename Derived::Value value = static_cast<const Derived &>(*this);
        for (const auto &entry : Derived::cases) {
            if (entry.value == value)
                return QString::fromUtf8(entry.rawValue);
        }
        return QString();
    }

    // None for a name no case has; names match exactly, case and all.
    static std::optional<Derived> fromRawValue(const QString &rawValue)
    {
        for (const auto &entry : Derived::cases) {
            if (rawValue == QString::fromUtf8(entry.rawValue))
                return Derived(entry.value);
        }
        return std::nullopt;
    }

    static QList<Derived> allCases()
    {
        QList<Derived> all;
        for (const auto &entry : Derived::cases)
            all.append(Derived(entry.value));
        return all;
    }

    // Found by argument lookup; a plain function, so it wins over Qt's
    // catch-all templates.
    friend size_t qHash(Derived enumeration, size_t seed = 0)
    {
        return ::qHash(static_cast<int>(typename Derived::Value(enumeration)), seed);
    }
};
