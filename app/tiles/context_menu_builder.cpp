#include "tiles/context_menu_builder.h"

#include <QAction>
#include <QMetaObject>
#include <QPoint>
#include <QWidget>

namespace {

const QString kActionKey = QStringLiteral("action");
const QString kEntryIDsKey = QStringLiteral("entryIDs");
const QString kAppIDsKey = QStringLiteral("appIDs");

QStringList stringListOr(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList();
    if (value.typeId() == QMetaType::QVariantList) {
        QStringList result;
        for (const QVariant &element : value.toList()) {
            if (element.typeId() != QMetaType::QString)
                return {};
            result.append(element.toString());
        }
        return result;
    }
    return {};
}

} // namespace

QVariantMap ContextMenuBuilder::Payload::make(const std::optional<MenuAction> &action, const QStringList &entryIDs,
                                              const QStringList &appIDs)
{
    QVariantMap map;
    map.insert(kActionKey, action ? action->rawValue() : QString());
    map.insert(kEntryIDsKey, entryIDs);
    map.insert(kAppIDsKey, appIDs);
    return map;
}

std::optional<ContextMenuBuilder::Payload> ContextMenuBuilder::Payload::from(const QAction *item)
{
    if (!item || item->data().typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = item->data().toMap();
    const QVariant action = map.value(kActionKey);
    if (action.typeId() != QMetaType::QString)
        return std::nullopt;
    const std::optional<MenuAction> parsed = MenuAction::fromRawValue(action.toString());
    if (!parsed)
        return std::nullopt;
    return Payload{*parsed, stringListOr(map.value(kEntryIDsKey)), stringListOr(map.value(kAppIDsKey))};
}

ContextMenuBuilder::ContextMenuBuilder(QObject *target) : m_target(target)
{
}

std::unique_ptr<ContextMenu> ContextMenuBuilder::makeMenu(int selectionCount, bool isFolder, bool isHidden,
                                                          bool isInFolder, bool canUninstall,
                                                          const QStringList &entryIDs,
                                                          const QStringList &appIDs) const
{
    return makeMenu(MenuDescriptor::build(selectionCount, isFolder, isHidden, isInFolder, canUninstall), entryIDs,
                    appIDs);
}

std::unique_ptr<ContextMenu> ContextMenuBuilder::makeMenu(const MenuDescriptor &descriptor,
                                                          const QStringList &entryIDs,
                                                          const QStringList &appIDs) const
{
    auto menu = std::make_unique<ContextMenu>();
    QObject *target = m_target.data();
    for (const MenuItemDescriptor &item : descriptor.items) {
        if (item.isSeparator) {
            menu->addSeparator();
            continue;
        }
        QAction *action = menu->addAction(item.title);
        action->setData(Payload::make(item.action, entryIDs, appIDs));
        if (item.isDestructive)
            ContextMenu::markDestructive(action);
        if (!target) {
            // The view has gone: the item could do nothing, so it is shown disabled.
            action->setEnabled(false);
            continue;
        }
        // The target as context object ends the connection when it is destroyed.
        QObject::connect(action, &QAction::triggered, target, [target, action] {
            QMetaObject::invokeMethod(target, actionMethod, Qt::DirectConnection, Q_ARG(QAction *, action));
        });
    }
    return menu;
}

void ContextMenuBuilder::show(int selectionCount, bool isFolder, bool isHidden, bool isInFolder, bool canUninstall,
                              const QStringList &entryIDs, const QStringList &appIDs,
                              const QPoint &globalPosition, QWidget *view) const
{
    std::unique_ptr<ContextMenu> menu =
        makeMenu(selectionCount, isFolder, isHidden, isInFolder, canUninstall, entryIDs, appIDs);
    // Parented to the view for its style and screen; if the view is destroyed
    // while the menu runs, the menu goes with it.
    if (view)
        menu->setParent(view, menu->windowFlags());
    const QPointer<ContextMenu> alive(menu.get());
    menu->exec(globalPosition);
    if (!alive)
        (void)menu.release();
}
