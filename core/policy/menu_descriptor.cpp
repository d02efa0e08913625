#include "menu_descriptor.h"

#include "localization/l10n.h"

QList<MenuAction> MenuDescriptor::actions() const
{
    QList<MenuAction> result;
    for (const MenuItemDescriptor &item : items) {
        if (item.action)
            result.append(*item.action);
    }
    return result;
}

MenuDescriptor MenuDescriptor::build(int selectionCount, bool isFolder, bool isHidden, bool isInFolder,
                                     bool canUninstall)
{
    const int count = selectionCount < 1 ? 1 : selectionCount;
    const bool multiple = count > 1;
    QList<MenuItemDescriptor> items;

    if (multiple) {
        items.append(MenuItemDescriptor(MenuAction::open, L("打开 %d 个项目", count)));
        items.append(MenuItemDescriptor(MenuAction::showInFinder, L("在文件管理器中显示 %d 个项目", count)));
    } else {
        items.append(MenuItemDescriptor(MenuAction::open, isFolder ? L("打开文件夹") : L("打开")));
        items.append(MenuItemDescriptor(MenuAction::showInFinder, L("在文件管理器中显示")));
    }
    items.append(MenuItemDescriptor::separator());

    if (!multiple) {
        items.append(MenuItemDescriptor(MenuAction::rename, isFolder ? L("重命名文件夹") : L("自定义名称…")));
        if (isInFolder)
            items.append(MenuItemDescriptor(MenuAction::removeFromFolder, L("从文件夹移出")));
    }
    items.append(MenuItemDescriptor(MenuAction::addToFavorites, L("添加到 Dock 菜单")));
    items.append(MenuItemDescriptor::separator());

    if (isHidden)
        items.append(MenuItemDescriptor(MenuAction::unhide, L("取消隐藏")));
    else
        items.append(MenuItemDescriptor(MenuAction::hide, multiple ? L("隐藏 %d 个应用", count) : L("隐藏此应用")));
    if (!multiple)
        items.append(MenuItemDescriptor(MenuAction::copyPath, L("拷贝路径")));

    if (canUninstall) {
        items.append(MenuItemDescriptor::separator());
        items.append(MenuItemDescriptor(MenuAction::uninstall,
                                        multiple ? L("卸载 %d 个应用…", count) : L("卸载应用…"), true));
    }
    return MenuDescriptor(items, count);
}
