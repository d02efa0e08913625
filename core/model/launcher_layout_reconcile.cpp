#include "launcher_layout.h"

#include <algorithm>

void LauncherLayout::append(const LayoutEntry &newEntry, int pageSize)
{
    const qsizetype size = std::max(1, pageSize);
    if (pages.isEmpty())
        pages.append(Page{});
    if (pages.last().size() >= size)
        pages.append(Page{});
    pages.last().append(newEntry);
}

void LauncherLayout::normalizePages(int pageSize)
{
    const qsizetype size = std::max(1, pageSize);
    // Each over-full page hands its surplus, in order, to the front of the next
    // page, which may pass it on further. Computed as the fixed point of moving
    // one entry at a time, in one linear pass however large the surplus:
    // reading order never changes, and empty pages between others stay.
    const bool overfull = std::any_of(pages.cbegin(), pages.cend(), [&](const Page &p) { return p.size() > size; });
    if (overfull) {
        const QList<LayoutEntry> flat = allEntries();
        QList<Page> result;
        result.reserve(pages.size());
        qsizetype next = 0;  // first entry of `flat` not yet placed
        qsizetype carry = 0; // entries pushed on from the page before
        const auto take = [&](qsizetype count) {
            result.append(flat.mid(next, count));
            next += count;
        };
        for (const Page &page : pages) {
            const qsizetype here = carry + page.size();
            const qsizetype kept = std::min(here, size);
            carry = here - kept;
            take(kept);
        }
        while (carry > 0) {
            const qsizetype kept = std::min(carry, size);
            carry -= kept;
            take(kept);
        }
        pages = std::move(result);
    }
    while (pages.size() >= 2 && pages.last().isEmpty())
        pages.removeLast();
    if (pages.isEmpty())
        pages.append(Page{});
}

void LauncherLayout::reconcile(const QList<AppItem> &apps, int pageSize)
{
    QSet<QString> known;
    known.reserve(apps.size());
    for (const AppItem &app : apps)
        known.insert(app.stableID());
    const auto visible = [&](const QString &id) { return known.contains(id) && !hiddenIDs.contains(id); };

    // Applications and entry ids already kept, so that a stored file that
    // repeats one comes out with it once: the first occurrence wins.
    QSet<QString> placed;
    QSet<QString> entryIDs;
    placed.reserve(apps.size());
    entryIDs.reserve(apps.size());
    for (Page &page : pages) {
        Page rewritten;
        rewritten.reserve(page.size());
        for (const LayoutEntry &e : page) {
            if (e.appID) {
                if (visible(*e.appID) && !placed.contains(*e.appID)) {
                    placed.insert(*e.appID);
                    // Rebuilt from the application id: an entry stored with a
                    // stray id or folder is repaired here.
                    const LayoutEntry app = LayoutEntry::app(*e.appID);
                    entryIDs.insert(app.id);
                    rewritten.append(app);
                }
            } else if (e.folder) {
                LayoutFolder folder = *e.folder;
                QStringList members;
                for (const QString &id : folder.bundleIDs) {
                    if (visible(id) && !placed.contains(id)) {
                        placed.insert(id);
                        members.append(id);
                    }
                }
                if (members.isEmpty())
                    continue;
                if (members.size() == 1) {
                    const LayoutEntry app = LayoutEntry::app(members.first());
                    entryIDs.insert(app.id);
                    rewritten.append(app);
                    continue;
                }
                folder.bundleIDs = members;
                LayoutEntry repaired = LayoutEntry::makeFolder(folder);
                if (entryIDs.contains(repaired.id)) {
                    // Two folders under one id: the second gets its own.
                    folder.id = LayoutFolder::newIdentifier();
                    repaired = LayoutEntry::makeFolder(folder);
                }
                entryIDs.insert(repaired.id);
                rewritten.append(repaired);
            }
            // An entry with neither an application nor a folder is dropped.
        }
        page = std::move(rewritten);
    }

    QList<AppItem> missing;
    for (const AppItem &app : apps) {
        const QString id = app.stableID();
        if (!hiddenIDs.contains(id) && !placed.contains(id)) {
            placed.insert(id); // a scan that repeats an application adds it once
            missing.append(app);
        }
    }
    for (const AppItem &app : sortedByName(std::move(missing)))
        append(LayoutEntry::app(app.stableID()), pageSize);
    normalizePages(pageSize);
}

void LauncherLayout::rebuild(const QStringList &looseIDs, const QList<LayoutEntry> &folders, int pageSize)
{
    pages.clear();
    for (const QString &id : looseIDs)
        append(LayoutEntry::app(id), pageSize);
    for (const LayoutEntry &folder : folders)
        append(folder, pageSize);
    normalizePages(pageSize);
}

namespace {

QList<LayoutEntry> folderEntries(const QList<LauncherLayout::Page> &pages, QSet<QString> &members)
{
    QList<LayoutEntry> result;
    for (const LauncherLayout::Page &page : pages) {
        for (const LayoutEntry &e : page) {
            if (e.isFolder()) {
                result.append(e);
                for (const QString &id : e.folder->bundleIDs)
                    members.insert(id);
            }
        }
    }
    return result;
}

} // namespace

void LauncherLayout::reorganize(const QList<AppItem> &apps, int pageSize)
{
    QSet<QString> taken; // folder members stay in their folders, not loose too
    const QList<LayoutEntry> folders = folderEntries(pages, taken);
    QStringList loose;
    for (const AppItem &app : sortedByName(apps)) {
        const QString id = app.stableID();
        if (!hiddenIDs.contains(id) && !taken.contains(id)) {
            taken.insert(id);
            loose.append(id);
        }
    }
    rebuild(loose, folders, pageSize);
}

void LauncherLayout::applyNativeOrder(const QStringList &order, const QList<AppItem> &apps, int pageSize)
{
    QSet<QString> known;
    known.reserve(apps.size());
    for (const AppItem &app : apps)
        known.insert(app.stableID());

    QSet<QString> taken; // folder members stay in their folders, not loose too
    const QList<LayoutEntry> folders = folderEntries(pages, taken);
    QStringList loose;
    for (const QString &id : order) {
        if (known.contains(id) && !hiddenIDs.contains(id) && !taken.contains(id)) {
            taken.insert(id);
            loose.append(id);
        }
    }
    for (const AppItem &app : sortedByName(apps)) {
        const QString id = app.stableID();
        if (!hiddenIDs.contains(id) && !taken.contains(id)) {
            taken.insert(id);
            loose.append(id);
        }
    }
    rebuild(loose, folders, pageSize);
}
