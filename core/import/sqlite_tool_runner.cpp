#include "sqlite_tool_runner.h"

#include "foundation/log.h"
#include "launchpad_importer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <algorithm>

struct SQLiteToolRunner::State
{
    std::unique_ptr<QTemporaryDir> work;
    // The copy of each store, and the versions of its files it was made from.
    struct Copy
    {
        QString path;
        QList<std::optional<QDateTime>> versions;
        QList<qint64> sizes;
    };
    QHash<QString, Copy> copies;
    int next = 0;
    std::optional<QDeadlineTimer> deadline;
    QString lastFailure;
};

namespace {

const QString kCompanionSuffixes[] = {QStringLiteral("-wal"), QStringLiteral("-journal")};

bool copyCapped(const QString &from, const QString &to, qint64 maxBytes, QString *error)
{
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    const QFileInfo info(from);
    // isFile() is true only for regular files (symbolic links followed).
    if (!info.isFile())
        return fail(QStringLiteral("unreadable: not a regular file"));
    if (info.size() > maxBytes)
        return fail(QStringLiteral("unreadable: larger than %1 bytes").arg(maxBytes));
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("unreadable: ") + in.errorString());
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return fail(QStringLiteral("unreadable: cannot copy: ") + out.errorString());
    qint64 copied = 0;
    QByteArray chunk;
    while (!(chunk = in.read(1 << 16)).isEmpty()) {
        if (ChildProcess::stopRequested())
            return fail(QStringLiteral("stopped"));
        copied += chunk.size();
        // The file may grow while it is read.
        if (copied > maxBytes)
            return fail(QStringLiteral("unreadable: larger than %1 bytes").arg(maxBytes));
        if (out.write(chunk) != chunk.size())
            return fail(QStringLiteral("unreadable: cannot copy: ") + out.errorString());
    }
    if (in.error() != QFileDevice::NoError)
        return fail(QStringLiteral("unreadable: ") + in.errorString());
    return true;
}

// What sqlite3 said on standard error, in the words of an import failure.
QString failureOf(const QByteArray &standardError)
{
    const QString text = QString::fromUtf8(standardError).trimmed();
    if (text.contains(QLatin1String("file is not a database")))
        return QStringLiteral("not a database");
    if (text.contains(QLatin1String("malformed")) || text.contains(QLatin1String("corrupt")))
        return QStringLiteral("corrupt");
    if (text.contains(QLatin1String("unable to open")))
        return QStringLiteral("unreadable");
    const QString firstLine = text.section(QLatin1Char('\n'), 0, 0);
    return firstLine.isEmpty() ? QStringLiteral("query failed") : QStringLiteral("query failed: ") + firstLine;
}

int positiveFromEnvironment(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

} // namespace

SQLiteToolRunner::SQLiteToolRunner() : state(std::make_shared<State>())
{
}

SQLiteToolRunner SQLiteToolRunner::fromEnvironment()
{
    SQLiteToolRunner runner;
    const QString tool = qEnvironmentVariable("TESSELLON_SQLITE3");
    if (!tool.isEmpty())
        runner.executable = tool;
    runner.timeoutMs = positiveFromEnvironment("TESSELLON_CHILD_TIMEOUT_MS", kTimeoutMs);
    runner.importTimeLimitMs = positiveFromEnvironment("TESSELLON_IMPORT_TIME_LIMIT_MS", kImportTimeLimitMs);
    return runner;
}

QString SQLiteToolRunner::lastFailure(
    const std::function<std::optional<QString>(const QString &, const QString &)> &runner)
{
    const SQLiteToolRunner *tool = runner.target<SQLiteToolRunner>();
    return tool && tool->state ? tool->state->lastFailure : QString();
}

std::optional<QString> SQLiteToolRunner::copyDatabase(const QString &source, const QString &directory, qint64 maxBytes,
                                                      QString *error)
{
    const QString copy = QDir(directory).filePath(QStringLiteral("db"));
    if (!copyCapped(source, copy, maxBytes, error))
        return std::nullopt;
    // Committed transactions still in the WAL belong to the store's content; a
    // hot journal lets SQLite see that the main file is mid-transaction. A
    // companion that cannot be copied fails the whole copy rather than give a
    // torn picture.
    for (const QString &suffix : kCompanionSuffixes) {
        const QString companion = source + suffix;
        if (!QFileInfo::exists(companion))
            continue;
        if (!copyCapped(companion, copy + suffix, maxBytes, error))
            return std::nullopt;
    }
    return copy;
}

QString SQLiteToolRunner::databaseArgument(const QString &path)
{
    // sqlite3 has no "--": anything starting with "-" is an option. A relative
    // path is made explicit instead, which also keeps "file:" names from being
    // read as URIs.
    if (path.startsWith(QLatin1Char('/')))
        return path;
    return QStringLiteral("./") + path;
}

QStringList SQLiteToolRunner::arguments(const QString &database, const QString &sql)
{
    return {QStringLiteral("-init"),
            QProcess::nullDevice(),
            QStringLiteral("-readonly"),
            QStringLiteral("-noheader"),
            QStringLiteral("-separator"),
            QString(LaunchpadImporter::separatorCharacter()),
            databaseArgument(database),
            sql};
}

QString SQLiteToolRunner::decodeOutput(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        const QByteArrayView line(bytes.constData() + start, end - start);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        const QString decoded = decoder.decode(line);
        if (!decoder.hasError()) {
            text += decoded;
            if (end < bytes.size())
                text += QLatin1Char('\n');
        }
        start = end + 1;
    }
    return text;
}

std::optional<QString> SQLiteToolRunner::operator()(const QString &database, const QString &sql) const
{
    const std::optional<QByteArray> output = bytes(database, sql);
    if (!output)
        return std::nullopt;
    return decodeOutput(*output);
}

std::function<std::optional<QByteArray>(const QString &, const QString &)> SQLiteToolRunner::byteRunner(
    const std::function<std::optional<QString>(const QString &, const QString &)> &runner)
{
    if (!runner)
        return {};
    if (const SQLiteToolRunner *tool = runner.target<SQLiteToolRunner>()) {
        return [tool = *tool](const QString &database, const QString &sql) { return tool.bytes(database, sql); };
    }
    return [runner](const QString &database, const QString &sql) -> std::optional<QByteArray> {
        const std::optional<QString> text = runner(database, sql);
        if (!text)
            return std::nullopt;
        return text->toUtf8();
    };
}

std::optional<QByteArray> SQLiteToolRunner::bytes(const QString &database, const QString &sql) const
{
    State &shared = *state;
    shared.lastFailure.clear();
    const auto fail = [&shared](const QString &why) -> std::optional<QByteArray> {
        shared.lastFailure = why;
        return std::nullopt;
    };
    if (ChildProcess::stopRequested())
        return fail(QStringLiteral("stopped"));
    if (!shared.deadline)
        shared.deadline = QDeadlineTimer(std::max(importTimeLimitMs, 0));
    const QString timeLimit = QStringLiteral("time limit of %1 ms reached").arg(importTimeLimitMs);
    if (shared.deadline->hasExpired())
        return fail(timeLimit);

    // The store's files as they are now; a copy made from other versions is stale.
    QList<std::optional<QDateTime>> versions;
    QList<qint64> sizes;
    for (const QString &path : {database, database + kCompanionSuffixes[0], database + kCompanionSuffixes[1]}) {
        const QFileInfo info(path);
        versions.append(info.exists() ? std::optional<QDateTime>(info.lastModified()) : std::nullopt);
        sizes.append(info.exists() ? info.size() : -1);
    }
    const auto cached = shared.copies.constFind(database);
    QString copy;
    if (cached != shared.copies.constEnd() && cached->versions == versions && cached->sizes == sizes) {
        copy = cached->path;
    } else {
        if (!shared.work) {
            const QString root = workDirectory.isEmpty() ? QDir::tempPath() : workDirectory;
            shared.work = std::make_unique<QTemporaryDir>(QDir(root).filePath(QStringLiteral("tessellon-sqlite-XXXXXX")));
        }
        if (!shared.work->isValid())
            return fail(QStringLiteral("unreadable: no private directory for a copy"));
        const QString directory = shared.work->filePath(QString::number(shared.next++));
        if (!QDir().mkpath(directory))
            return fail(QStringLiteral("unreadable: no private directory for a copy"));
        QString error;
        const std::optional<QString> made = copyDatabase(database, directory, maxDatabaseBytes, &error);
        if (!made)
            return fail(error);
        copy = *made;
        shared.copies.insert(database, State::Copy{copy, versions, sizes});
    }

    const int remaining = int(std::clamp<qint64>(shared.deadline->remainingTime(), 0, timeoutMs));
    const bool importLimitFirst = remaining < timeoutMs;
    const ChildProcess::Result result = launch(executable, arguments(QFileInfo(copy).absoluteFilePath(), sql), remaining);
    if (result.stopped)
        return fail(QStringLiteral("stopped"));
    if (!result.started || (!result.finished && !result.errorText.isEmpty())) {
        Log::write(launchFailureLog, result.errorText);
        if (result.started && importLimitFirst && shared.deadline->hasExpired())
            return fail(timeLimit);
        return fail(result.started ? QStringLiteral("sqlite3 %1 after %2 ms").arg(result.errorText).arg(remaining)
                                   : QStringLiteral("sqlite3 cannot start: ") + result.errorText);
    }
    const std::optional<QByteArray> output = ChildProcess::output(result);
    if (!output)
        return fail(failureOf(result.standardError));
    return output;
}
