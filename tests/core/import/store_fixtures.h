#pragma once

#include "foundation/child_process.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>
#include <QStringList>

// Fixtures for the store tests: SQLite files made with the real sqlite3 tool,
// and fingerprints of a folder to prove that reading never writes.
namespace StoreFixtures {

inline const QString kSqlite = QStringLiteral("/usr/bin/sqlite3");

// Runs `sql` on `database` (created when missing) with the real tool; true on success.
// `options` go before the database (e.g. "-cmd", ".dbconfig ...").
inline bool execute(const QString &database, const QString &sql, const QStringList &options = {})
{
    const QStringList arguments =
        QStringList{QStringLiteral("-init"), QStringLiteral("/dev/null")} + options + QStringList{database, sql};
    const ChildProcess::Result result = ChildProcess::run(kSqlite, arguments, 10000);
    return ChildProcess::output(result).has_value();
}

// Every file of a folder (names, hidden ones included) with the SHA-256 of its bytes.
inline QMap<QString, QByteArray> fingerprint(const QString &directory)
{
    QMap<QString, QByteArray> result;
    const QDir dir(directory);
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        QFile file(dir.filePath(name));
        QByteArray hash;
        if (file.open(QIODevice::ReadOnly))
            hash = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
        result.insert(name, hash);
    }
    return result;
}

} // namespace StoreFixtures
