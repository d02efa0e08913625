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
    // still resolve inside the Library folder.
    std::optional<QString> refusal(const QString &path) const;

    // True when some component of `path` below the Library folder names
    // personal data of the system's services.
    bool hasPrivacyProtectedComponent(const QString &path) const;

private:
    QString m_library;
    QStringList m_ruleRoots;
    // Given and resolved forms, so that a link elsewhere cannot hide either.
    QStringList m_appPaths;
    QStringList m_protectedPaths;
    const FileSystemAccess &m_fs;
};
