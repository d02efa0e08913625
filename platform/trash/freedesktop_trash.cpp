#include "freedesktop_trash.h"

#include "uninstall/mount_table.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough for any real clash of names; beyond this something is wrong.
constexpr int kMaxNameAttempts = 10000;

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool isInside(const QString &path, const QString &folder)
{
    if (folder == QLatin1String("/"))
        return path.size() > 1;
    return path.size() > folder.size() && path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/');
}

QString parentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

std::optional<QString> realPath(const QString &path)
{
    char *resolved = ::realpath(encoded(path).constData(), nullptr);
    if (!resolved)
        return std::nullopt;
    const QString result = QFile::decodeName(resolved);
    std::free(resolved);
    return result;
}

// A folder of ours: created with `mode` when missing; when present it must
// be a real folder (not a link) owned by us. Nothing when it is unusable.
std::optional<QString> ownFolder(const QString &path, mode_t mode, QString &why)
{
    const QByteArray native = encoded(path);
    if (::mkdir(native.constData(), mode) != 0 && errno != EEXIST) {
        why = QStringLiteral("cannot create ") + path + QStringLiteral(": ") + errnoText(errno);
        return std::nullopt;
    }
    struct stat info = {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        why = path + QStringLiteral(" is not a folder of this user");
        return std::nullopt;
    }
    return path;
}

// The trash folder's "files" and "info", created when missing.
bool prepareTrash(const QString &trash, QString &why)
{
    return ownFolder(trash + QStringLiteral("/files"), 0700, why) && ownFolder(trash + QStringLiteral("/info"), 0700, why);
}

// The top folder of the mount that holds `folder` (a resolved path): the
// highest ancestor still on device `device`.
QString topFolder(const QString &folder, dev_t device)
{
    QString top = folder;
    while (top != QLatin1String("/")) {
        const QString parent = parentOf(top);
        struct stat info = {};
        if (::stat(encoded(parent).constData(), &info) != 0 || info.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

// The trash of the volume whose top folder is `top`, for this user.
std::optional<QString> volumeTrash(const QString &top, QString &why)
{
    const QString uid = QString::number(::getuid());
    const QString base = top == QLatin1String("/") ? QString() : top;

    // An administrator's shared ".Trash" counts only as a real folder with
    // the sticky bit; anything else there is ignored, as it could be a trap.
    const QString shared = base + QStringLiteral("/.Trash");
    struct stat info = {};
    if (::lstat(encoded(shared).constData(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX)) {
        QString ignored;
        if (const std::optional<QString> own = ownFolder(shared + QLatin1Char('/') + uid, 0700, ignored);
            own && prepareTrash(*own, ignored))
            return own;
    }
    const std::optional<QString> own = ownFolder(base + QStringLiteral("/.Trash-") + uid, 0700, why);
    if (!own || !prepareTrash(*own, why))
        return std::nullopt;
    return own;
}

QByteArray trashInfo(const QString &originalPath, const QDateTime &when)
{
    QByteArray text("[Trash Info]\nPath=");
    text += QUrl::toPercentEncoding(originalPath, "/");
    text += "\nDeletionDate=";
    text += when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1();
    text += '\n';
    return text;
}

bool writeAll(int fd, const QByteArray &data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// A descriptor closed when it goes out of scope.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    ~UniqueFd() { reset(); }

    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// The path of an open folder, as the kernel knows it now.
std::optional<QString> folderOf(int fd)
{
    char buffer[PATH_MAX + 1];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t length = ::readlink(link.constData(), buffer, PATH_MAX);
    if (length <= 0 || buffer[0] != '/')
        return std::nullopt;
    const QString path = QFile::decodeName(QByteArray(buffer, length));
    // A folder removed since it was opened has no place to be moved from.
    if (path.endsWith(QLatin1String(" (deleted)")))
        return std::nullopt;
    return path;
}

// Never replaces an entry of the Trash that appeared since it was looked
// for; a file system that cannot promise that gets a plain rename, as the
// name was checked free just before.
bool renameNoReplace(int fromFd, const QByteArray &from, int toFd, const QByteArray &to)
{
    if (::renameat2(fromFd, from.constData(), toFd, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    return ::renameat(fromFd, from.constData(), toFd, to.constData()) == 0;
}

TrashOutcome stayed(const QString &path, const QString &reason)
{
    TrashOutcome outcome;
    outcome.path = path;
    outcome.reason = reason;
    return outcome;
}

} // namespace

FreedesktopTrash::FreedesktopTrash(QString homeTrash, Clock now, MountPoints mountPoints)
    : m_homeTrash(QDir::cleanPath(homeTrash)), m_now(std::move(now)), m_mountPoints(std::move(mountPoints))
{
    if (!m_now)
        m_now = [] { return QDateTime::currentDateTime(); };
    if (!m_mountPoints)
        m_mountPoints = [] { return MountTable::current(); };
}

QString FreedesktopTrash::defaultHomeTrash()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(dataHome + QStringLiteral("/Trash"));
}

QList<TrashOutcome> FreedesktopTrash::moveToTrash(const QStringList &paths)
{
    QList<TrashOutcome> outcomes;
    outcomes.reserve(paths.size());
    for (const QString &path : paths)
        outcomes.append(moveOne(path, QString()));
    return outcomes;
}

QList<TrashOutcome> FreedesktopTrash::moveToTrashWithin(const QString &root, const QStringList &paths)
{
    QList<TrashOutcome> outcomes;
    outcomes.reserve(paths.size());
    for (const QString &path : paths)
        outcomes.append(root.isEmpty() ? stayed(path, QStringLiteral("no folder to stay within")) : moveOne(path, root));
    return outcomes;
}

TrashOutcome FreedesktopTrash::moveOne(const QString &path, const QString &root) const
{
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return stayed(path, QStringLiteral("not an absolute path"));
    const QString clean = QDir::cleanPath(path);
    if (clean == QLatin1String("/"))
        return stayed(path, QStringLiteral("the root folder"));

    // The folder that holds the item, opened once: every later step works
    // relative to it, so what was looked at is what moves.
    UniqueFd parentFd;
    if (root.isEmpty()) {
        parentFd.reset(::open(encoded(parentOf(clean)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!parentFd.valid())
            return stayed(path, QStringLiteral("its folder cannot be opened: ") + errnoText(errno));
    } else {
        const QString top = QDir::cleanPath(root);
        if (!QDir::isAbsolutePath(top) || !isInside(clean, top))
            return stayed(path, QStringLiteral("outside the folder it must stay in"));
        parentFd.reset(::open(encoded(top).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!parentFd.valid())
            return stayed(path, QStringLiteral("cannot open ") + top + QStringLiteral(": ") + errnoText(errno));
        const QStringList below = clean.mid(top == QLatin1String("/") ? 1 : top.size() + 1).split(QLatin1Char('/'));
        for (qsizetype i = 0; i + 1 < below.size(); ++i) {
            const int next = ::openat(parentFd.get(), encoded(below.at(i)).constData(),
                                      O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (next < 0)
                return stayed(path, QStringLiteral("a folder above it is not a real folder: ") + errnoText(errno));
            parentFd.reset(next);
        }
    }
    const QString base = nameOf(clean);
    const QByteArray nativeBase = encoded(base);

    struct stat item = {};
    if (::fstatat(parentFd.get(), nativeBase.constData(), &item, AT_SYMLINK_NOFOLLOW) != 0)
        return stayed(path, QStringLiteral("cannot be read: ") + errnoText(errno));

    // Where the opened folder really is (never the item itself: a link goes
    // to the Trash as a link), so the item's real place decides its trash.
    const std::optional<QString> folder = folderOf(parentFd.get());
    if (!folder)
        return stayed(path, QStringLiteral("its folder cannot be resolved"));
    const QString real = (*folder == QLatin1String("/") ? QString() : *folder) + QLatin1Char('/') + base;

    QString why;
    if (!QDir().mkpath(parentOf(m_homeTrash)) || !ownFolder(m_homeTrash, 0700, why) || !prepareTrash(m_homeTrash, why))
        return stayed(path, QStringLiteral("the home Trash is unusable: ") + why);
    const QString homeTrashReal = realPath(m_homeTrash).value_or(m_homeTrash);
    for (const QString &trash : {m_homeTrash, homeTrashReal}) {
        if (clean == trash || real == trash || isInside(clean, trash) || isInside(real, trash)
            || isInside(trash, clean) || isInside(trash, real))
            return stayed(path, QStringLiteral("the Trash itself, or inside it"));
    }

    struct stat homeFiles = {};
    if (::stat(encoded(m_homeTrash + QStringLiteral("/files")).constData(), &homeFiles) != 0)
        return stayed(path, QStringLiteral("the home Trash is unusable: ") + errnoText(errno));

    struct stat parent = {};
    if (::fstat(parentFd.get(), &parent) != 0 || parent.st_dev != item.st_dev)
        return stayed(path, QStringLiteral("a mount point"));
    // A mount below the item would travel with it, and emptying the Trash
    // would delete the mounted files.
    const QStringList mounts = m_mountPoints();
    for (const QString &place : {real, clean}) {
        if (const QString point = MountTable::firstAtOrBelow(mounts, place); !point.isEmpty())
            return stayed(path, QStringLiteral("a file system is mounted at or below it: ") + point);
    }

    QString trash = m_homeTrash;
    if (homeFiles.st_dev != item.st_dev) {
        const std::optional<QString> volume = volumeTrash(topFolder(*folder, item.st_dev), why);
        if (!volume)
            return stayed(path, QStringLiteral("no usable Trash on its volume: ") + why);
        trash = *volume;
    }
    if (real == trash || isInside(real, trash) || isInside(trash, real))
        return stayed(path, QStringLiteral("the Trash itself, or inside it"));

    const UniqueFd filesFd(::open(encoded(trash + QStringLiteral("/files")).constData(),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const UniqueFd infoFd(::open(encoded(trash + QStringLiteral("/info")).constData(),
                                 O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat files = {};
    if (!filesFd.valid() || !infoFd.valid() || ::fstat(filesFd.get(), &files) != 0)
        return stayed(path, QStringLiteral("the Trash is unusable: ") + errnoText(errno));
    if (files.st_dev != item.st_dev)
        return stayed(path, QStringLiteral("no Trash on the same device"));

    const QByteArray info = trashInfo(clean, m_now());
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const QString name = attempt == 1 ? base : base + QLatin1Char('.') + QString::number(attempt);
        const QByteArray infoName = encoded(name + QStringLiteral(".trashinfo"));
        const QByteArray target = encoded(name);
        // The record is created exclusively first: it reserves the name
        // against any other program trashing at the same moment, and an item
        // never lies in the Trash without the record that restores it.
        const int fd = ::openat(infoFd.get(), infoName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return stayed(path, QStringLiteral("cannot write its Trash record: ") + errnoText(errno));
        }
        struct stat existing = {};
        if (::fstatat(filesFd.get(), target.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            ::close(fd);
            ::unlinkat(infoFd.get(), infoName.constData(), 0);
            continue;
        }
        const bool written = writeAll(fd, info);
        const bool closed = ::close(fd) == 0;
        if (!written || !closed) {
            ::unlinkat(infoFd.get(), infoName.constData(), 0);
            return stayed(path, QStringLiteral("cannot write its Trash record"));
        }
        if (!renameNoReplace(parentFd.get(), nativeBase, filesFd.get(), target)) {
            const int error = errno;
            ::unlinkat(infoFd.get(), infoName.constData(), 0);
            if (error == EEXIST)
                continue;
            return stayed(path, QStringLiteral("cannot be moved: ") + errnoText(error));
        }
        TrashOutcome outcome;
        outcome.path = path;
        outcome.moved = true;
        outcome.trashedPath = trash + QStringLiteral("/files/") + name;
        outcome.infoPath = trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo");
        return outcome;
    }
    return stayed(path, QStringLiteral("no free name in the Trash"));
}
