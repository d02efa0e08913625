#pragma once

#include "foundation/child_process.h"
#include "sql_runner.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <QDeadlineTimer>
#include <QHash>

#include <functional>
#include <memory>
#include <optional>

class QTemporaryDir;

// The real SQL runner: the system's sqlite3 tool as a child process (argument
// list, no shell), headers off, fields split by U+001F.
//
// Other launchers keep their stores open while they run, often in WAL mode.
// Opening such a file even with -readonly makes SQLite create -wal and -shm
// files beside it, and an immutable open would miss what still sits in the
// WAL. So the tool never sees the store itself: queries run on a private
// copy of the database (with its -wal and -journal files) in a temporary
// directory that is removed with the runner. The store is only ever read.
//
// One runner serves one import: the copy is made once and reused while the
// store's files stay as they were, and the import as a whole has one time
// limit, which every query shares. Copies of a runner share all of this.
struct SQLiteToolRunner
{
    using Launcher = std::function<ChildProcess::Result(const QString &executable, const QStringList &arguments,
                                                        int timeoutMs)>;

    static inline const QString kExecutable = QStringLiteral("/usr/bin/sqlite3");
    // The log lines of a tool that cannot be run, the failure's words at %@.
    static inline const QString readFailureLog = QStringLiteral("[Tessellon] 读取原生启动台布局失败: %@");
    static inline const QString probeFailureLog = QStringLiteral("[Tessellon] 布局来源探测失败: %@");
    // A tool still running after this is killed; its output counts as a failure.
    static constexpr int kTimeoutMs = 5000;
    // Launcher stores are small; anything larger is not copied.
    static constexpr qint64 kMaxDatabaseBytes = qint64(256) * 1024 * 1024;
    // Every query of one import together; a query that would start later fails.
    static constexpr int kImportTimeLimitMs = 15000;

    SQLiteToolRunner();

    QString executable = kExecutable;
    int timeoutMs = kTimeoutMs;
    int importTimeLimitMs = kImportTimeLimitMs;
    qint64 maxDatabaseBytes = kMaxDatabaseBytes;
    Launcher launch = [](const QString &exe, const QStringList &args, int timeout) {
        return ChildProcess::run(exe, args, timeout);
    };
    // Where the private copies are made; empty means the system's temporary directory.
    QString workDirectory;
    // The log line when the tool cannot be run: it says what was being done,
    // reading the system launcher's layout by default, probing a layout
    // source when an import of one runs the query.
    QString launchFailureLog = readFailureLog;

    std::optional<QString> operator()(const QString &database, const QString &sql) const;
    // The same query's output as the tool printed it, for readers that split
    // fields before decoding them.
    std::optional<QByteArray> bytes(const QString &database, const QString &sql) const;
    // A runner of bytes from any SQL runner: this one's bytes() when it is a
    // SQLiteToolRunner, else its text as UTF-8.
    static std::function<std::optional<QByteArray>(const QString &, const QString &)>
    byteRunner(const std::function<std::optional<QString>(const QString &, const QString &)> &runner);

    // The real runner, its limits and tool taken from the environment when set
    // there ("TESSELLON_SQLITE3", "TESSELLON_CHILD_TIMEOUT_MS",
    // "TESSELLON_IMPORT_TIME_LIMIT_MS"), so that a test can slow an import down.
    static SQLiteToolRunner fromEnvironment();

    // Why the last query of `runner` failed, in a few words ("not a database",
    // "corrupt", "unreadable: ...", "time limit of 15000 ms reached"); empty
    // when it did not fail or `runner` is no SQLiteToolRunner.
    static QString lastFailure(const std::function<std::optional<QString>(const QString &, const QString &)> &runner);

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
    static std::optional<QString> copyDatabase(const QString &source, const QString &directory, qint64 maxBytes,
                                               QString *error = nullptr);

    struct State;
    std::shared_ptr<State> state;
};
