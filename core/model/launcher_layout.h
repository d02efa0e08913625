#pragma once

#include "app_item.h"
#include "import/import_summary.h"
#include "import/launchpad_layout.h"
#include "layout_entry.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// The whole arrangement the launcher shows: pages of entries, hidden
// applications, the user's names for applications and extra scan folders.
// A plain value; every edit of the arrangement is one operation on it.
struct LauncherLayout
{
    using Page = QList<LayoutEntry>;

    QList<Page> pages;
    QSet<QString> hiddenIDs;
    QHash<QString, QString> nameOverrides;
    QStringList customSources;

    // One empty page, nothing hidden, no overrides, no custom sources.
    LauncherLayout();
    // An empty `pages` becomes one empty page.
    LauncherLayout(QList<Page> pages, QSet<QString> hiddenIDs = {}, QHash<QString, QString> nameOverrides = {},
                   QStringList customSources = {});
    static LauncherLayout empty() { return LauncherLayout(); }

    friend bool operator==(const LauncherLayout &, const LauncherLayout &) = default;

    // The remaining operations are declared below by the layout's own files.
};
