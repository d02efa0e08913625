#include "app_scanner.h"

#include "foundation/log.h"
#include "foundation/property_list.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QVariant>
#include <QVariantMap>

#include <algorithm>
#include <atomic>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace {

// Real Info.plists are a few kilobytes; anything this large is not one and
// would only cost memory to read.
constexpr qint64 kMaxInfoPlistBytes = 16 * 1024 * 1024;

// Bundles carry a deeper structure of their own; the scan looks into the root
// and two folder levels below it, no further.
constexpr int kMaxFolderDepth = 2;

const QLatin1StringView kHelperWords[] = {
    QLatin1StringView("helper"), QLatin1StringView("updater"), QLatin1StringView("uninstall"),
    QLatin1StringView("installer"), QLatin1StringView("agent"), QLatin1StringView("service"),
    QLatin1StringView("crash"), QLatin1StringView("login"), QLatin1StringView("privileged"),
    QLatin1StringView("setup"), QLatin1StringView("daemon"),
};

bool endsWithApp(const QString &name)
{
    return name.endsWith(QLatin1StringView(".app"), Qt::CaseSensitive);
}

// The name without its last extension; a leading dot starts no extension.
QString withoutExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString lastComponent(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// A scan root as an absolute path without trailing slashes, so that bundle
// paths are joined the same way whichever form the caller gave.
QString rootPath(const QString &directory)
{
    QString path = QDir::isAbsolutePath(directory) ? directory : QDir::current().absoluteFilePath(directory);
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString joined(const QString &directory, const QString &name)
{
    return directory.endsWith(QLatin1Char('/')) ? directory + name : directory + QLatin1Char('/') + name;
}

bool isDirectory(const QString &path)
{
    // Follows symbolic links: a link to a bundle counts as the bundle.
    return QFileInfo(path).isDir();
}

// A directory as the file system knows it, whichever path reaches it.
using DirectoryKey = std::pair<quint64, quint64>;

// The directory at `path` (symbolic links followed), or nothing when it is
// none.
std::optional<DirectoryKey> directoryKey(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return std::nullopt;
    return DirectoryKey(quint64(status.st_dev), quint64(status.st_ino));
}

// The name the file browser would show. Linux keeps no localized names for
// bundles, so this is the file name itself, extension shown.
QString displayNameAtPath(const QString &path)
{
    return lastComponent(path);
}

} // namespace

// A folder named "*.app" without an Info.plist is common (a bundle half
// deleted, a folder merely named so), and a scan may meet thousands of them:
// one line gives their number and the first few paths.
struct AppScanner::MissingInfoPlists
{
    int count = 0;
    QStringList first;

    void add(const QString &bundlePath)
    {
        ++count;
        if (first.size() < missingInfoPlistsNamed)
            first.append(bundlePath);
    }

    void log() const
    {
        if (count == 0)
            return;
        const QString more = count > first.size() ? QStringLiteral(" …") : QString();
        Log::write("[scan] skipped count=%d reason=no-info-plist paths=%@%@", count, first.join(QStringLiteral(", ")),
                   more);
    }
};

namespace {

// Why a bundle gave no record, as the scan reports it.
enum class Skip { none, noInfoPlist, badInfoPlist };

// The Info.plist of a bundle, or why there is none to use. Logs nothing, so
// that bundles can be read on several threads and reported in order.
std::optional<QVariantMap> readInfoPlist(const QString &bundlePath, Skip &skip)
{
    const QString plistPath = bundlePath + QLatin1StringView("/Contents/Info.plist");
    const QFileInfo info(plistPath);
    if (!info.exists()) {
        skip = Skip::noInfoPlist;
        return std::nullopt;
    }
    // Only regular files are read: opening a FIFO or a device would block or
    // never end.
    if (!info.isFile() || info.size() > kMaxInfoPlistBytes) {
        skip = Skip::badInfoPlist;
        return std::nullopt;
    }
    const std::optional<QVariant> parsed = PropertyList::parseFile(plistPath);
    if (!parsed || parsed->typeId() != QMetaType::QVariantMap) {
        skip = Skip::badInfoPlist;
        return std::nullopt;
    }
    return parsed->toMap();
}

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// LSUIElement: the Boolean true or any non-zero number hides the application.
bool isTrueOrNonZero(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (isNumber(value))
        return value.toDouble() != 0.0;
    return false;
}

// LSBackgroundOnly: the Boolean true, or a number that is exactly 1.
bool isTrueOrOne(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (isNumber(value))
        return value.toDouble() == 1.0;
    return false;
}

} // namespace

// What one walk has seen: a link back to a folder above it, or two links to
// one folder, would otherwise walk that folder again under another path, read
// each bundle in it again and could record the looped path as the bundle's.
struct AppScanner::Walk
{
    // Each folder with the shallowest level it was listed at: one met again
    // as deep or deeper has nothing new to give.
    std::map<DirectoryKey, int> folders;
    std::set<DirectoryKey> bundles;
};

const QStringList &AppScanner::defaultDirectories()
{
    static const QStringList directories = {
        QStringLiteral("/Applications"),
        QStringLiteral("/System/Applications"),
        QStringLiteral("/System/Applications/Utilities"),
        QStringLiteral("/System/Library/CoreServices/Applications"),
        QDir::homePath() + QStringLiteral("/Applications"),
    };
    return directories;
}

AppScanner::AppScanner(QStringList directories)
    : m_directories(std::move(directories))
{
}

QList<AppItem> AppScanner::scan(const QStringList &extraDirectories) const
{
    QStringList bundles;
    Walk walk;
    const QStringList roots = m_directories + extraDirectories;
    for (const QString &root : roots) {
        // An empty entry would otherwise mean the working directory.
        if (!root.isEmpty())
            bundles += applicationPaths(rootPath(root), 0, walk);
    }

    // The walk has just seen that every bundle is a directory.
    const std::vector<Inspection> inspected = inspectAll(bundles);
    QList<AppItem> found;
    QSet<QString> seen;
    MissingInfoPlists missing;
    for (qsizetype i = 0; i < bundles.size(); ++i) {
        const Inspection &inspection = inspected[size_t(i)];
        report(inspection, bundles[i], &missing);
        if (!inspection.item)
            continue;
        const QString key = inspection.item->stableID();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        found.append(*inspection.item);
    }
    missing.log();
    return found;
}

std::vector<AppScanner::Inspection> AppScanner::inspectAll(const QStringList &bundles)
{
    const size_t count = size_t(bundles.size());
    std::vector<Inspection> results(count);
    // Reading and parsing an Info.plist costs tens of microseconds, and the
    // scan stands between the start and the first drawn grid: the bundles are
    // shared out among a few threads, each taking the next one not yet taken,
    // and the results keep the walk's order.
    std::atomic<size_t> next{0};
    const auto work = [&bundles, &results, &next, count] {
        for (size_t i = next.fetch_add(1, std::memory_order_relaxed); i < count;
             i = next.fetch_add(1, std::memory_order_relaxed))
            results[i] = inspect(bundles[qsizetype(i)]);
    };
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t helpers = std::min({count / bundlesPerThread, cores - 1, maximumScanThreads - 1});
    {
        std::vector<std::jthread> threads;
        threads.reserve(helpers);
        for (size_t i = 0; i < helpers; ++i)
            threads.emplace_back(work);
        work();
    }
    return results;
}

AppScanner::Inspection AppScanner::inspect(const QString &path)
{
    Inspection inspection;
    Skip skip = Skip::none;
    const std::optional<QVariantMap> info = readInfoPlist(path, skip);
    inspection.noInfoPlist = skip == Skip::noInfoPlist;
    inspection.badInfoPlist = skip == Skip::badInfoPlist;
    if (!info)
        return inspection;

    const QVariant packageType = info->value(QStringLiteral("CFBundlePackageType"));
    if (packageType.typeId() == QMetaType::QString && packageType.toString() != QLatin1StringView("APPL"))
        return inspection;
    if (isTrueOrNonZero(info->value(QStringLiteral("LSUIElement"))))
        return inspection;
    if (isTrueOrOne(info->value(QStringLiteral("LSBackgroundOnly"))))
        return inspection;
    const QString fileName = lastComponent(path);
    const QString baseName = withoutExtension(fileName);
    if (isHelperName(baseName))
        return inspection;

    const QVariant identifier = info->value(QStringLiteral("CFBundleIdentifier"));
    const QString bundleID = identifier.typeId() == QMetaType::QString ? identifier.toString() : QString();

    QString name = displayNameAtPath(path);
    if (name.toLower().endsWith(QLatin1StringView(".app")))
        name.chop(4);
    if (name.isEmpty())
        name = baseName;

    const bool isSystemApp = path.startsWith(QLatin1StringView("/System/"));
    inspection.item = AppItem(bundleID, name, path, isSystemApp);
    return inspection;
}

void AppScanner::report(const Inspection &inspection, const QString &path, MissingInfoPlists *missing)
{
    if (inspection.noInfoPlist) {
        if (missing != nullptr)
            missing->add(path);
        else
            Log::write("[scan] skipped path=%@ reason=no-info-plist", path);
    } else if (inspection.badInfoPlist) {
        Log::write("[scan] skipped path=%@ reason=bad-info-plist", path);
    }
}

QList<QUrl> AppScanner::applications(const QUrl &directory, int depth) const
{
    QList<QUrl> urls;
    if (!directory.isLocalFile())
        return urls;
    const QString path = directory.toLocalFile();
    if (path.isEmpty())
        return urls;
    Walk walk;
    for (const QString &bundle : applicationPaths(rootPath(path), depth, walk))
        urls.append(QUrl::fromLocalFile(bundle));
    return urls;
}

QStringList AppScanner::applicationPaths(const QString &directory, int depth, Walk &walk) const
{
    struct Folder
    {
        QString path;
        int depth;
    };
    QStringList result;
    const auto addBundle = [&](const QString &path) {
        const std::optional<DirectoryKey> bundle = directoryKey(path);
        if (bundle && walk.bundles.insert(*bundle).second)
            result.append(path);
    };
    // Level by level, and whatever a symbolic link leads to only after
    // everything that is reached without one: a folder or bundle reached both
    // ways is recorded under its own path, not the link's.
    std::deque<Folder> direct{{directory, depth}};
    std::deque<Folder> linkedFolders;
    QStringList linkedBundles;
    while (!direct.empty() || !linkedFolders.empty() || !linkedBundles.isEmpty()) {
        if (direct.empty() && !linkedBundles.isEmpty()) {
            addBundle(linkedBundles.takeFirst());
            continue;
        }
        const bool viaLink = direct.empty();
        std::deque<Folder> &queue = viaLink ? linkedFolders : direct;
        const Folder folder = std::move(queue.front());
        queue.pop_front();
        if (folder.depth > kMaxFolderDepth)
            continue;
        const std::optional<DirectoryKey> self = directoryKey(folder.path);
        if (!self)
            continue;
        // A folder already listed at this level or above: a link back to it
        // (a loop) or a second way to it.
        if (const auto listed = walk.folders.find(*self); listed != walk.folders.end() && listed->second <= folder.depth)
            continue;
        walk.folders[*self] = folder.depth;

        // Unsorted, hidden entries included; a missing or unreadable folder
        // lists nothing.
        QDirIterator entries(folder.path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (entries.hasNext()) {
            entries.next();
            const QString name = entries.fileName();
            const QString child = joined(folder.path, name);
            const bool link = entries.fileInfo().isSymLink();
            if (endsWithApp(name)) {
                // A bundle is never entered, so bundles nested in it stay unseen.
                if (link)
                    linkedBundles.append(child);
                else
                    addBundle(child);
            } else if (folder.depth < kMaxFolderDepth && !name.startsWith(QLatin1Char('.'))
                       && !name.endsWith(QLatin1StringView(".framework")) && isDirectory(child)) {
                (viaLink || link ? linkedFolders : direct).push_back({child, folder.depth + 1});
            }
        }
    }
    return result;
}

std::optional<AppItem> AppScanner::makeItem(const QUrl &url) const
{
    if (!url.isLocalFile())
        return std::nullopt;
    QString path = url.toLocalFile();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (path.isEmpty())
        return std::nullopt;
    return makeItemAtPath(path, false);
}

std::optional<AppItem> AppScanner::makeItemAtPath(const QString &path, bool knownDirectory,
                                                  MissingInfoPlists *missing) const
{
    if (!knownDirectory && !isDirectory(path))
        return std::nullopt;
    Inspection inspection = inspect(path);
    report(inspection, path, missing);
    return std::move(inspection.item);
}

bool AppScanner::isHelperName(const QString &name)
{
    const QString lower = name.toLower();
    for (const QLatin1StringView word : kHelperWords) {
        if (lower.contains(word))
            return true;
    }
    return false;
}
