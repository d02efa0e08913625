#include "dock_menu.h"

#include "localization/l10n.h"
#include "model/launcher_layout.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QPixmap>

QStringList DockMenu::appIDs(const QStringList &pinned, const QList<AppItem> &apps)
{
    if (!pinned.isEmpty())
        return pinned.mid(0, maxApps);
    QStringList ids;
    const QList<AppItem> sorted = LauncherLayout::sortedByName(apps);
    for (const AppItem &app : sorted) {
        if (ids.size() == maxApps)
            break;
        ids.append(app.stableID());
    }
    return ids;
}

std::unique_ptr<QMenu> DockMenu::build(const Source &source, const Actions &actions)
{
    auto menu = std::make_unique<QMenu>();
    QMenu *owner = menu.get();
    auto connect = [owner](QAction *item, std::function<void()> action) {
        QObject::connect(item, &QAction::triggered, owner, [action = std::move(action)] {
            if (action)
                action();
        });
    };
    connect(menu->addAction(L(QStringLiteral("显示启动台"))), actions.showLauncher);
    connect(menu->addAction(L(QStringLiteral("设置…"))), actions.showSettings);
    menu->addSeparator();

    auto *apps = new QMenu(L(QStringLiteral("常用应用")), owner);
    for (const QString &id : appIDs(source.pinned, source.apps)) {
        const std::optional<AppItem> app = source.app ? source.app(id) : std::nullopt;
        if (!app)
            continue; // uninstalled since it was pinned: a gap, not an error
        // A lone "&" would otherwise be read as a mnemonic marker and vanish.
        QString title = app->name;
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *item = apps->addAction(title);
        item->setData(id);
        if (source.cachedIcon) {
            if (const std::optional<QImage> image = source.cachedIcon(*app); image && !image->isNull()) {
                // A scaled copy: the cached image keeps its size for the tiles.
                item->setIcon(QIcon(QPixmap::fromImage(
                    image->scaled(iconSide, iconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation))));
            }
        }
        QObject::connect(item, &QAction::triggered, owner, [item, open = actions.openAppFromMenu] {
            if (open)
                open(item);
        });
    }
    // Added last, and also when it is empty.
    menu->addMenu(apps);
    return menu;
}
