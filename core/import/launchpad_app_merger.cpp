#include "launchpad_app_merger.h"

#include <QFileInfo>

namespace LaunchpadAppMerger {

FileExists defaultFileExists()
{
    return [](const QString &path) { return !path.isEmpty() && QFileInfo::exists(path); };
}

bool isInTrash(const QString &path)
{
    for (const QString &component : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const QString lower = component.toLower();
        if (lower == QLatin1String(".trash") || lower == QLatin1String(".trashes"))
            return true;
    }
    return false;
}

std::optional<QString> validAppPath(const std::optional<QString> &path, const FileExists &fileExists)
{
    if (!path || !path->endsWith(QLatin1String(".app")))
        return std::nullopt;
    if (!fileExists(*path) || isInTrash(*path))
        return std::nullopt;
    return path;
}

namespace {

QString bundleFileName(const QString &path)
{
    QString name = path;
    while (name.size() > 1 && name.endsWith(QLatin1Char('/')))
        name.chop(1);
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.size() > 4 && name.toLower().endsWith(QLatin1String(".app")))
        name.chop(4);
    return name;
}

} // namespace

QList<AppItem> merge(const QList<AppItem> &scanned, const LaunchpadAppCatalog &catalog, const QStringList &launchpadOrder,
                     bool useLaunchpadNames, const QSet<QString> &excluding, const FallbackPath &fallbackPath,
                     const FileExists &fileExists)
{
    QList<AppItem> result;
    result.reserve(scanned.size());
    QSet<QString> seen;

    for (const AppItem &app : scanned) {
        const QString id = app.stableID();
        seen.insert(id);
        if (excluding.contains(id))
            continue;
        if (useLaunchpadNames) {
            const std::optional<LaunchpadAppRecord> record = catalog.recordFor(id);
            if (record && !record->title.isEmpty()) {
                result.append(AppItem(app.bundleID, record->title, app.path, app.isSystemApp));
                continue;
            }
        }
        result.append(app);
    }

    for (const QString &id : launchpadOrder) {
        if (id.isEmpty() || seen.contains(id) || excluding.contains(id))
            continue;
        const std::optional<LaunchpadAppRecord> record = catalog.recordFor(id);
        std::optional<QString> path = validAppPath(record ? record->path : std::nullopt, fileExists);
        if (!path && fallbackPath)
            path = validAppPath(fallbackPath(id), fileExists);
        if (!path)
            continue;
        QString name = bundleFileName(*path);
        if (useLaunchpadNames && record && !record->title.isEmpty())
            name = record->title;
        result.append(AppItem(id, name, *path, path->startsWith(QLatin1String("/System/"))));
        seen.insert(id);
    }
    return result;
}

} // namespace LaunchpadAppMerger
