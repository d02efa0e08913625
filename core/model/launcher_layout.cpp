#include "launcher_layout.h"

#include "localization/l10n.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace {

const QString kAppPrefix = QStringLiteral("app:");
const QString kFolderPrefix = QStringLiteral("folder:");

// What is left of a folder after its members changed: nothing, the one
// remaining application, or the folder under its old entry id and place.
std::optional<LayoutEntry> collapsed(const LayoutEntry &entry, const QStringList &members)
{
    if (members.isEmpty())
        return std::nullopt;
    if (members.size() == 1)
        return LayoutEntry::app(members.first());
    LayoutEntry result = entry;
    result.folder->bundleIDs = members;
    return result;
}

} // namespace

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

// --- Reads -----------------------------------------------------------------------

QList<LayoutEntry> LauncherLayout::allEntries() const
{
    QList<LayoutEntry> result;
    qsizetype total = 0;
    for (const Page &page : pages)
        total += page.size();
    result.reserve(total);
    for (const Page &page : pages)
        result.append(page);
    return result;
}

QSet<QString> LauncherLayout::containedAppIDs() const
{
    QSet<QString> result;
    for (const Page &page : pages) {
        for (const LayoutEntry &e : page) {
            if (e.appID)
                result.insert(*e.appID);
            if (e.folder) {
                for (const QString &member : e.folder->bundleIDs)
                    result.insert(member);
            }
        }
    }
    return result;
}

std::optional<LauncherLayout::Location> LauncherLayout::location(const QString &entryID) const
{
    for (qsizetype p = 0; p < pages.size(); ++p) {
        const Page &page = pages[p];
        for (qsizetype i = 0; i < page.size(); ++i) {
            if (page[i].id == entryID)
                return Location{int(p), int(i)};
        }
    }
    return std::nullopt;
}

std::optional<LayoutEntry> LauncherLayout::entry(const QString &entryID) const
{
    const std::optional<Location> where = location(entryID);
    if (!where)
        return std::nullopt;
    return pages[where->page][where->index];
}

QString LauncherLayout::rawAppID(const QString &entryID)
{
    return entryID.startsWith(kAppPrefix) ? entryID.mid(kAppPrefix.size()) : entryID;
}

QList<LauncherLayout::Page> LauncherLayout::visiblePages(bool showHidden) const
{
    if (showHidden)
        return pages;
    QList<Page> result;
    result.reserve(pages.size());
    for (const Page &page : pages) {
        Page shown;
        shown.reserve(page.size());
        for (const LayoutEntry &e : page) {
            // Only loose applications are filtered; a folder shows as stored.
            if (!e.folder && e.appID && hiddenIDs.contains(*e.appID))
                continue;
            shown.append(e);
        }
        result.append(shown);
    }
    return result;
}

QList<AppItem> LauncherLayout::sortedByName(QList<AppItem> apps)
{
    if (apps.size() < 2)
        return apps;
    // The C locale collates by code point, which would put "Éclair" after
    // "Zed"; a process without a locale sorts as English does instead.
    const QLocale locale = QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
    // Opening a collator costs more than sorting a short list; keep one per
    // thread (a collator is not safe to share) until the locale changes.
    thread_local std::optional<QCollator> collator;
    if (!collator || collator->locale() != locale) {
        collator.emplace(locale);
        collator->setCaseSensitivity(Qt::CaseInsensitive);
    }
    // One sort key per application instead of a collation per comparison.
    QList<QCollatorSortKey> keys;
    keys.reserve(apps.size());
    for (const AppItem &app : apps)
        keys.append(collator->sortKey(app.name.toCaseFolded()));
    QList<qsizetype> order(apps.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(),
                     [&keys](qsizetype a, qsizetype b) { return keys[a].compare(keys[b]) < 0; });
    QList<AppItem> result;
    result.reserve(apps.size());
    for (qsizetype i : order)
        result.append(std::move(apps[i]));
    return result;
}

// --- Single-entry edits -----------------------------------------------------------

void LauncherLayout::insert(const LayoutEntry &newEntry, int page, int index)
{
    while (page >= pages.size() && pages.size() < kMaxOpenedPages)
        pages.append(Page{});
    // A layout read from disk may hold no page at all; the entry must land somewhere.
    if (pages.isEmpty())
        pages.append(Page{});
    const qsizetype target = std::clamp<qsizetype>(page, 0, pages.size() - 1);
    Page &onPage = pages[target];
    const qsizetype slot = std::clamp<qsizetype>(index, 0, onPage.size());
    onPage.insert(slot, newEntry);
}

bool LauncherLayout::removeFromFolders(const QString &rawID)
{
    bool changed = false;
    for (Page &page : pages) {
        for (qsizetype i = 0; i < page.size(); ++i) {
            const LayoutEntry &e = page[i];
            if (!e.folder || !e.folder->bundleIDs.contains(rawID))
                continue;
            QStringList members = e.folder->bundleIDs;
            members.removeAll(rawID);
            const std::optional<LayoutEntry> rest = collapsed(e, members);
            changed = true;
            if (rest) {
                page[i] = *rest;
            } else {
                page.removeAt(i);
                --i;
            }
        }
    }
    return changed;
}

void LauncherLayout::remove(const QString &entryID)
{
    const QString appEntryID = kAppPrefix + rawAppID(entryID);
    bool removedTopLevel = false;
    // Every top-level copy goes: a stored file may repeat an entry, and a copy
    // left behind would bring a removed or hidden application back.
    for (Page &page : pages) {
        const qsizetype removed =
            page.removeIf([&](const LayoutEntry &e) { return e.id == entryID || e.id == appEntryID; });
        removedTopLevel = removedTopLevel || removed > 0;
    }
    if (removedTopLevel)
        return;
    // Not loose: take the application out of its folder.
    removeFromFolders(rawAppID(entryID));
}

void LauncherLayout::move(const QString &entryID, int toPage, int atIndex)
{
    const std::optional<LayoutEntry> moving = entry(entryID);
    if (!moving)
        return;
    remove(entryID);
    insert(*moving, toPage, atIndex);
}

QStringList LauncherLayout::incomingAppIDs(const LayoutEntry &e)
{
    if (e.appID)
        return {*e.appID};
    if (e.folder)
        return e.folder->bundleIDs;
    return {};
}

std::optional<QString> LauncherLayout::merge(const QString &draggedID, const QString &targetID)
{
    if (draggedID == targetID)
        return std::nullopt;
    const std::optional<LayoutEntry> dragged = entry(draggedID);
    if (!dragged || (!dragged->appID && !dragged->folder))
        return std::nullopt;
    const std::optional<Location> where = location(targetID);
    if (!where)
        return std::nullopt;
    const LayoutEntry target = pages[where->page][where->index];
    const QStringList incoming = incomingAppIDs(*dragged);

    if (target.folder) {
        LayoutFolder folder = *target.folder;
        for (const QString &id : incoming) {
            if (!folder.bundleIDs.contains(id))
                folder.bundleIDs.append(id);
        }
        // Written at the target's own place: a stored entry whose id does not
        // match its folder would otherwise miss the update and lose the
        // dragged applications with the removal below.
        pages[where->page][where->index].folder = folder;
        remove(draggedID);
        return target.id;
    }

    if (!target.appID)
        return std::nullopt;
    QStringList members{*target.appID};
    for (const QString &id : incoming) {
        if (!members.contains(id))
            members.append(id);
    }
    // A dragged folder holding only the target's application adds nothing, and
    // a one-member folder is never made.
    if (members.size() < 2)
        return std::nullopt;
    const LayoutFolder folder(LayoutFolder::newIdentifier(), L("文件夹"), members);
    const LayoutEntry folderEntry = LayoutEntry::makeFolder(folder);
    pages[where->page][where->index] = folderEntry;
    remove(draggedID);
    return folderEntry.id;
}

void LauncherLayout::updateFolder(const LayoutFolder &folder)
{
    const QString entryID = kFolderPrefix + folder.id;
    for (Page &page : pages) {
        for (LayoutEntry &e : page) {
            if (e.id == entryID) {
                e.folder = folder;
                return;
            }
        }
    }
}

void LauncherLayout::rename(const QString &entryID, const QString &name)
{
    const std::optional<Location> where = location(entryID);
    if (!where)
        return;
    LayoutEntry &e = pages[where->page][where->index];
    if (e.folder)
        e.folder->name = name;
}

void LauncherLayout::renameApp(const QString &appID, const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        nameOverrides.remove(appID);
    else
        nameOverrides.insert(appID, trimmed);
}

void LauncherLayout::hide(const QStringList &ids)
{
    for (const QString &id : ids) {
        hiddenIDs.insert(id);
        remove(kAppPrefix + id);
        // A stored file may hold the application loose and in a folder; a
        // hidden application must not stay visible through either.
        removeFromFolders(id);
    }
}

void LauncherLayout::unhide(const QStringList &ids, const QList<AppItem> &apps, int pageSize)
{
    for (const QString &id : ids)
        hiddenIDs.remove(id);
    reconcile(apps, pageSize);
}
