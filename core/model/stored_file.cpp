#include "stored_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

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

} // namespace

StoredFile::Contents StoredFile::read(const QString &path)
{
    Contents contents;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        contents.status = Status::missing;
        return contents;
    }
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        contents.status = Status::unreadable;
        contents.error = info.isDir() ? QStringLiteral("is a directory") : file.errorString();
        return contents;
    }
    struct stat status;
    if (::fstat(file.handle(), &status) == 0)
        contents.identity = identityOf(status);
    contents.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        contents.status = Status::unreadable;
        contents.error = file.errorString();
        contents.bytes.clear();
        return contents;
    }
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

bool StoredFile::writeAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    const QFileInfo info(path);
    const QString directory = info.absolutePath();
    if (!QDir().mkpath(directory)) {
        if (error)
            *error = QStringLiteral("cannot create directory %1").arg(directory);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
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
