#pragma once

#include "foundation/child_process.h"
#include "sql_runner.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The real SQL runner: the system's sqlite3 tool as a child process (argument
// list, no shell), headers off, fields split by U+001F.
//
// Other launchers keep their stores open while they run, often in WAL mode.
// Opening such a file even with -readonly makes SQLite create -wal and -shm
// files beside it, and an immutable open would miss what still sits in the
// WAL. So the tool never sees the store itself: each query runs on a private
// copy of the database (with its -wal and -journal files) in a temporary
// directory that is removed afterwards. The store is only ever read.
struct SQLiteToolRunner
{
    using Launcher = std::function<ChildProcess::Result(const QString &executable, const QStringList &arguments,
                                                        int timeoutMs)>;

    static inline const QString kExecutable = QStringLiteral("/usr/bin/sqlite3");
    // A tool still running after this is killed; its output counts as a failure.
    static constexpr int kTimeoutMs = 5000;
    // Launcher stores are small; anything larger is not copied.
    static constexpr qint64 kMaxDatabaseBytes = qint64(256) * 1024 * 1024;

    QString executable = kExecutable;
    int timeoutMs = kTimeoutMs;
    qint64 maxDatabaseBytes = kMaxDatabaseBytes;
    Launcher launch = [](const QString &exe, const QStringList &args, int timeout) {
        return ChildProcess::run(exe, args, timeout);
    };
    // Where the private copies are made; empty means the system's temporary directory.
    QString workDirectory;

    std::optional<QString> operator()(const QString &database, const QString &sql) const;

    // The tool's arguments for one query. "-init" with the null device keeps a
    // user's ~/.sqliterc from changing the output mode, separators or headers;
    // the database argument never begins with "-" (it would be read as an option).
    static QStringList arguments(const QString &database, const QString &sql);
    static QString databaseArgument(const QString &path);

    // The tool's output as text. A line that is not valid UTF-8 is dropped on its
    // own, so one damaged name neither spoils the rest nor enters as U+FFFD.
    static QString decodeOutput(const QByteArray &bytes);

    // Copies `source` and, when present, its "-wal" and "-journal" companions into
    // `directory` as "db", "db-wal", "db-journal". Only regular files of at most
    // `maxBytes` are copied (a FIFO or device would never end). Returns the copy's path.
    static std::optional<QString> copyDatabase(const QString &source, const QString &directory, qint64 maxBytes);
};
