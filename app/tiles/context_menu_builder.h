#pragma once

#include "policy/menu_action.h"
#include "policy/menu_descriptor.h"
#include "tiles/context_menu.h"

#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QPoint;
class QWidget;

// Turns the description of a tile context menu into a popup menu. Choosing a
// command item calls `choose` with the command and the selection the menu
// was built for, as long as `context` (the menu's owner) lives. The builder
// holds the context weakly and keeps no menu between calls.
class ContextMenuBuilder
{
public:
    // What a command item asks for: its command and the selection it acts on.
    struct Payload
    {
        MenuAction action = MenuAction::open;
        QStringList entryIDs;
        QStringList appIDs;

        // The payload a command item of this builder carries in its data;
        // nothing for a separator, an item without a command or any other
        // item.
        static std::optional<Payload> from(const QAction *item);
    };
    using Choose = std::function<void(const Payload &payload)>;

    ContextMenuBuilder(QObject *context, Choose choose);

    // A new menu for the selection: the items of MenuDescriptor::build with
    // the first five arguments, separators included, destructive ones red.
    // Without a live context every command item is disabled.
    std::unique_ptr<ContextMenu> makeMenu(int selectionCount, bool isFolder, bool isHidden, bool isInFolder,
                                          bool canUninstall, const QStringList &entryIDs,
                                          const QStringList &appIDs) const;
    std::unique_ptr<ContextMenu> makeMenu(const MenuDescriptor &descriptor, const QStringList &entryIDs,
                                          const QStringList &appIDs) const;

    // Builds the menu and runs it at a global position; returns when it closes.
    void show(int selectionCount, bool isFolder, bool isHidden, bool isInFolder, bool canUninstall,
              const QStringList &entryIDs, const QStringList &appIDs, const QPoint &globalPosition,
              QWidget *view) const;

private:
    QPointer<QObject> m_context;
    Choose m_choose;
};

Q_DECLARE_METATYPE(ContextMenuBuilder::Payload)
