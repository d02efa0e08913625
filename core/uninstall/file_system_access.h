#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

// What the residue scan and the checks before a move read from the disk. Never
// writes. Every query looks at an entry itself: symbolic links are reported
// as links, never followed, except by resolvedPath().
class FileSystemAccess
{
public:
    enum class EntryType { missing, file, directory, symbolicLink, other };

    struct Entry
    {
        QByteArray name;
        EntryType type = EntryType::missing;
    };

    virtual ~FileSystemAccess() = default;

    // The entries directly inside `directory`, their names as stored on disk
    // (bytes, which need not be valid UTF-8) with their types as one listing
    // gives them (a link is reported as a link), "." and ".." left out, in
    // listing order. Empty when the folder is missing or unreadable.
    virtual QList<Entry> entries(const QString &directory) const = 0;
    // The type of the entry at `path`, like lstat(2).
    virtual EntryType entryType(const QString &path) const = 0;
    // The absolute path with every symbolic link resolved; nothing when some
    // component is missing or unreadable.
    virtual std::optional<QString> resolvedPath(const QString &path) const = 0;
    // The top-level dictionary of <bundlePath>/Contents/Info.plist; nothing
    // when it is missing, unreadable, malformed or not a dictionary.
    virtual std::optional<QVariantMap> infoPlist(const QString &bundlePath) const = 0;
    // Every mount point this process sees, as absolute paths.
    virtual QStringList mountPoints() const = 0;
};
