#pragma once

#include "file_system_access.h"
#include "model/app_item.h"
#include "uninstall_residue.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Finds the leftovers of applications about to be uninstalled in
// <home>/Library, by the rules of ResidueRules. Only reads; whatever it cannot
// read it skips. Reports nothing and logs nothing: the caller sees the list.
class AppResidueScanner
{
public:
    // `home` is always given (never taken from the environment). `fs` must
    // outlive the scanner. `protectedPaths`: folders never taken nor entered,
    // with their contents (the launcher's state and settings folders, the
    // extra application folders the layout scans).
    AppResidueScanner(const QString &home, const FileSystemAccess &fs, QStringList protectedPaths = {});

    const QString &home() const { return m_home; }

    // `apps`: the applications chosen for uninstalling; system applications
    // and the system vendor's are never candidates. `installedApps`: every
    // installed application (the chosen ones may be among them). No folder
    // holding any of their bundles is returned, and an entry that another
    // installed application also matches is left alone.
    // Sorted by kind, then path; each residue's owners ascend. `progress`,
    // when given, is called on the scanning thread after each folder listed
    // and every few hundred names examined, so a caller can tell a long scan
    // that still advances from one that is stuck.
    QList<UninstallResidue> scan(const QList<AppItem> &apps, const QList<AppItem> &installedApps = {},
                                 const std::function<void()> &progress = {}) const;

private:
    QString m_home;
    const FileSystemAccess &m_fs;
    QStringList m_protectedPaths;
};
