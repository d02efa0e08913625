#pragma once

#include <QString>
#include <QStringList>

// One table of a probed SQLite file: its name as the table list printed it
// (trimmed) and its column names in column order.
struct SQLiteTableSchema
{
    QString name;
    QStringList columns;

    friend bool operator==(const SQLiteTableSchema &, const SQLiteTableSchema &) = default;
};
