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

    // Every table's columns in one statement: one line per column, the table's
    // and the column's names in hexadecimal UTF-8 (so a line break in a name
    // cannot split a line), separated by U+001F.
    static const QString &columnsQuery();
    static QList<SQLiteTableSchema> parseColumnsOutput(const QString &output);
    // Tables probed one by one when the single statement cannot be run.
    static constexpr int kMaxProbedTables = 64;

    static const QString &tableListQuery();
    static QString columnInfoQuery(const QString &table);
    // A name as an SQL identifier: in double quotes, inner double quotes doubled,
    // so a name can never end the identifier early and inject SQL.
    static QString quote(const QString &name);

    static QStringList parseTableList(const QString &output);
    // Column names from PRAGMA table_info output (cid, name, type, ...), fields
    // split by U+001F or, failing that, by "|".
    static QStringList parseColumns(const QString &output);

    // One statement for every table's columns. Where it cannot be run (an old
    // tool), one for the table list and one per table, for at most
    // kMaxProbedTables tables. A failed table list gives no tables; a table
    // whose columns cannot be listed is left out.
    static SQLiteSchemaProbe probe(const QString &database, const SQLRunner &runner);

    friend bool operator==(const SQLiteSchemaProbe &, const SQLiteSchemaProbe &) = default;
};
