#include "launcher_layout.h"

LauncherLayout::LauncherLayout()
    : pages{Page{}}
{
}

LauncherLayout::LauncherLayout(QList<Page> pages_, QSet<QString> hiddenIDs_, QHash<QString, QString> nameOverrides_,
                               QStringList customSources_)
    : pages(std::move(pages_)), hiddenIDs(std::move(hiddenIDs_)), nameOverrides(std::move(nameOverrides_)),
      customSources(std::move(customSources_))
{
    if (pages.isEmpty())
        pages.append(Page{});
}
