#include "launcher_session.h"

#include "model/search.h"
#include "policy/display_paging.h"

#include <algorithm>

// ---------------------------------------------------------------- signals

void LauncherSession::notifyChange()
{
    emit changed();
}

// ---------------------------------------------------------------- changes

LauncherLayout LauncherSession::layoutForDisk() const
{
    if (!hasGridOverride())
        return m_layout;
    // The grid shows the entries re-flowed into pages of its size, so cutting
    // the same order at the user's own page size stores exactly what was
    // shown, without leaving the file paged for a grid of one run.
    LauncherLayout stored = m_layout;
    const qsizetype size = std::max(1, persistentSettings().pageSize());
    const QList<LayoutEntry> entries = m_layout.allEntries();
    stored.pages.clear();
    for (qsizetype start = 0; start < entries.size(); start += size)
        stored.pages.append(entries.mid(start, size));
    if (stored.pages.isEmpty())
        stored.pages.append(LauncherLayout::Page{});
    return stored;
}

void LauncherSession::save()
{
    m_store.save(layoutForDisk());
}

void LauncherSession::commit(const LayoutChange &change)
{
    if (change)
        change(m_layout);
    save();
    notifyChange();
}

void LauncherSession::releaseChangedOverrides(const Settings &before)
{
    if (m_shadowed.columns && m_settings.columns != before.columns)
        m_shadowed.columns.reset();
    if (m_shadowed.rows && m_settings.rows != before.rows)
        m_shadowed.rows.reset();
    if (m_shadowed.sideInset && m_settings.sideInset != before.sideInset)
        m_shadowed.sideInset.reset();
    if (m_shadowed.iconScale && m_settings.iconScale != before.iconScale)
        m_shadowed.iconScale.reset();
    if (m_shadowed.viewMode && m_settings.viewMode != before.viewMode)
        m_shadowed.viewMode.reset();
    if (m_shadowed.pinchGesture && m_settings.pinchGesture != before.pinchGesture)
        m_shadowed.pinchGesture.reset();
    if (m_shadowed.useLaunchpadNames && m_settings.useLaunchpadNames != before.useLaunchpadNames)
        m_shadowed.useLaunchpadNames.reset();
}

void LauncherSession::updateSettings(const SettingsChange &change, bool persist)
{
    const Settings before = m_settings;
    if (change)
        change(m_settings);
    releaseChangedOverrides(before);
    configureLanguage();
    if (persist)
        persistentSettings().save(userDefaults());
    m_layout.normalizePages(m_settings.pageSize());
    save();
    emit settingsChanged();
    notifyChange();
}

void LauncherSession::previewSettings(const SettingsChange &change)
{
    const Settings before = m_settings;
    if (change)
        change(m_settings);
    releaseChangedOverrides(before);
    configureLanguage();
    m_layout.normalizePages(m_settings.pageSize());
    emit settingsChanged();
    notifyChange();
}

void LauncherSession::switchLanguageForAutomation(AppLanguage language)
{
    if (!language.isConcrete())
        return;
    m_languageOverride.reset();
    updateSettings([language](Settings &settings) { settings.language = language; }, false);
}

void LauncherSession::togglePin(const QString &id)
{
    if (m_pinned.contains(id))
        m_pinned.removeAll(id);
    else
        m_pinned.append(id);
    m_store.savePinned(m_pinned);
    notifyChange();
}

void LauncherSession::reorganize()
{
    commit([this](LauncherLayout &layout) { layout.reorganize(m_apps, m_settings.pageSize()); });
}

void LauncherSession::addSource(const QString &path)
{
    if (m_layout.customSources.contains(path))
        return;
    commit([&path](LauncherLayout &layout) { layout.customSources.append(path); });
    rescan({});
}

void LauncherSession::removeSource(const QString &path)
{
    commit([&path](LauncherLayout &layout) { layout.customSources.removeAll(path); });
    rescan({});
}

// ---------------------------------------------------------------- queries

std::optional<AppItem> LauncherSession::appFor(const LayoutEntry &entry) const
{
    if (entry.isFolder() || !entry.appID)
        return std::nullopt;
    return app(*entry.appID);
}

std::optional<AppItem> LauncherSession::app(const QString &id) const
{
    const auto found = m_appsByID.constFind(id);
    if (found == m_appsByID.cend())
        return std::nullopt;
    return *found;
}

QString LauncherSession::titleFor(const LayoutEntry &entry) const
{
    if (entry.folder)
        return entry.folder->name;
    if (entry.appID) {
        if (const std::optional<AppItem> known = app(*entry.appID))
            return displayName(*known, m_layout.nameOverrides);
        return *entry.appID;
    }
    return QString();
}

bool LauncherSession::isHidden(const LayoutEntry &entry) const
{
    return !entry.isFolder() && entry.appID && m_layout.hiddenIDs.contains(*entry.appID);
}

QList<QList<LayoutEntry>> LauncherSession::displayPages() const
{
    QList<LayoutEntry> hiddenEntries;
    if (m_settings.showHidden) {
        // Sorted identifiers first, so that equal names come out the same way
        // on every call whatever the set's order.
        QStringList ids(m_layout.hiddenIDs.cbegin(), m_layout.hiddenIDs.cend());
        ids.sort();
        QList<AppItem> hiddenApps;
        for (const QString &id : std::as_const(ids)) {
            if (const std::optional<AppItem> known = app(id))
                hiddenApps.append(*known);
        }
        for (const AppItem &hidden : LauncherLayout::sortedByName(hiddenApps))
            hiddenEntries.append(LayoutEntry::app(hidden.stableID()));
    }
    return DisplayPaging::pages(m_layout, m_settings.showHidden, hiddenEntries, m_settings.pageSize());
}

QList<LayoutEntry> LauncherSession::searchEntries(const QString &query) const
{
    const QString normalizedQuery = Search::normalized(query);
    if (normalizedQuery.isEmpty()) {
        QList<LayoutEntry> all;
        for (const QList<LayoutEntry> &page : displayPages())
            all.append(page);
        return all;
    }

    struct Match
    {
        LayoutEntry entry;
        int score;
    };
    QList<Match> matches;
    m_searchIndex.setOverrides(m_layout.nameOverrides);
    const Search::Text typed = Search::query(query);
    for (const LayoutEntry &entry : m_layout.allEntries()) {
        if (entry.folder) {
            if (Search::normalized(entry.folder->name).contains(normalizedQuery)) {
                matches.append({entry, 700});
                continue;
            }
            const bool memberMatches =
                std::any_of(entry.folder->bundleIDs.cbegin(), entry.folder->bundleIDs.cend(),
                            [&](const QString &id) { return m_searchIndex.score(id, typed).has_value(); });
            if (memberMatches)
                matches.append({entry, 200});
        } else if (entry.appID && !m_layout.hiddenIDs.contains(*entry.appID)) {
            // A hidden application is never a search result, even when a
            // stored page still lists it.
            if (const std::optional<int> score = m_searchIndex.score(*entry.appID, typed))
                matches.append({entry, *score});
        }
    }
    std::stable_sort(matches.begin(), matches.end(), [](const Match &a, const Match &b) { return a.score > b.score; });

    QList<LayoutEntry> result;
    result.reserve(matches.size());
    for (const Match &match : std::as_const(matches))
        result.append(match.entry);
    return result;
}
