#include "launchpad_importer.h"

#include "foundation/child_process.h"
#include "foundation/log.h"
#include "localization/l10n.h"
#include "sqlite_tool_runner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One line of the layout query.
struct Row
{
    qint64 id = 0;
    qint64 type = 0;
    qint64 parent = 0;
    qint64 ordering = 0;
    QString uuid;
    QString bundleID;
    QString title;
};

constexpr char kFieldSeparator = '\x1f';
const QString kRootUUID = QStringLiteral("ROOTPAGE");
const QString kHoldingPrefix = QStringLiteral("HOLDING");
const QString kFolderPrefix = QStringLiteral("native-");
constexpr int kMaxFolderPageDepth = 4;

// Text columns arrive with line breaks, tabs and the field separator turned
// into spaces, so that one output line is one row.
QString cleanedColumn(const char *expression)
{
    return QStringLiteral("replace(replace(replace(replace(ifnull(%1, ''), char(10), ' '), char(13), ' '), char(9), ' '), char(31), ' ')")
        .arg(QLatin1String(expression));
}

// Strict UTF-8: nothing when the bytes are not valid UTF-8. A leading byte
// order mark is kept as data rather than silently dropped.
std::optional<QString> decodeStrict(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// For display texts only: invalid sequences become U+FFFD.
QString decodeLenient(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QList<QByteArray> nonEmptyLines(const QByteArray &output)
{
    QList<QByteArray> lines;
    for (const QByteArray &line : output.split('\n')) {
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

QString joinPath(const QString &base, const QString &relative)
{
    if (base.endsWith(QLatin1Char('/')))
        return base + relative;
    return base + QLatin1Char('/') + relative;
}

const QString kRelativeDatabase = QStringLiteral("com.apple.dock.launchpad/db/db");
const QString kRelativeDatabaseZero = QStringLiteral("0/com.apple.dock.launchpad/db/db");

LaunchpadLayout build(QList<Row> rows)
{
    // rowid is unique in a real database; a repeated id in odd output would
    // otherwise let the nested-page walk multiply.
    {
        QSet<qint64> ids;
        QList<Row> unique;
        unique.reserve(rows.size());
        for (Row &row : rows) {
            if (!ids.contains(row.id)) {
                ids.insert(row.id);
                unique.append(std::move(row));
            }
        }
        rows = std::move(unique);
    }

    QHash<qint64, QList<Row>> children;
    for (const Row &row : rows)
        children[row.parent].append(row);
    for (QList<Row> &list : children) {
        std::stable_sort(list.begin(), list.end(), [](const Row &a, const Row &b) {
            if (a.ordering != b.ordering)
                return a.ordering < b.ordering;
            return a.id < b.id;
        });
    }

    const Row *root = nullptr;
    for (const Row &row : rows) {
        if (row.type == 1 && row.uuid == kRootUUID) {
            root = &row;
            break;
        }
    }
    if (!root) {
        for (const Row &row : rows) {
            if (row.type == 1) {
                root = &row;
                break;
            }
        }
    }
    if (!root)
        return LaunchpadLayout::empty();

    QSet<QString> taken;
    auto take = [&taken](const QString &id) {
        if (id.isEmpty() || taken.contains(id))
            return false;
        taken.insert(id);
        return true;
    };

    std::function<QStringList(qint64, int)> memberIDs = [&](qint64 parent, int depth) {
        QStringList ids;
        if (depth >= kMaxFolderPageDepth)
            return ids;
        for (const Row &child : children.value(parent)) {
            if (child.type == 4) {
                if (!child.bundleID.isEmpty())
                    ids.append(child.bundleID);
            } else if (child.type == 3) {
                ids.append(memberIDs(child.id, depth + 1));
            }
        }
        return ids;
    };

    LaunchpadLayout layout;
    for (const Row &page : children.value(root->id)) {
        if (page.type != 3 || page.uuid.startsWith(kHoldingPrefix))
            continue;
        LaunchpadPage result;
        for (const Row &child : children.value(page.id)) {
            if (child.type == 4) {
                if (take(child.bundleID))
                    result.entries.append(LaunchpadEntry::app(child.bundleID));
            } else if (child.type == 2) {
                LaunchpadFolder folder;
                folder.id = kFolderPrefix + QString::number(child.id);
                folder.name = child.title.isEmpty() ? L("文件夹") : child.title;
                for (const QString &id : memberIDs(child.id, 0)) {
                    if (take(id))
                        folder.bundleIDs.append(id);
                }
                result.entries.append(LaunchpadEntry::makeFolder(folder));
            }
        }
        if (!result.entries.isEmpty())
            layout.pages.append(result);
    }
    return layout;
}

} // namespace

LaunchpadImporter::Environment LaunchpadImporter::Environment::system()
{
    Environment env;
    env.run = [](const QString &executable, const QStringList &arguments) { return runTool(executable, arguments); };
    // A fresh runner, with its own time limit, for every query: this
    // environment lives as long as the session, which reads the database
    // again on every rescan. An import hands in its own runner instead.
    env.query = [](const QString &database, const QString &sql) {
        return SQLiteToolRunner::fromEnvironment().bytes(database, sql);
    };
    env.distrust = [](const QString &path) { return untrustedReason(path); };
#ifdef Q_OS_DARWIN
    env.darwinPlatform = true;
#endif
    env.isReadable = [](const QString &path) {
        return !path.isEmpty() && ::access(QFile::encodeName(path).constData(), R_OK) == 0;
    };
    env.temporaryDirectory = [] { return QDir::tempPath(); };
    env.resolveBookmark = [](const QByteArray &bookmark) { return resolveBookmarkPath(bookmark); };
    return env;
}

const QString &LaunchpadImporter::separator()
{
    static const QString value(QChar(0x1F));
    return value;
}

const QString &LaunchpadImporter::rowsQuery()
{
    static const QString value = QStringList{
        QStringLiteral("SELECT i.rowid, i.type, i.parent_id, i.ordering, ifnull(i.uuid, ''),"),
        QStringLiteral("       ") + cleanedColumn("a.bundleid") + QLatin1Char(','),
        QStringLiteral("       ") + cleanedColumn("g.title"),
        QStringLiteral("FROM items i"),
        QStringLiteral("LEFT JOIN apps a ON a.item_id = i.rowid"),
        QStringLiteral("LEFT JOIN groups g ON g.item_id = i.rowid"),
        QStringLiteral("WHERE i.type IN (1, 2, 3, 4)"),
        QStringLiteral("ORDER BY i.parent_id, i.ordering, i.rowid;"),
    }.join(QLatin1Char('\n'));
    return value;
}

const QString &LaunchpadImporter::query()
{
    // The identifier is cleaned as in the other queries: a line feed inside
    // it would otherwise split one identifier into two.
    static const QString value = QStringLiteral("SELECT ") + cleanedColumn("a.bundleid")
        + QStringLiteral(" FROM items i JOIN apps a ON a.item_id = i.rowid WHERE i.type = 4 AND a.bundleid IS NOT NULL "
                         "AND a.bundleid != '' ORDER BY i.parent_id, i.ordering;");
    return value;
}

const QString &LaunchpadImporter::catalogQuery()
{
    static const QString value = QStringList{
        QStringLiteral("SELECT ") + cleanedColumn("bundleid") + QLatin1Char(','),
        QStringLiteral("       ") + cleanedColumn("title") + QLatin1Char(','),
        QStringLiteral("       ifnull(hex(bookmark), '')"),
        QStringLiteral("FROM apps WHERE bundleid IS NOT NULL AND bundleid != '';"),
    }.join(QLatin1Char('\n'));
    return value;
}

std::optional<QByteArray> LaunchpadImporter::runTool(const QString &executable, const QStringList &arguments, int timeoutMs)
{
    const ChildProcess::Result result = ChildProcess::run(executable, arguments, timeoutMs);
    if (!result.started) {
        Log::write("[Tessellon] 读取原生启动台布局失败: %@", result.errorText);
        return std::nullopt;
    }
    if (!result.finished && !result.errorText.isEmpty()) {
        // Killed after the time limit: whatever it printed is incomplete.
        Log::write("[Tessellon] 读取原生启动台布局失败: %@ %@ after %d ms", executable, result.errorText, timeoutMs);
        return std::nullopt;
    }
    return ChildProcess::output(result);
}

std::optional<QString> LaunchpadImporter::untrustedReason(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    // The folders as they really are: a link in the chain is followed to
    // where it leads, and that place is checked.
    const QString real = QFileInfo(absolute).canonicalFilePath();
    if (real.isEmpty())
        return QStringLiteral("cannot be resolved");
    const uid_t me = ::getuid();
    QString prefix;
    const QStringList parts = real.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (qsizetype i = -1; i < parts.size(); ++i) {
        prefix = i < 0 ? QStringLiteral("/") : (i == 0 ? QString() : prefix) + QLatin1Char('/') + parts.at(i);
        struct stat status;
        if (::lstat(QFile::encodeName(prefix).constData(), &status) != 0)
            return QStringLiteral("%1 cannot be examined").arg(prefix);
        if (status.st_uid != me && status.st_uid != 0)
            return QStringLiteral("%1 belongs to uid %2").arg(prefix).arg(status.st_uid);
        const bool sharedSticky = S_ISDIR(status.st_mode) && (status.st_mode & S_ISVTX) && status.st_uid == 0;
        if ((status.st_mode & (S_IWGRP | S_IWOTH)) && !sharedSticky)
            return QStringLiteral("%1 is writable by others").arg(prefix);
    }
    return std::nullopt;
}

QString LaunchpadImporter::temporaryParent(const QString &temporaryDirectory)
{
    QString path = temporaryDirectory;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

QStringList LaunchpadImporter::databaseCandidates(const std::optional<QString> &darwinUserDir, const QString &temporaryDirectory)
{
    QStringList candidates;
    if (darwinUserDir)
        candidates << joinPath(*darwinUserDir, kRelativeDatabase);
    const QString parent = temporaryParent(temporaryDirectory);
    candidates << joinPath(parent, kRelativeDatabaseZero) << joinPath(parent, kRelativeDatabase);
    return candidates;
}

std::optional<QString> LaunchpadImporter::darwinUserDirectory(const Environment &env)
{
    if (!env.darwinPlatform)
        return std::nullopt;
    const std::optional<QByteArray> output = env.run(kGetconfExecutable, {QStringLiteral("DARWIN_USER_DIR")});
    if (!output)
        return std::nullopt;
    const std::optional<QString> text = decodeStrict(*output);
    if (!text)
        return std::nullopt;
    const QString trimmed = text->trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed;
}

std::optional<QString> LaunchpadImporter::databasePath(const Environment &env)
{
    for (const QString &candidate : databaseCandidates(darwinUserDirectory(env), env.temporaryDirectory())) {
        if (!env.isReadable(candidate))
            continue;
        if (env.distrust) {
            if (const std::optional<QString> reason = env.distrust(candidate)) {
                Log::write("[import] refused database=%@ reason=%@", candidate, *reason);
                continue;
            }
        }
        return candidate;
    }
    return std::nullopt;
}

LaunchpadLayout LaunchpadImporter::nativeLayout(const std::optional<QString> &database, const Environment &env)
{
    const std::optional<QString> path = database ? database : databasePath(env);
    if (!path || !env.isReadable(*path))
        return LaunchpadLayout::empty();

    if (!env.query)
        return LaunchpadLayout::empty();
    if (const auto output = env.query(*path, rowsQuery())) {
        LaunchpadLayout layout = parseRows(*output);
        if (!layout.isEmpty())
            return layout;
    }

    // Older databases, or ones whose tree cannot be read: a flat list of the
    // applications in the launcher's order.
    const auto output = env.query(*path, query());
    if (!output)
        return LaunchpadLayout::empty();
    const QStringList ids = parse(*output);
    if (ids.isEmpty())
        return LaunchpadLayout::empty();
    LaunchpadPage page;
    for (const QString &id : ids)
        page.entries.append(LaunchpadEntry::app(id));
    return LaunchpadLayout{{page}};
}

QStringList LaunchpadImporter::nativeOrder(const std::optional<QString> &database, const Environment &env)
{
    return nativeLayout(database, env).allBundleIDs();
}

LaunchpadAppCatalog LaunchpadImporter::appCatalog(const std::optional<QString> &database, const Environment &env)
{
    const std::optional<QString> path = database ? database : databasePath(env);
    if (!path || !env.isReadable(*path))
        return {};
    if (!env.query)
        return {};
    const auto output = env.query(*path, catalogQuery());
    if (!output)
        return {};
    return parseAppCatalog(*output, env.resolveBookmark);
}

LaunchpadLayout LaunchpadImporter::parseRows(const QString &output)
{
    return parseRows(output.toUtf8());
}

LaunchpadLayout LaunchpadImporter::parseRows(const QByteArray &output)
{
    QList<Row> rows;
    for (const QByteArray &line : nonEmptyLines(output)) {
        const QList<QByteArray> fields = line.split(kFieldSeparator);
        if (fields.size() < 7)
            continue;
        std::optional<qint64> numbers[4];
        bool valid = true;
        for (int i = 0; i < 4 && valid; ++i) {
            // Digits are ASCII, so Latin-1 is exact here and anything else fails.
            numbers[i] = parseDecimalInteger(QString::fromLatin1(fields[i]));
            valid = numbers[i].has_value();
        }
        if (!valid)
            continue;
        Row row;
        row.id = *numbers[0];
        row.type = *numbers[1];
        row.parent = *numbers[2];
        row.ordering = *numbers[3];
        row.uuid = decodeLenient(fields[4]).trimmed();
        // An identifier that is not valid UTF-8 cannot name an installed
        // application; it is dropped rather than stored mangled.
        row.bundleID = decodeStrict(fields[5]).value_or(QString()).trimmed();
        row.title = decodeLenient(fields[6]).trimmed();
        rows.append(std::move(row));
    }
    return build(std::move(rows));
}

QStringList LaunchpadImporter::parse(const QString &output)
{
    return parse(output.toUtf8());
}

QStringList LaunchpadImporter::parse(const QByteArray &output)
{
    QStringList ids;
    for (const QByteArray &line : nonEmptyLines(output)) {
        const std::optional<QString> text = decodeStrict(line);
        if (!text)
            continue;
        const QString id = text->trimmed();
        if (!id.isEmpty())
            ids.append(id);
    }
    return ids;
}

LaunchpadAppCatalog LaunchpadImporter::parseAppCatalog(const QString &output, const BookmarkResolver &resolve)
{
    return parseAppCatalog(output.toUtf8(), resolve);
}

LaunchpadAppCatalog LaunchpadImporter::parseAppCatalog(const QByteArray &output, const BookmarkResolver &resolve)
{
    LaunchpadAppCatalog catalog;
    for (const QByteArray &line : nonEmptyLines(output)) {
        const QList<QByteArray> fields = line.split(kFieldSeparator);
        if (fields.size() < 3)
            continue;
        const std::optional<QString> decodedID = decodeStrict(fields[0]);
        if (!decodedID)
            continue;
        const QString bundleID = decodedID->trimmed();
        if (bundleID.isEmpty())
            continue;
        LaunchpadAppRecord record;
        record.bundleID = bundleID;
        record.title = decodeLenient(fields[1]).trimmed();
        const std::optional<QByteArray> bookmark = dataFromHex(decodeLenient(fields[2]).trimmed());
        if (bookmark && resolve)
            record.path = resolve(*bookmark);
        const auto existing = catalog.records.constFind(bundleID);
        if (existing != catalog.records.constEnd() && existing->path.has_value() && !record.path.has_value())
            continue;
        catalog.records.insert(bundleID, record);
    }
    return catalog;
}

std::optional<QString> LaunchpadImporter::resolveBookmarkPath(const QByteArray &bookmark)
{
    if (bookmark.isEmpty())
        return std::nullopt;
    // URL bookmarks are resolved by the macOS bookmark service, which exists
    // on no other platform: elsewhere no bookmark leads to a bundle.
    return std::nullopt;
}

std::optional<QByteArray> LaunchpadImporter::dataFromHex(const QString &text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    auto nibble = [](QChar c) -> int {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            return u - u'0';
        if (u >= u'a' && u <= u'f')
            return u - u'a' + 10;
        if (u >= u'A' && u <= u'F')
            return u - u'A' + 10;
        return -1;
    };
    QByteArray bytes;
    bytes.reserve(text.size() / 2);
    for (qsizetype i = 0; i < text.size(); i += 2) {
        const int high = nibble(text.at(i));
        const int low = nibble(text.at(i + 1));
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.append(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

std::optional<QString> LaunchpadImporter::decodeUtf8(const QByteArray &bytes)
{
    return decodeStrict(bytes);
}

std::optional<qint64> LaunchpadImporter::parseDecimalInteger(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulate negatively so that the most negative value fits.
    qint64 value = 0;
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    for (; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        const int digit = u - u'0';
        if (value < (kMin + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == kMin)
            return std::nullopt;
        value = -value;
    }
    return value;
}
