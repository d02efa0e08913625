#pragma once

#include "file_system_access.h"

// The local disk through POSIX calls, so that names are listed as the bytes
// they are and links are never followed by accident.
class LocalFileSystemAccess : public FileSystemAccess
{
public:
    QList<Entry> entries(const QString &directory) const override;
    EntryType entryType(const QString &path) const override;
    std::optional<QString> resolvedPath(const QString &path) const override;
    std::optional<QVariantMap> infoPlist(const QString &bundlePath) const override;
    // The table of /proc/self/mountinfo.
    QStringList mountPoints() const override;
};
