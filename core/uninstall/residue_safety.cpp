#include "residue_safety.h"

#include "residue_rules.h"

#include <QDir>

namespace {

bool isInside(const QString &path, const QString &folder)
{
    if (folder == QLatin1String("/"))
        return path.size() > 1 && path.startsWith(QLatin1Char('/'));
    return path.size() > folder.size() + 1 && path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/');
}

QString parentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

void addWithResolved(QStringList &into, const QString &path, const FileSystemAccess &fs)
{
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return;
    const QString clean = QDir::cleanPath(path);
    into.append(clean);
    if (const std::optional<QString> resolved = fs.resolvedPath(clean); resolved && *resolved != clean)
        into.append(*resolved);
}

} // namespace

ResidueSafety::ResidueSafety(const QString &home, const QStringList &installedAppPaths,
                             const QStringList &protectedPaths, const FileSystemAccess &fs)
    : m_library(QDir::cleanPath(home + QStringLiteral("/Library"))), m_fs(fs)
{
    for (const ResidueRules::Rule &rule : ResidueRules::rules())
        m_ruleRoots.append(m_library + QLatin1Char('/') + rule.directory);
    for (const QString &path : installedAppPaths)
        addWithResolved(m_appPaths, path, fs);
    for (const QString &path : protectedPaths)
        addWithResolved(m_protectedPaths, path, fs);
}

bool ResidueSafety::hasPrivacyProtectedComponent(const QString &path) const
{
    if (!isInside(path, m_library))
        return false;
    const QStringList components = path.mid(m_library.size() + 1).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &component : components) {
        if (ResidueRules::isPrivacyProtected(component))
            return true;
    }
    return false;
}

std::optional<QString> ResidueSafety::refusal(const QString &path) const
{
    if (!QDir::isAbsolutePath(path) || QDir::cleanPath(path) != path)
        return QStringLiteral("not a standardized absolute path");
    if (!QDir::isAbsolutePath(m_library) || !isInside(path, m_library))
        return QStringLiteral("outside the Library folder");
    if (m_ruleRoots.contains(path))
        return QStringLiteral("a folder the scan looks in");
    if (hasPrivacyProtectedComponent(path))
        return QStringLiteral("personal data of the system");

    // No link anywhere from the entry up to and including the Library
    // folder: a link swapped in would carry the move somewhere else.
    for (QString current = path;; current = parentOf(current)) {
        const FileSystemAccess::EntryType type = m_fs.entryType(current);
        if (type == FileSystemAccess::EntryType::missing)
            return current == path ? QStringLiteral("no longer exists") : QStringLiteral("a folder above it is missing");
        if (type == FileSystemAccess::EntryType::symbolicLink)
            return current == path ? QStringLiteral("a symbolic link") : QStringLiteral("below a symbolic link");
        if (current != path && type != FileSystemAccess::EntryType::directory)
            return QStringLiteral("a folder above it is not a folder");
        if (current == m_library)
            break;
    }

    const std::optional<QString> resolved = m_fs.resolvedPath(path);
    const std::optional<QString> resolvedLibrary = m_fs.resolvedPath(m_library);
    if (!resolved || !resolvedLibrary)
        return QStringLiteral("cannot be resolved");
    if (!isInside(*resolved, *resolvedLibrary))
        return QStringLiteral("leads outside the Library folder");

    for (const QString &candidate : {path, *resolved}) {
        for (const QString &app : m_appPaths) {
            if (candidate == app || isInside(app, candidate) || isInside(candidate, app))
                return QStringLiteral("holds an installed application");
        }
        for (const QString &kept : m_protectedPaths) {
            if (candidate == kept || isInside(kept, candidate) || isInside(candidate, kept))
                return QStringLiteral("a protected folder of the launcher");
        }
    }
    return std::nullopt;
}
