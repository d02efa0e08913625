#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

// One context-menu command on a tile or a selection of tiles.
class MenuAction
{
public:
    enum Value { open, showInFinder, rename, hide, unhide, removeFromFolder, uninstall, copyPath, addToFavorites };

    constexpr MenuAction(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

    static std::optional<MenuAction> fromRawValue(const QString &rawValue);
    QString rawValue() const;
    static QList<MenuAction> allCases();

private:
    Value m_value;
};

inline size_t qHash(MenuAction action, size_t seed = 0)
{
    return ::qHash(static_cast<int>(MenuAction::Value(action)), seed);
}
