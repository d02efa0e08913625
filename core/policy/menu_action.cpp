#include "menu_action.h"

std::optional<MenuAction> MenuAction::fromRawValue(const QString &rawValue)
{
    for (MenuAction action : allCases()) {
        if (action.rawValue() == rawValue)
            return action;
    }
    return std::nullopt;
}

QString MenuAction::rawValue() const
{
    switch (m_value) {
    case open: return QStringLiteral("open");
    case showInFinder: return QStringLiteral("showInFinder");
    case rename: return QStringLiteral("rename");
    case hide: return QStringLiteral("hide");
    case unhide: return QStringLiteral("unhide");
    case removeFromFolder: return QStringLiteral("removeFromFolder");
    case uninstall: return QStringLiteral("uninstall");
    case copyPath: return QStringLiteral("copyPath");
    case addToFavorites: return QStringLiteral("addToFavorites");
    }
    return QString();
}

QList<MenuAction> MenuAction::allCases()
{
    return {open, showInFinder, rename, hide, unhide, removeFromFolder, uninstall, copyPath, addToFavorites};
}
