#pragma once

#include "foundation/string_enumeration.h"

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

// One context-menu command on a tile or a selection of tiles.
class MenuAction : public StringEnumeration<MenuAction>
{
public:
    enum Value { open, showInFinder, rename, hide, unhide, removeFromFolder, uninstall, copyPath, addToFavorites };
    static constexpr EnumerationCase<Value> cases[] = {
        {open, "open"},
        {showInFinder, "showInFinder"},
        {rename, "rename"},
        {hide, "hide"},
        {unhide, "unhide"},
        {removeFromFolder, "removeFromFolder"},
        {uninstall, "uninstall"},
        {copyPath, "copyPath"},
        {addToFavorites, "addToFavorites"},
    };

    constexpr MenuAction(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

private:
    Value m_value;
};
