#pragma once

#include "menu_action.h"

#include <QString>

#include <optional>

// One item of a described context menu: a command with its localized title,
// or a separator.
struct MenuItemDescriptor
{
    std::optional<MenuAction> action;
    QString title;
    bool isDestructive = false;
    bool isSeparator = false;

    MenuItemDescriptor(MenuAction action, QString title, bool isDestructive = false)
        : action(action), title(std::move(title)), isDestructive(isDestructive)
    {
    }

    // No action, an empty title.
    static const MenuItemDescriptor &separator();

    friend bool operator==(const MenuItemDescriptor &, const MenuItemDescriptor &) = default;

private:
    MenuItemDescriptor() : isSeparator(true) {}
};
