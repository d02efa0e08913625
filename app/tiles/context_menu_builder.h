#pragma once

#include "policy/menu_action.h"
#include "policy/menu_descriptor.h"
#include "tiles/context_menu.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>

class QAction;
class QPoint;
class QWidget;

// Turns the description of a tile context menu into a popup menu. Every
// command item carries its payload (command and selection) in QAction::data()
// and, when chosen, calls the target's invokable method
//     Q_INVOKABLE void handleContextAction(QAction *item);
// which reads the payload back with Payload::from(). The builder holds the
// target weakly and keeps no menu between calls.
class ContextMenuBuilder
{
public:
    static constexpr const char *actionMethod = "handleContextAction";

    // The payload of a command item: a QVariantMap with exactly the keys
    // "action" (the command's raw value, or "" for an item without one),
    // "entryIDs" and "appIDs" (QStringList, as the menu was built for).
    struct Payload
    {
        MenuAction action;
        QStringList entryIDs;
        QStringList appIDs;

        static QVariantMap make(const std::optional<MenuAction> &action, const QStringList &entryIDs,
                                const QStringList &appIDs);
        // Nothing when the item has no map or no known "action"; missing or
        // mistyped identifier lists read as empty.
        static std::optional<Payload> from(const QAction *item);
    };

    explicit ContextMenuBuilder(QObject *target);

    // A new menu for the selection: the items of MenuDescriptor::build with
    // the first five arguments, separators included, destructive ones red.
    // Without a live target every command item is disabled.
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
    QPointer<QObject> m_target;
};
