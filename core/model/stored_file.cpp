#include "stored_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

StoredFile::Identity identityOf(const struct stat &status)
{
    StoredFile::Identity identity;
    identity.device = quint64(status.st_dev);
    identity.inode = quint64(status.st_ino);
    identity.size = qint64(status.st_size);
    identity.modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + qint64(status.st_mtim.tv_nsec);
    return identity;
}

// A save's temporary file for `fileName`: ".<fileName>." and the six
// characters that mkostemp() puts in place of "XXXXXX".
QByteArray temporaryTemplate(const QString &fileName)
{
    return QFile::encodeName(QStringLiteral(".") + fileName) + ".XXXXXX";
}

bool isTemporaryOf(const QByteArray &entry, const QString &fileName)
{
    const QByteArray pattern = temporaryTemplate(fileName);
    const qsizetype fixed = pattern.size() - 6;
    if (entry.size() != pattern.size() || !entry.startsWith(pattern.left(fixed)))
        return false;
    return std::all_of(entry.cbegin() + fixed, entry.cend(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

} // namespace

StoredFile::Contents StoredFile::read(const QString &path, qint64 maxBytes)
{
    Contents contents;
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that opening a FIFO cannot wait for a writer; the
    // descriptor is checked to be a regular file before anything is read.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int openError = errno;
        struct stat link;
        if ((openError == ENOENT || openError == ENOTDIR) && ::lstat(name.constData(), &link) != 0) {
            contents.status = Status::missing;
            return contents;
        }
        contents.status = Status::unreadable;
        contents.error = QString::fromLocal8Bit(std::strerror(openError));
        return contents;
    }
    struct stat status {};
    const bool known = ::fstat(fd, &status) == 0;
    if (!known || !S_ISREG(status.st_mode)) {
        contents.status = Status::unreadable;
        contents.error = !known ? QString::fromLocal8Bit(std::strerror(errno))
                         : S_ISDIR(status.st_mode) ? QStringLiteral("is a directory")
                                                   : QStringLiteral("not a regular file");
        ::close(fd);
        return contents;
    }
    if (qint64(status.st_size) > maxBytes) {
        contents.status = Status::unreadable;
        contents.error = QStringLiteral("larger than %1 bytes").arg(maxBytes);
        ::close(fd);
        return contents;
    }
    contents.identity = identityOf(status);
    QByteArray bytes;
    bytes.reserve(qsizetype(status.st_size));
    char chunk[1 << 16];
    for (;;) {
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            contents.status = Status::unreadable;
            contents.error = QString::fromLocal8Bit(std::strerror(errno));
            ::close(fd);
            return contents;
        }
        if (count == 0)
            break;
        // The file may grow while it is read.
        if (bytes.size() + count > maxBytes) {
            contents.status = Status::unreadable;
            contents.error = QStringLiteral("larger than %1 bytes").arg(maxBytes);
            ::close(fd);
            return contents;
        }
        bytes.append(chunk, count);
    }
    ::close(fd);
    contents.bytes = std::move(bytes);
    contents.status = Status::ok;
    return contents;
}

std::optional<StoredFile::Identity> StoredFile::identity(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return identityOf(status);
}

StoredFile::Writer StoredFile::Writer::system()
{
    Writer writer;
    writer.write = [](int fd, const char *data, size_t size) { return ::write(fd, data, size); };
    writer.sync = [](int fd) { return ::fsync(fd); };
    writer.close = [](int fd) { return ::close(fd); };
    return writer;
}

bool StoredFile::writeAtomically(const QString &path, const QByteArray &bytes, QString *error, const Writer &writer)
{
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    const QFileInfo info(path);
    const QString directory = info.absolutePath();
    if (!QDir().mkpath(directory))
        return fail(QStringLiteral("cannot create directory %1").arg(directory));

    QByteArray temporary = QFile::encodeName(directory + QLatin1Char('/')) + temporaryTemplate(info.fileName());
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(QStringLiteral("temporary file: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    // The replacement keeps the permissions of the file it replaces.
    struct stat existing;
    const mode_t mode =
        ::stat(QFile::encodeName(path).constData(), &existing) == 0 ? (existing.st_mode & 07777) : mode_t(0644);
    ::fchmod(fd, mode);

    const auto abandon = [&](const char *step, int code, bool closed) {
        if (!closed)
            ::close(fd);
        ::unlink(temporary.constData());
        return fail(QStringLiteral("%1: %2").arg(QLatin1String(step), QString::fromLocal8Bit(std::strerror(code))));
    };
    const char *data = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t written = writer.write(fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return abandon("write", written < 0 ? errno : ENOSPC, false);
        data += written;
        left -= size_t(written);
    }
    // Only what reached the disk may replace the old file: a full disk can
    // also show itself at the sync or the close.
    if (writer.sync(fd) != 0)
        return abandon("sync", errno, false);
    if (writer.close(fd) != 0)
        return abandon("close", errno, true);
    if (::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0)
        return abandon("rename", errno, true);
    // The rename itself reaches the disk with the directory.
    const int directoryFd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd >= 0) {
        ::fsync(directoryFd);
        ::close(directoryFd);
    }
    return true;
}

QStringList StoredFile::removeLeftoverTemporaries(const QString &directory, const QStringList &fileNames)
{
    QStringList removed;
    const QByteArray folder = QFile::encodeName(directory);
    DIR *listing = ::opendir(folder.constData());
    if (!listing)
        return removed;
    const int folderFd = ::dirfd(listing);
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (std::none_of(fileNames.cbegin(), fileNames.cend(),
                         [&](const QString &fileName) { return isTemporaryOf(name, fileName); }))
            continue;
        // Only a file this code could have made; unlinkat() never follows a
        // link, so a link put there in the meantime goes, never its target.
        struct stat status;
        if (::fstatat(folderFd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(status.st_mode))
            continue;
        if (::unlinkat(folderFd, name.constData(), 0) == 0)
            removed.append(directory + QLatin1Char('/') + QFile::decodeName(name));
    }
    ::closedir(listing);
    return removed;
}

QString StoredFile::setAside(const QString &path, const QDateTime &now)
{
    const QString base = path + QStringLiteral(".corrupt-") + now.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const QString candidate = attempt == 1 ? base : base + QLatin1Char('-') + QString::number(attempt);
        const QFileInfo existing(candidate);
        if (existing.exists() || existing.isSymLink())
            continue;
        // QFile::rename never replaces an existing file; on failure we try the next name.
        if (QFile::rename(path, candidate))
            return candidate;
        if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
            return QString();
    }
    return QString();
}

QString StoredFile::keepCopy(const QString &path, const QByteArray &bytes, const QDateTime &now)
{
    const QString base = path + QStringLiteral(".corrupt-") + now.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const QString candidate = attempt == 1 ? base : base + QLatin1Char('-') + QString::number(attempt);
        // O_EXCL: never replaces an earlier backup, nor follows a link planted there.
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return QString();
        }
        const char *data = bytes.constData();
        size_t left = size_t(bytes.size());
        bool ok = true;
        while (ok && left > 0) {
            const ssize_t written = ::write(fd, data, left);
            if (written < 0 && errno == EINTR)
                continue;
            ok = written > 0;
            if (ok) {
                data += written;
                left -= size_t(written);
            }
        }
        ok = ::fsync(fd) == 0 && ok;
        ok = ::close(fd) == 0 && ok;
        if (!ok) {
            ::unlink(QFile::encodeName(candidate).constData());
            return QString();
        }
        return candidate;
    }
    return QString();
}
