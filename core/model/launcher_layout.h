#pragma once

#include "app_item.h"
#include "import_summary.h"
#include "launchpad_layout.h"
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
//
// An application occurs at most once (loose or in one folder) and entry ids
// are unique; the single-entry edits act on the first match in page order.
// None of the edits normalizes the pages: callers do that when they need to.
// Page sizes below 1 act as 1 everywhere.
struct LauncherLayout
{
    using Page = QList<LayoutEntry>;

    // Where a top-level entry stands.
    struct Location
    {
        int page = 0;
        int index = 0;
        friend bool operator==(const Location &, const Location &) = default;
    };

    // insert() opens pages only up to this count, so that a wild page number
    // cannot make the layout allocate without bound.
    static constexpr int kMaxOpenedPages = 10000;

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

    // --- Reads ---------------------------------------------------------------

    // Every top-level entry, page after page.
    QList<LayoutEntry> allEntries() const;
    // The appID of every application entry plus every folder member.
    QSet<QString> containedAppIDs() const;
    // The first top-level entry with exactly this entry id.
    std::optional<Location> location(const QString &entryID) const;
    std::optional<LayoutEntry> entry(const QString &entryID) const;
    // Strips one leading "app:"; anything else comes back unchanged.
    static QString rawAppID(const QString &entryID);
    // The pages as the grid shows them: without showHidden, application entries
    // of hidden applications are left out (folders pass unchanged). Same page count.
    QList<Page> visiblePages(bool showHidden) const;
    // Applications ordered by their scanned name, with the locale's
    // case-insensitive comparison; stable for equal names.
    static QList<AppItem> sortedByName(QList<AppItem> apps);

    // --- Single-entry edits ----------------------------------------------------

    // Opens pages up to `page` (bounded by kMaxOpenedPages), clamps the page to
    // the existing pages and the index to 0...count, and inserts there.
    void insert(const LayoutEntry &entry, int page, int index);
    // Takes away the top-level entry with this id (an application also by its
    // bare stable id); failing that, the application's membership in folders,
    // a folder left with one member turning into that member's entry.
    void remove(const QString &entryID);
    // remove() then insert(); the index counts positions after the removal.
    void move(const QString &entryID, int toPage, int atIndex);
    // Drops `draggedID` onto `targetID`: into the target folder, or together
    // with the target application into a new folder in the target's place.
    // Returns the folder entry's id, or nothing when nothing was merged.
    std::optional<QString> merge(const QString &draggedID, const QString &targetID);
    // Replaces the folder of the entry "folder:" + folder.id as a whole.
    void updateFolder(const LayoutFolder &folder);
    // Sets a folder entry's name as given (no trimming).
    void rename(const QString &entryID, const QString &name);
    // Stores the trimmed name as the application's override; empty clears it.
    void renameApp(const QString &appID, const QString &name);
    // Adds the ids to hiddenIDs and takes the applications out of the pages.
    void hide(const QStringList &ids);
    // Clears the ids from hiddenIDs, then reconciles so they come back.
    void unhide(const QStringList &ids, const QList<AppItem> &apps, int pageSize);

    // --- Whole-layout operations -------------------------------------------------

    // Agrees the layout with a scan: drops unknown and hidden applications,
    // repairs folders, appends missing applications by name, normalizes.
    void reconcile(const QList<AppItem> &apps, int pageSize);
    // Adds the entry at the end of the last page, opening a page when it is full.
    void append(const LayoutEntry &entry, int pageSize);
    // Carries entries beyond the page size forward to the following pages
    // (order kept), drops trailing empty pages and keeps at least one page.
    void normalizePages(int pageSize);
    // Visible loose applications by name, then the existing folders.
    void reorganize(const QList<AppItem> &apps, int pageSize);
    // Loose applications in the given order, the rest by name, then folders.
    void applyNativeOrder(const QStringList &order, const QList<AppItem> &apps, int pageSize);

    // Replaces the arrangement by an imported one, keeping the user's own
    // folders after it and every other visible application after those.
    ImportSummary applyImportedLayout(const LaunchpadLayout &imported, const QList<AppItem> &apps, int pageSize);

private:
    static QStringList incomingAppIDs(const LayoutEntry &entry);
    // Takes `rawID` out of every folder that holds it; true when one changed.
    bool removeFromFolders(const QString &rawID);
    // Lays out the loose applications, then the folder entries, and normalizes.
    void rebuild(const QStringList &looseIDs, const QList<LayoutEntry> &folders, int pageSize);
};
