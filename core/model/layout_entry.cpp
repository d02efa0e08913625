#include "layout_entry.h"

LayoutEntry LayoutEntry::app(const QString &stableID)
{
    return LayoutEntry(QStringLiteral("app:") + stableID, stableID);
}

LayoutEntry LayoutEntry::makeFolder(const LayoutFolder &folder)
{
    return LayoutEntry(QStringLiteral("folder:") + folder.id, std::nullopt, folder);
}

QString LayoutEntry::title() const
{
    if (folder)
        return folder->name;
    if (appID)
        return *appID;
    return id;
}
