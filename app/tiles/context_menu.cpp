#include "tiles/context_menu.h"

#include <QAction>
#include <QStyleOptionMenuItem>

ContextMenu::ContextMenu(QWidget *parent) : QMenu(parent)
{
}

void ContextMenu::markDestructive(QAction *action)
{
    if (action)
        action->setProperty(destructiveProperty, true);
}

bool ContextMenu::isDestructive(const QAction *action)
{
    return action && action->property(destructiveProperty).toBool();
}

void ContextMenu::initStyleOption(QStyleOptionMenuItem *option, const QAction *action) const
{
    QMenu::initStyleOption(option, action);
    if (!option || !isDestructive(action))
        return;
    // Styles differ in the role they paint item text with; set all of them.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        option->palette.setColor(group, QPalette::Text, destructiveColor());
        option->palette.setColor(group, QPalette::WindowText, destructiveColor());
        option->palette.setColor(group, QPalette::ButtonText, destructiveColor());
    }
}
