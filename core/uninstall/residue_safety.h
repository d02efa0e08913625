#pragma once

#include "file_system_access.h"

#include <QString>
#include <QStringList>

#include <optional>

// Whether one path under the Library folder may be taken as a leftover: the
// scan asks while it collects, the move asks again just before each path goes
// to the Trash, since the disk may have changed in between.
class ResidueSafety
{
public:
    // `home` is the home whose <home>/Library is scanned. `installedAppPaths`
    // are the bundles of every installed application (a folder holding one is
    // never taken); `protectedPaths` are folders that must survive whole with
    // their contents (the launcher's own state and settings, the extra
    // application folders it scans). `fs` must outlive this value.
    ResidueSafety(const QString &home, const QStringList &installedAppPaths, const QStringList &protectedPaths,
                  const FileSystemAccess &fs);

    const QString &libraryPath() const { return m_library; }

    // Nothing when `path` may be moved; otherwise why not, in a few words.
    // Links are never followed: the path and every folder up to and
    // including the Library folder must be real folders, and the path must
    // still resolve inside the Library folder. No file system may be mounted
    // at or below it (the mount points are read when this value is built).
    std::optional<QString> refusal(const QString &path) const;

    // True when some component of `path` below the Library folder names
    // personal data of the system's services.
    bool hasPrivacyProtectedComponent(const QString &path) const;

    // What refusal() learns of a folder, kept for the entries a listing of
    // that folder found, so that the folder is checked once rather than once
    // for each of its entries.
    struct CheckedFolder
    {
        QString path;
        // The folder with every link resolved, and the Library folder's.
        QString resolved;
        QString resolvedLibrary;
        // Why nothing below it may be moved, when so.
        std::optional<QString> refusal;
    };
    CheckedFolder checkFolder(const QString &folder) const;
    // refusal() of the entry `name` of a checked folder, whose listing gave
    // `type`: the same answer, from the name alone when the folder is sound.
    std::optional<QString> refusalOfListed(const CheckedFolder &folder, const QString &name,
                                           FileSystemAccess::EntryType type) const;

private:
    // The checks that need nothing but the text of the path.
    std::optional<QString> refusalByName(const QString &path) const;
    // `path` and its resolved form against the bundles, the protected folders
    // and the mounts.
    std::optional<QString> refusalOfCandidates(const QString &path, const QString &resolved,
                                               const QString &resolvedLibrary) const;

    QString m_library;
    // The Library folder resolved when this value was built; the lists below
    // hold only the entries that touch it or m_library (a path below the
    // Library folder can meet no other), while it still resolves there.
    QString m_resolvedLibrary;
    QStringList m_nearAppPaths;
    QStringList m_nearProtectedPaths;
    QStringList m_nearMountPoints;
    QStringList m_ruleRoots;
    // Given and resolved forms, so that a link elsewhere cannot hide either.
    QStringList m_appPaths;
    QStringList m_protectedPaths;
    QStringList m_mountPoints;
    const FileSystemAccess &m_fs;
};
