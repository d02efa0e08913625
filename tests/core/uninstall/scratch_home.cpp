#include "scratch_home.h"

#include "foundation/property_list.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

void makeFolders(const QByteArray &path)
{
    if (path.isEmpty() || path == "/")
        return;
    struct stat info = {};
    if (::lstat(path.constData(), &info) == 0)
        return;
    makeFolders(parentOf(path));
    ASSERT_EQ(::mkdir(path.constData(), 0755), 0) << path.constData();
}

} // namespace

ScratchHome::ScratchHome()
{
    EXPECT_TRUE(m_dir.isValid());
}

ScratchHome::~ScratchHome()
{
    ::nftw(
        QFile::encodeName(home()).constData(),
        [](const char *path, const struct stat *, int, struct FTW *) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

QByteArray ScratchHome::nativePath(const QByteArray &relative) const
{
    return QFile::encodeName(home()) + '/' + relative;
}

void ScratchHome::folder(const QByteArray &relative) const
{
    makeFolders(nativePath(relative));
}

void ScratchHome::file(const QByteArray &relative, const QByteArray &content) const
{
    const QByteArray path = nativePath(relative);
    makeFolders(parentOf(path));
    FILE *out = std::fopen(path.constData(), "wb");
    ASSERT_NE(out, nullptr) << path.constData();
    std::fwrite(content.constData(), 1, size_t(content.size()), out);
    std::fclose(out);
}

void ScratchHome::link(const QByteArray &relative, const QByteArray &target) const
{
    const QByteArray path = nativePath(relative);
    makeFolders(parentOf(path));
    ASSERT_EQ(::symlink(target.constData(), path.constData()), 0) << path.constData();
}

void ScratchHome::remove(const QByteArray &relative) const
{
    const QByteArray path = nativePath(relative);
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode))
        QDir(QFile::decodeName(path)).removeRecursively();
    else
        ::unlink(path.constData());
}

AppItem ScratchHome::bundle(const QString &relative, const QString &bundleID, const QString &name,
                            const QVariantMap &extra) const
{
    QVariantMap info = extra;
    if (!bundleID.isEmpty())
        info.insert(QStringLiteral("CFBundleIdentifier"), bundleID);
    file((relative + QStringLiteral("/Contents/Info.plist")).toUtf8(), PropertyList::toXml(info));
    return AppItem(bundleID, name, path(relative), false);
}

QByteArray entryState(const QByteArray &nativePath)
{
    struct stat info = {};
    if (::lstat(nativePath.constData(), &info) != 0)
        return "-";
    if (S_ISLNK(info.st_mode))
        return "l";
    if (S_ISDIR(info.st_mode))
        return "d";
    FILE *in = std::fopen(nativePath.constData(), "rb");
    if (!in)
        return "f?";
    QByteArray content("f");
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        content.append(buffer, qsizetype(n));
    std::fclose(in);
    return content;
}
