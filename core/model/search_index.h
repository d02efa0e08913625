#pragma once

#include "app_item.h"
#include "search.h"

#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>

#include <optional>

// The applications together with their search keys. A key is made when the
// applications are set and again only when the application's display name
// changes, so that a keystroke only compares prepared texts.
class SearchIndex
{
public:
    SearchIndex() = default;
    SearchIndex(QList<AppItem> apps, const QHash<QString, QString> &overrides);

    void setApps(QList<AppItem> apps, const QHash<QString, QString> &overrides);
    // After renames: remakes the keys whose display name changed. Costs next
    // to nothing when the overrides are the ones already in use.
    void setOverrides(const QHash<QString, QString> &overrides);

    const QList<AppItem> &apps() const { return m_apps; }
    // The key of the application with this stable identifier (the last one
    // when several share it).
    const Search::Key *key(const QString &stableID) const;
    // Nothing when no such application is known or it does not match.
    std::optional<int> score(const QString &stableID, const Search::Text &query) const;
    // As Search::ranked over the applications and the current overrides.
    QList<AppItem> ranked(const QString &query) const;

private:
    QList<AppItem> m_apps;
    QList<Search::Key> m_keys;
    QHash<QString, qsizetype> m_indexByID;
    QHash<QString, QString> m_overrides;
    // Name order depends on the locale: remade when the default changes.
    mutable QList<int> m_nameRanks;
    mutable std::optional<QLocale> m_ranksLocale;
};
