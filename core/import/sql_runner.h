#pragma once

#include <QString>

#include <functional>
#include <optional>

// Runs one SQL text against one database file and returns what the sqlite3
// tool printed, or nothing when the query could not be run. Import code takes
// it as an argument so that tests can answer queries without a database.
using SQLRunner = std::function<std::optional<QString>(const QString &database, const QString &sql)>;
