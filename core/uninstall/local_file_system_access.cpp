#include "local_file_system_access.h"

#include "foundation/bounded_read.h"
#include "foundation/property_list.h"
#include "mount_table.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cstdlib>

namespace {

// A real Info.plist is a few kilobytes; a huge file is not one.
constexpr qint64 kMaxInfoPlistBytes = 4 * 1024 * 1024;

} // namespace

QList<FileSystemAccess::Entry> LocalFileSystemAccess::entries(const QString &directory) const
{
    QList<Entry> list;
    const QByteArray native = QFile::encodeName(directory);
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return list;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return list;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        EntryType type = EntryType::other;
        switch (entry->d_type) {
        case DT_DIR:
            type = EntryType::directory;
            break;
        case DT_REG:
            type = EntryType::file;
            break;
        case DT_LNK:
            type = EntryType::symbolicLink;
            break;
        case DT_UNKNOWN: {
            // Some file systems leave the type out of the listing: ask the
            // entry itself, relative to the folder already open.
            struct stat info = {};
            if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                type = EntryType::missing;
            else if (S_ISLNK(info.st_mode))
                type = EntryType::symbolicLink;
            else if (S_ISDIR(info.st_mode))
                type = EntryType::directory;
            else if (S_ISREG(info.st_mode))
                type = EntryType::file;
            break;
        }
        default:
            break;
        }
        if (type != EntryType::missing)
            list.append(Entry{name, type});
    }
    ::closedir(dir);
    return list;
}

FileSystemAccess::EntryType LocalFileSystemAccess::entryType(const QString &path) const
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return EntryType::missing;
    if (S_ISLNK(info.st_mode))
        return EntryType::symbolicLink;
    if (S_ISDIR(info.st_mode))
        return EntryType::directory;
    if (S_ISREG(info.st_mode))
        return EntryType::file;
    return EntryType::other;
}

std::optional<QString> LocalFileSystemAccess::resolvedPath(const QString &path) const
{
    char *resolved = ::realpath(QFile::encodeName(path).constData(), nullptr);
    if (!resolved)
        return std::nullopt;
    const QString result = QFile::decodeName(resolved);
    std::free(resolved);
    return result;
}

std::optional<QVariantMap> LocalFileSystemAccess::infoPlist(const QString &bundlePath) const
{
    const QString path = bundlePath + QStringLiteral("/Contents/Info.plist");
    // A pipe or device in its place would block or never end.
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxInfoPlistBytes)
        return std::nullopt;
    const std::optional<QVariant> value = PropertyList::parse(readAtMost(file, kMaxInfoPlistBytes, file.size()));
    if (!value || value->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return value->toMap();
}

QStringList LocalFileSystemAccess::mountPoints() const
{
    return MountTable::current();
}
