#include "search_index.h"

#include <utility>

SearchIndex::SearchIndex(QList<AppItem> apps, const QHash<QString, QString> &overrides)
{
    setApps(std::move(apps), overrides);
}

void SearchIndex::setApps(QList<AppItem> apps, const QHash<QString, QString> &overrides)
{
    m_apps = std::move(apps);
    m_overrides = overrides;
    m_ranksLocale.reset();
    m_keys.clear();
    m_keys.reserve(m_apps.size());
    m_indexByID.clear();
    m_indexByID.reserve(m_apps.size());
    for (qsizetype i = 0; i < m_apps.size(); ++i) {
        const AppItem &app = m_apps.at(i);
        m_keys.append(Search::key(app, displayName(app, m_overrides)));
        m_indexByID.insert(app.stableID(), i);
    }
}

void SearchIndex::setOverrides(const QHash<QString, QString> &overrides)
{
    // Shared data compares equal at once: the usual case, no rename since.
    if (overrides == m_overrides) {
        m_overrides = overrides;
        return;
    }
    m_overrides = overrides;
    for (qsizetype i = 0; i < m_apps.size(); ++i) {
        const AppItem &app = m_apps.at(i);
        const QString name = displayName(app, m_overrides);
        if (name != m_keys.at(i).displayName)
            m_keys[i] = Search::key(app, name);
    }
}

const Search::Key *SearchIndex::key(const QString &stableID) const
{
    const auto found = m_indexByID.constFind(stableID);
    return found == m_indexByID.cend() ? nullptr : &m_keys.at(*found);
}

std::optional<int> SearchIndex::score(const QString &stableID, const Search::Text &query) const
{
    const Search::Key *found = key(stableID);
    if (!found)
        return std::nullopt;
    return Search::score(*found, query);
}

QList<AppItem> SearchIndex::ranked(const QString &query) const
{
    const QLocale locale;
    if (m_ranksLocale != locale) {
        m_nameRanks = Search::nameRanks(m_apps);
        m_ranksLocale = locale;
    }
    return Search::ranked(m_apps, m_keys, Search::query(query), m_nameRanks);
}
