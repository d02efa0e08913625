#pragma once

#include "model/app_item.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;

// The Dock icon's menu: show the launcher, the settings, and a submenu of up
// to ten applications (the pins, else the first applications by name). It
// keeps no state; it is built afresh on every request. Linux has no Dock to
// show it, but the menu is built and tested all the same.
class DockMenu
{
public:
    static constexpr int maxApps = 10;

    struct Actions
    {
        std::function<void()> showLauncher;
        std::function<void()> showSettings;
        // Receives the chosen item; its data() is the application's stable
        // identifier.
        std::function<void(QAction *item)> openAppFromMenu;
    };

    // What the menu reads of the session and the icon cache.
    struct Source
    {
        QStringList pinned;
        QList<AppItem> apps;
        std::function<std::optional<AppItem>(const QString &id)> app;
        // Only what is already cached: building the menu starts no load.
        std::function<std::optional<QImage>(const AppItem &app)> cachedIcon;
    };

    // The identifiers to offer, in order: the first ten pins when there are
    // any (never mixed with other applications), otherwise the first ten
    // applications sorted by name.
    static QStringList appIDs(const QStringList &pinned, const QList<AppItem> &apps);

    // Side of the item icons, in points.
    static constexpr int iconSide = 16;

    static std::unique_ptr<QMenu> build(const Source &source, const Actions &actions);

    DockMenu() = delete;
};
