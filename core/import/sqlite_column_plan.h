#pragma once

#include "sqlite_schema_probe.h"

#include <QString>
#include <QStringList>

#include <optional>

// Which table of an unfamiliar launcher store holds its entries, and which
// columns hold the application identifier, the order, the page and the
// folder; guessed from keyword weights in the names.
struct SQLiteColumnPlan
{
    QString table;
    QString bundle;
    std::optional<QString> order;
    std::optional<QString> page;
    std::optional<QString> group;

    enum class Role { bundle, order, page, group };

    // e.g. "items(bundleid,order=ordering,group=folder)".
    QString detail() const;
    // Four cleaned text fields per row (identifier, numeric order, page, group),
    // every name quoted, ordered by page text, order and identifier.
    QString rowsQuery() const;

    // The best-scoring table, or nothing when no table qualifies.
    static std::optional<SQLiteColumnPlan> select(const SQLiteSchemaProbe &schema);

    // The highest weight of the role's keywords found inside the lower-cased
    // column name; 0 when none is.
    static int score(const QString &column, Role role);
    // The best column for the role: higher score, then the shorter name, then
    // the earlier column; nothing when every column scores 0.
    static std::optional<QString> pick(const QStringList &columns, Role role);

    friend bool operator==(const SQLiteColumnPlan &, const SQLiteColumnPlan &) = default;
};
