#include "residue_safety.h"

#include "mount_table.h"
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

bool related(const QString &a, const QString &b)
{
    return a == b || isInside(a, b) || isInside(b, a);
}

} // namespace

ResidueSafety::ResidueSafety(const QString &home, const QStringList &installedAppPaths,
                             const QStringList &protectedPaths, const FileSystemAccess &fs)
    : m_library(QDir::cleanPath(home + QStringLiteral("/Library"))), m_mountPoints(fs.mountPoints()), m_fs(fs)
{
    for (const ResidueRules::Rule &rule : ResidueRules::rules())
        m_ruleRoots.append(m_library + QLatin1Char('/') + rule.directory);
    for (const QString &path : installedAppPaths)
        addWithResolved(m_appPaths, path, fs);
    for (const QString &path : protectedPaths)
        addWithResolved(m_protectedPaths, path, fs);

    m_resolvedLibrary = fs.resolvedPath(m_library).value_or(m_library);
    const auto near = [this](const QStringList &paths) {
        QStringList kept;
        for (const QString &path : paths) {
            if (related(path, m_library) || related(path, m_resolvedLibrary))
                kept.append(path);
        }
        return kept;
    };
    m_nearAppPaths = near(m_appPaths);
    m_nearProtectedPaths = near(m_protectedPaths);
    for (const QString &point : m_mountPoints) {
        if (isInside(point, m_library) || isInside(point, m_resolvedLibrary) || point == m_library
            || point == m_resolvedLibrary)
            m_nearMountPoints.append(point);
    }
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

std::optional<QString> ResidueSafety::refusalByName(const QString &path) const
{
    if (!QDir::isAbsolutePath(path) || QDir::cleanPath(path) != path)
        return QStringLiteral("not a standardized absolute path");
    if (!QDir::isAbsolutePath(m_library) || !isInside(path, m_library))
        return QStringLiteral("outside the Library folder");
    if (m_ruleRoots.contains(path))
        return QStringLiteral("a folder the scan looks in");
    if (hasPrivacyProtectedComponent(path))
        return QStringLiteral("personal data of the system");
    return std::nullopt;
}

std::optional<QString> ResidueSafety::refusalOfCandidates(const QString &path, const QString &resolved,
                                                          const QString &resolvedLibrary) const
{
    // Should the Library folder resolve elsewhere now, every entry counts.
    const bool near = resolvedLibrary == m_resolvedLibrary;
    const QStringList &mounts = near ? m_nearMountPoints : m_mountPoints;
    const QStringList &apps = near ? m_nearAppPaths : m_appPaths;
    const QStringList &kept = near ? m_nearProtectedPaths : m_protectedPaths;
    for (const QString &candidate : {path, resolved}) {
        // Emptying the Trash would delete what the mount shows, which was
        // never the application's.
        if (const QString point = MountTable::firstAtOrBelow(mounts, candidate); !point.isEmpty())
            return QStringLiteral("a file system is mounted at or below it: ") + point;
        for (const QString &app : apps) {
            if (related(app, candidate))
                return QStringLiteral("holds an installed application");
        }
        for (const QString &folder : kept) {
            if (related(folder, candidate))
                return QStringLiteral("a protected folder of the launcher");
        }
    }
    return std::nullopt;
}

std::optional<QString> ResidueSafety::refusal(const QString &path) const
{
    if (std::optional<QString> reason = refusalByName(path))
        return reason;

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
        if (current == QLatin1String("/"))
            return QStringLiteral("outside the Library folder");
    }

    const std::optional<QString> resolved = m_fs.resolvedPath(path);
    const std::optional<QString> resolvedLibrary = m_fs.resolvedPath(m_library);
    if (!resolved || !resolvedLibrary)
        return QStringLiteral("cannot be resolved");
    if (!isInside(*resolved, *resolvedLibrary))
        return QStringLiteral("leads outside the Library folder");
    return refusalOfCandidates(path, *resolved, *resolvedLibrary);
}

ResidueSafety::CheckedFolder ResidueSafety::checkFolder(const QString &folder) const
{
    CheckedFolder checked;
    checked.path = folder;
    if (!QDir::isAbsolutePath(folder) || QDir::cleanPath(folder) != folder)
        checked.refusal = QStringLiteral("not a standardized absolute path");
    else if (folder != m_library && !isInside(folder, m_library))
        checked.refusal = QStringLiteral("outside the Library folder");
    else if (hasPrivacyProtectedComponent(folder))
        checked.refusal = QStringLiteral("personal data of the system");
    if (checked.refusal)
        return checked;
    for (QString current = folder;; current = parentOf(current)) {
        const FileSystemAccess::EntryType type = m_fs.entryType(current);
        if (type == FileSystemAccess::EntryType::missing)
            checked.refusal = QStringLiteral("a folder above it is missing");
        else if (type == FileSystemAccess::EntryType::symbolicLink)
            checked.refusal = QStringLiteral("below a symbolic link");
        else if (type != FileSystemAccess::EntryType::directory)
            checked.refusal = QStringLiteral("a folder above it is not a folder");
        if (checked.refusal || current == m_library)
            break;
        if (current == QLatin1String("/")) {
            checked.refusal = QStringLiteral("outside the Library folder");
            break;
        }
    }
    if (checked.refusal)
        return checked;
    const std::optional<QString> resolved = m_fs.resolvedPath(folder);
    const std::optional<QString> resolvedLibrary = m_fs.resolvedPath(m_library);
    if (!resolved || !resolvedLibrary) {
        checked.refusal = QStringLiteral("cannot be resolved");
        return checked;
    }
    if (*resolved != *resolvedLibrary && !isInside(*resolved, *resolvedLibrary)) {
        checked.refusal = QStringLiteral("leads outside the Library folder");
        return checked;
    }
    checked.resolved = *resolved;
    checked.resolvedLibrary = *resolvedLibrary;
    return checked;
}

std::optional<QString> ResidueSafety::refusalOfListed(const CheckedFolder &folder, const QString &name,
                                                      FileSystemAccess::EntryType type) const
{
    if (folder.refusal)
        return folder.refusal;
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/')))
        return QStringLiteral("not a standardized absolute path");
    if (type == FileSystemAccess::EntryType::missing)
        return QStringLiteral("no longer exists");
    if (type == FileSystemAccess::EntryType::symbolicLink)
        return QStringLiteral("a symbolic link");
    const QString path = folder.path + QLatin1Char('/') + name;
    if (!isInside(path, m_library))
        return QStringLiteral("outside the Library folder");
    if (m_ruleRoots.contains(path))
        return QStringLiteral("a folder the scan looks in");
    if (ResidueRules::isPrivacyProtected(name))
        return QStringLiteral("personal data of the system");
    // Not a link: it resolves to its name inside the resolved folder.
    const QString resolved = (folder.resolved == QLatin1String("/") ? QString() : folder.resolved) + QLatin1Char('/') + name;
    return refusalOfCandidates(path, resolved, folder.resolvedLibrary);
}
