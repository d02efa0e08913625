#pragma once

#include "menu_action.h"
#include "menu_item_descriptor.h"

#include <QList>

// The context menu of a tile or a selection, described rather than drawn: the
// renderer turns it into a platform menu and reports the chosen command.
struct MenuDescriptor
{
    QList<MenuItemDescriptor> items;
    // At least 1.
    int selectionCount = 1;

    MenuDescriptor(QList<MenuItemDescriptor> items, int selectionCount)
        : items(std::move(items)), selectionCount(selectionCount < 1 ? 1 : selectionCount)
    {
    }

    // The commands in item order, separators skipped.
    QList<MenuAction> actions() const;

    // The menu for `selectionCount` selected tiles (0 or less counts as one).
    // `isFolder` and `isInFolder` describe the clicked tile and matter only
    // for a single selection; `canUninstall` comes from UninstallEligibility.
    static MenuDescriptor build(int selectionCount, bool isFolder, bool isHidden, bool isInFolder, bool canUninstall);

    friend bool operator==(const MenuDescriptor &, const MenuDescriptor &) = default;
};
