#include "tiles/context_menu_builder.h"

#include <QAction>
#include <QPoint>
#include <QWidget>

std::optional<ContextMenuBuilder::Payload> ContextMenuBuilder::Payload::from(const QAction *item)
{
    if (!item || item->data().metaType() != QMetaType::fromType<Payload>())
        return std::nullopt;
    return item->data().value<Payload>();
}

ContextMenuBuilder::ContextMenuBuilder(QObject *context, Choose choose)
    : m_context(context), m_choose(std::move(choose))
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
    QObject *context = m_context.data();
    for (const MenuItemDescriptor &item : descriptor.items) {
        if (item.isSeparator) {
            menu->addSeparator();
            continue;
        }
        QAction *action = menu->addAction(item.title);
        if (item.isDestructive)
            ContextMenu::markDestructive(action);
        if (!context) {
            // The owner has gone: the item could do nothing, so it is shown disabled.
            action->setEnabled(false);
        }
        if (!item.action)
            continue;
        const Payload payload{*item.action, entryIDs, appIDs};
        action->setData(QVariant::fromValue(payload));
        if (context && m_choose) {
            // The context object ends the connection when it is destroyed.
            QObject::connect(action, &QAction::triggered, context,
                             [choose = m_choose, payload] { choose(payload); });
        }
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
