#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

// The icon corner that carries the delete badge in edit mode.
class EditModeBadgePlacement
{
public:
    enum Value { topLeft, topRight };

    constexpr EditModeBadgePlacement(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

    // "left" or "right" exactly.
    static std::optional<EditModeBadgePlacement> fromRawValue(const QString &rawValue);
    QString rawValue() const;
    static QList<EditModeBadgePlacement> allCases();

    // Lenient reading of a command-line value: "right", "topright",
    // "top-right" or "tr" in any letter case give topRight; anything else,
    // and no value, topLeft. Not trimmed.
    static EditModeBadgePlacement parse(const std::optional<QString> &text);

private:
    Value m_value;
};

inline size_t qHash(EditModeBadgePlacement placement, size_t seed = 0)
{
    return ::qHash(static_cast<int>(EditModeBadgePlacement::Value(placement)), seed);
}
