#pragma once

#include <QColor>
#include <QMenu>

class QAction;
class QStyleOptionMenuItem;

// A popup menu that draws destructive commands (uninstall) in red. The item
// stays an ordinary QAction, so mouse, keyboard and accessibility behave as
// for every other item; only its text colour differs. While highlighted the
// item keeps the style's highlighted text colour, so it stays readable.
class ContextMenu : public QMenu
{
public:
    // The QAction property that marks a destructive item.
    static constexpr const char *destructiveProperty = "tessellonDestructive";

    explicit ContextMenu(QWidget *parent = nullptr);

    // The system red of the platform's menus.
    static QColor destructiveColor() { return QColor(255, 59, 48); }
    static void markDestructive(QAction *action);
    static bool isDestructive(const QAction *action);

protected:
    void initStyleOption(QStyleOptionMenuItem *option, const QAction *action) const override;
};
