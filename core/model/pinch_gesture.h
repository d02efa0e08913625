#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

// Which trackpad pinch, if any, toggles the launcher.
class PinchGesture
{
public:
    enum Value { off, three, four, five, system };

    constexpr PinchGesture(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

    static std::optional<PinchGesture> fromRawValue(const QString &rawValue);
    QString rawValue() const;
    static QList<PinchGesture> allCases();
    // 3, 4 or 5; none for `off` and `system`.
    std::optional<int> fingerCount() const;
    // Localized anew on every call.
    QString label() const;

private:
    Value m_value;
};

// Hashable, so that a choice can key a set or a table.
inline size_t qHash(PinchGesture gesture, size_t seed = 0)
{
    return ::qHash(static_cast<int>(PinchGesture::Value(gesture)), seed);
}
