#include "layout_source.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <unistd.h>

namespace LayoutSourceCatalog {

QString defaultHome()
{
    return QDir::homePath();
}

PathTest defaultIsReadable()
{
    return [](const QString &path) { return !path.isEmpty() && ::access(QFile::encodeName(path).constData(), R_OK) == 0; };
}

PathTest defaultIsDirectory()
{
    return [](const QString &path) { return !path.isEmpty() && QFileInfo(path).isDir(); };
}

DirectoryLister defaultDirectoryEntries()
{
    return [](const QString &path) {
        const QDir dir(path);
        if (!dir.exists() || !dir.isReadable())
            return QStringList();
        return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    };
}

bool isDatabaseFileName(const QString &name)
{
    const QString lower = name.toLower();
    return lower == QLatin1String("db") || lower == QLatin1String("data.store") || lower.endsWith(QLatin1String(".db"))
        || lower.endsWith(QLatin1String(".sqlite")) || lower.endsWith(QLatin1String(".sqlite3"));
}

QList<LayoutSourceRecord> discover(const QString &home, const std::optional<QString> &darwinUserDir, const PathTest &isReadable,
                                   const PathTest &isDirectory, const DirectoryLister &directoryEntries,
                                   const QString &temporaryDirectory, const LayoutSource::BundleIdentifiers &bundleIDs)
{
    QList<LayoutSourceRecord> records;
    QSet<QString> seen;
    for (const LayoutSource source : LayoutSource::allCases()) {
        for (const QString &path : source.candidatePaths(home, darwinUserDir, temporaryDirectory, bundleIDs)) {
            if (!isReadable(path))
                continue;
            if (seen.contains(path))
                continue;
            seen.insert(path);
            if (source.isPropertyList() || !isDirectory(path)) {
                records.append(LayoutSourceRecord(source, path));
                continue;
            }
            QStringList names;
            for (const QString &name : directoryEntries(path)) {
                if (isDatabaseFileName(name))
                    names.append(name);
            }
            // Plain code-unit order: upper-case letters sort before lower-case.
            std::sort(names.begin(), names.end());
            const QString prefix = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
            for (const QString &name : names) {
                const QString file = prefix + name;
                if (seen.contains(file))
                    continue;
                seen.insert(file);
                records.append(LayoutSourceRecord(source, file));
            }
        }
    }
    return records;
}

} // namespace LayoutSourceCatalog
