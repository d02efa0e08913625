#pragma once

#include "sql_runner.h"
#include "sqlite_table_schema.h"

#include <QList>
#include <QString>
#include <QStringList>

// The tables and columns of an SQLite file whose schema is not known in
// advance, learnt through a SQL runner (never a SQLite library).
struct SQLiteSchemaProbe
{
    // The usable tables, in the order of the table list.
    QList<SQLiteTableSchema> tables;

    QStringList tableNames() const;

    static const QString &tableListQuery();
    static QString columnInfoQuery(const QString &table);
    // A name as an SQL identifier: in double quotes, inner double quotes doubled,
    // so a name can never end the identifier early and inject SQL.
    static QString quote(const QString &name);

    static QStringList parseTableList(const QString &output);
    // Column names from PRAGMA table_info output (cid, name, type, ...), fields
    // split by U+001F or, failing that, by "|".
    static QStringList parseColumns(const QString &output);

    // One statement for the table list and one per table. A failed table list
    // gives no tables; a table whose columns cannot be listed is left out.
    static SQLiteSchemaProbe probe(const QString &database, const SQLRunner &runner);

    friend bool operator==(const SQLiteSchemaProbe &, const SQLiteSchemaProbe &) = default;
};
