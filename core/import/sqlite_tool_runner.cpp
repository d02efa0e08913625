#include "sqlite_tool_runner.h"

#include "foundation/log.h"
#include "launchpad_importer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>

namespace {

bool copyCapped(const QString &from, const QString &to, qint64 maxBytes)
{
    const QFileInfo info(from);
    // isFile() is true only for regular files (symbolic links followed).
    if (!info.isFile() || info.size() > maxBytes)
        return false;
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    qint64 copied = 0;
    QByteArray chunk;
    while (!(chunk = in.read(1 << 16)).isEmpty()) {
        copied += chunk.size();
        // The file may grow while it is read.
        if (copied > maxBytes || out.write(chunk) != chunk.size())
            return false;
    }
    return in.error() == QFileDevice::NoError;
}

} // namespace

std::optional<QString> SQLiteToolRunner::copyDatabase(const QString &source, const QString &directory, qint64 maxBytes)
{
    const QString copy = QDir(directory).filePath(QStringLiteral("db"));
    if (!copyCapped(source, copy, maxBytes))
        return std::nullopt;
    // Committed transactions still in the WAL belong to the store's content; a
    // hot journal lets SQLite see that the main file is mid-transaction. A
    // companion that cannot be copied fails the whole copy rather than give a
    // torn picture.
    for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-journal")}) {
        const QString companion = source + suffix;
        if (!QFileInfo::exists(companion))
            continue;
        if (!copyCapped(companion, copy + suffix, maxBytes))
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
    const QString root = workDirectory.isEmpty() ? QDir::tempPath() : workDirectory;
    QTemporaryDir work(QDir(root).filePath(QStringLiteral("tessellon-sqlite-XXXXXX")));
    if (!work.isValid())
        return std::nullopt;
    const std::optional<QString> copy = copyDatabase(database, work.path(), maxDatabaseBytes);
    if (!copy)
        return std::nullopt;

    const ChildProcess::Result result =
        launch(executable, arguments(QFileInfo(*copy).absoluteFilePath(), sql), timeoutMs);
    if (!result.started || (!result.finished && !result.errorText.isEmpty())) {
        Log::write("[Tessellon] 布局来源探测失败: %@", result.errorText);
        return std::nullopt;
    }
    const std::optional<QByteArray> output = ChildProcess::output(result);
    if (!output)
        return std::nullopt;
    return decodeOutput(*output);
}
