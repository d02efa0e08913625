#include "status_menu.h"

#include "localization/key_words.h"
#include "localization/l10n.h"

#include <QAction>
#include <QMenu>

namespace {

void addItem(QMenu &menu, const QString &title, const std::function<void()> &action)
{
    QAction *item = menu.addAction(title);
    // The menu is rebuilt wholesale; its callbacks are copies and never
    // outlive it.
    QObject::connect(item, &QAction::triggered, &menu, [action] {
        if (action)
            action();
    });
}

} // namespace

QString StatusMenu::toolTip(Settings::HotKeyPreset hotKey)
{
    return KeyWords::forDisplay(L(QStringLiteral("Tessellon · %@ 唤起启动台"), hotKey.label()));
}

QString StatusMenu::toolTipForHeldKey(Settings::HotKeyPreset hotKey)
{
    return QStringLiteral("Tessellon · ")
        + L(QStringLiteral("全局快捷键 %@ 已被其他程序占用，未能设置"), KeyWords::forDisplay(hotKey.label()));
}

std::unique_ptr<QMenu> StatusMenu::build(const Actions &actions)
{
    auto menu = std::make_unique<QMenu>();
    addItem(*menu, L(QStringLiteral("显示启动台")), actions.showLauncher);
    addItem(*menu, L(QStringLiteral("设置…")), actions.showSettings);
    menu->addSeparator();
    addItem(*menu, L(QStringLiteral("导入原生启动台布局")), actions.importNative);
    addItem(*menu, L(QStringLiteral("重新扫描应用")), actions.rescan);
    menu->addSeparator();
    addItem(*menu, L(QStringLiteral("关于 Tessellon")), actions.showAbout);
    addItem(*menu, L(QStringLiteral("退出 Tessellon")), actions.quit);
    return menu;
}
