#include "support/temp_env.h"
#include "trash/freedesktop_trash.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool exists(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// The original path a .trashinfo record names, decoded.
QString originalPathIn(const QByteArray &info)
{
    const QRegularExpression line(QStringLiteral("^Path=(.*)$"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(info));
    return match.hasMatch() ? QUrl::fromPercentEncoding(match.captured(1).toUtf8()) : QString();
}

// What a file manager does to restore: the record names where it came from.
void restore(const TrashOutcome &outcome)
{
    const QString original = originalPathIn(readFile(outcome.infoPath));
    ASSERT_FALSE(original.isEmpty());
    ASSERT_EQ(std::rename(QFile::encodeName(outcome.trashedPath).constData(), QFile::encodeName(original).constData()), 0);
    QFile::remove(outcome.infoPath);
}

class FreedesktopTrashTest : public testing::Test
{
protected:
    TempHome m_home;
    QString homeTrash() const { return m_home.filePath(QStringLiteral("data/Trash")); }
};

TEST_F(FreedesktopTrashTest, MovesIntoTheHomeTrashWithARecordThatRestores)
{
    const QString file = m_home.filePath(QStringLiteral("work/My Notes 100% é.txt"));
    const QString folder = m_home.filePath(QStringLiteral("work/Example.app"));
    writeFile(file, "notes");
    writeFile(folder + QStringLiteral("/Contents/Info.plist"), "plist");

    FreedesktopTrash trash(FreedesktopTrash::defaultHomeTrash(),
                           [] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)); });
    EXPECT_EQ(trash.homeTrash(), homeTrash());
    const QList<TrashOutcome> outcomes = trash.moveToTrash({file, folder});
    ASSERT_EQ(outcomes.size(), 2);
    for (const TrashOutcome &outcome : outcomes) {
        ASSERT_TRUE(outcome.moved) << outcome.reason.toStdString();
        EXPECT_FALSE(exists(outcome.path));
        EXPECT_EQ(QFileInfo(outcome.trashedPath).path(), homeTrash() + QStringLiteral("/files"));
        EXPECT_EQ(outcome.infoPath, homeTrash() + QStringLiteral("/info/") + QFileInfo(outcome.trashedPath).fileName()
                                        + QStringLiteral(".trashinfo"));
    }
    EXPECT_EQ(readFile(outcomes.at(0).infoPath),
              "[Trash Info]\nPath=" + QUrl::toPercentEncoding(file, "/") + "\nDeletionDate=2026-03-04T05:06:07\n");
    EXPECT_TRUE(readFile(outcomes.at(0).infoPath).contains("My%20Notes%20100%25%20%C3%A9.txt"));
    EXPECT_EQ(readFile(outcomes.at(1).trashedPath + QStringLiteral("/Contents/Info.plist")), "plist");

    for (const TrashOutcome &outcome : outcomes)
        restore(outcome);
    EXPECT_EQ(readFile(file), "notes");
    EXPECT_EQ(readFile(folder + QStringLiteral("/Contents/Info.plist")), "plist");
}

TEST_F(FreedesktopTrashTest, SameNamesGetTheirOwnPlaces)
{
    const QString first = m_home.filePath(QStringLiteral("a/report.txt"));
    const QString second = m_home.filePath(QStringLiteral("b/report.txt"));
    const QString third = m_home.filePath(QStringLiteral("c/report.txt"));
    writeFile(first, "1");
    writeFile(second, "2");
    writeFile(third, "3");
    FreedesktopTrash trash(homeTrash());
    const QList<TrashOutcome> outcomes = trash.moveToTrash({first, second, third});
    QSet<QString> places;
    for (const TrashOutcome &outcome : outcomes) {
        ASSERT_TRUE(outcome.moved) << outcome.reason.toStdString();
        places.insert(outcome.trashedPath);
        EXPECT_EQ(originalPathIn(readFile(outcome.infoPath)), outcome.path);
    }
    EXPECT_EQ(places.size(), 3);
    EXPECT_EQ(readFile(outcomes.at(1).trashedPath), "2");
}

TEST_F(FreedesktopTrashTest, LinksGoAsLinksAndTheirTargetsStay)
{
    const QString target = m_home.filePath(QStringLiteral("keep/data.txt"));
    writeFile(target, "keep");
    const QString link = m_home.filePath(QStringLiteral("work/link"));
    QDir().mkpath(QFileInfo(link).path());
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
    const TrashOutcome outcome = FreedesktopTrash(homeTrash()).moveToTrash({link}).constFirst();
    ASSERT_TRUE(outcome.moved) << outcome.reason.toStdString();
    EXPECT_TRUE(QFileInfo(outcome.trashedPath).isSymLink());
    EXPECT_EQ(readFile(target), "keep");
}

TEST_F(FreedesktopTrashTest, PathsThatCannotGoStayAndSayWhy)
{
    const QString inside = homeTrash() + QStringLiteral("/files/old.txt");
    writeFile(inside, "old");
    const QString dataHome = m_home.filePath(QStringLiteral("data"));
    FreedesktopTrash trash(homeTrash());
    const QList<TrashOutcome> outcomes = trash.moveToTrash(
        {QStringLiteral("relative/path"), m_home.filePath(QStringLiteral("missing")), inside, dataHome, QStringLiteral("/")});
    ASSERT_EQ(outcomes.size(), 5);
    for (const TrashOutcome &outcome : outcomes) {
        EXPECT_FALSE(outcome.moved) << outcome.path.toStdString();
        EXPECT_FALSE(outcome.reason.isEmpty());
    }
    EXPECT_EQ(readFile(inside), "old");
    EXPECT_TRUE(QDir(homeTrash() + QStringLiteral("/info")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).isEmpty());
}

// The record that restores an item is written before the item moves: when
// it cannot be written (here the process may not write more than a few
// bytes to any file), nothing moves and no half record is left.
TEST_F(FreedesktopTrashTest, NothingMovesWhenItsRecordCannotBeWritten)
{
    const QString file = m_home.filePath(QStringLiteral("work/Library/Caches/com.example.editor"));
    writeFile(file, "cache");
    FreedesktopTrash trash(homeTrash());
    // The Trash's folders exist before the limit applies.
    ASSERT_TRUE(QDir().mkpath(homeTrash() + QStringLiteral("/files")));
    ASSERT_TRUE(QDir().mkpath(homeTrash() + QStringLiteral("/info")));

    struct rlimit saved = {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = saved;
    tiny.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const QList<TrashOutcome> outcomes = {trash.moveToTrash({file}).constFirst(),
                                          trash.moveToTrashWithin(m_home.filePath(QStringLiteral("work/Library")), {file})
                                              .constFirst()};
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousSignal);

    for (const TrashOutcome &outcome : outcomes) {
        EXPECT_FALSE(outcome.moved);
        EXPECT_TRUE(outcome.reason.contains(QStringLiteral("record"))) << outcome.reason.toStdString();
    }
    EXPECT_EQ(readFile(file), "cache");
    EXPECT_TRUE(QDir(homeTrash() + QStringLiteral("/files")).isEmpty());
    EXPECT_TRUE(QDir(homeTrash() + QStringLiteral("/info")).isEmpty());
}

// Every folder from the given root down is opened without following links.
TEST_F(FreedesktopTrashTest, WithinARootNoLinkOnTheWayIsFollowed)
{
    writeFile(m_home.filePath(QStringLiteral("outside/item/keep.txt")), "keep");
    QDir().mkpath(m_home.filePath(QStringLiteral("root")));
    ASSERT_EQ(::symlink("../outside", QFile::encodeName(m_home.filePath(QStringLiteral("root/via"))).constData()), 0);
    writeFile(m_home.filePath(QStringLiteral("root/real/item")), "mine");
    FreedesktopTrash trash(homeTrash());
    const QString root = m_home.filePath(QStringLiteral("root"));
    const QList<TrashOutcome> outcomes = trash.moveToTrashWithin(
        root, {root + QStringLiteral("/via/item"), m_home.filePath(QStringLiteral("outside/item")), root + QStringLiteral("/real/item")});
    ASSERT_EQ(outcomes.size(), 3);
    EXPECT_FALSE(outcomes.at(0).moved);
    EXPECT_FALSE(outcomes.at(1).moved) << "not below the root";
    EXPECT_TRUE(outcomes.at(2).moved) << outcomes.at(2).reason.toStdString();
    EXPECT_EQ(readFile(m_home.filePath(QStringLiteral("outside/item/keep.txt"))), "keep");
}

// A second device: a small tmpfs mounted inside the test's own folder.
class SecondDeviceTrashTest : public FreedesktopTrashTest
{
protected:
    void SetUp() override
    {
        m_volume = m_home.filePath(QStringLiteral("volume"));
        QDir().mkpath(m_volume);
        if (::mount("tmpfs", QFile::encodeName(m_volume).constData(), "tmpfs", 0, "size=2m,mode=0755") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs for a second device here: " << std::strerror(errno);
        m_mounted = true;
    }
    void TearDown() override
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_volume).constData(), MNT_DETACH);
    }

    QString m_volume;
    bool m_mounted = false;
};

TEST_F(SecondDeviceTrashTest, UsesTheVolumesOwnTrashAndRestores)
{
    const QString file = m_volume + QStringLiteral("/docs/big file.bin");
    writeFile(file, "volume data");
    const TrashOutcome outcome = FreedesktopTrash(homeTrash()).moveToTrash({file}).constFirst();
    ASSERT_TRUE(outcome.moved) << outcome.reason.toStdString();
    const QString volumeTrash = m_volume + QStringLiteral("/.Trash-") + QString::number(::getuid());
    EXPECT_EQ(outcome.trashedPath, volumeTrash + QStringLiteral("/files/big file.bin"));
    EXPECT_EQ(outcome.infoPath, volumeTrash + QStringLiteral("/info/big file.bin.trashinfo"));
    EXPECT_EQ(originalPathIn(readFile(outcome.infoPath)), file);
    struct stat info = {};
    ASSERT_EQ(::lstat(QFile::encodeName(volumeTrash).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(QDir(homeTrash() + QStringLiteral("/files")).isEmpty());
    restore(outcome);
    EXPECT_EQ(readFile(file), "volume data");
}

TEST_F(SecondDeviceTrashTest, PrefersAnAdministratorsStickyTrash)
{
    const QString shared = m_volume + QStringLiteral("/.Trash");
    ASSERT_EQ(::mkdir(QFile::encodeName(shared).constData(), 01777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QString file = m_volume + QStringLiteral("/a.txt");
    writeFile(file, "a");
    const TrashOutcome outcome = FreedesktopTrash(homeTrash()).moveToTrash({file}).constFirst();
    ASSERT_TRUE(outcome.moved) << outcome.reason.toStdString();
    EXPECT_EQ(outcome.trashedPath, shared + QLatin1Char('/') + QString::number(::getuid()) + QStringLiteral("/files/a.txt"));
}

TEST_F(SecondDeviceTrashTest, IgnoresASharedTrashThatIsALinkOrNotSticky)
{
    const QString elsewhere = m_volume + QStringLiteral("/elsewhere");
    QDir().mkpath(elsewhere);
    ASSERT_EQ(::symlink("elsewhere", QFile::encodeName(m_volume + QStringLiteral("/.Trash")).constData()), 0);
    const QString file = m_volume + QStringLiteral("/a.txt");
    writeFile(file, "a");
    const TrashOutcome outcome = FreedesktopTrash(homeTrash()).moveToTrash({file}).constFirst();
    ASSERT_TRUE(outcome.moved) << outcome.reason.toStdString();
    EXPECT_TRUE(outcome.trashedPath.startsWith(m_volume + QStringLiteral("/.Trash-")));
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
}

TEST_F(SecondDeviceTrashTest, WithoutAUsableTrashOnTheVolumeNothingMoves)
{
    // Its per-user trash is a link to somewhere else: never used.
    const QString elsewhere = m_volume + QStringLiteral("/elsewhere");
    QDir().mkpath(elsewhere);
    const QByteArray own = QFile::encodeName(m_volume + QStringLiteral("/.Trash-") + QString::number(::getuid()));
    ASSERT_EQ(::symlink("elsewhere", own.constData()), 0);
    const QString file = m_volume + QStringLiteral("/a.txt");
    writeFile(file, "a");
    const TrashOutcome linked = FreedesktopTrash(homeTrash()).moveToTrash({file}).constFirst();
    EXPECT_FALSE(linked.moved);
    EXPECT_EQ(readFile(file), "a");
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
    ::unlink(own.constData());

    // A read-only volume: no trash can be made there, and the file is
    // neither copied to the home trash nor deleted.
    ASSERT_EQ(::mount("tmpfs", QFile::encodeName(m_volume).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=2m"), 0)
        << std::strerror(errno);
    const TrashOutcome readOnly = FreedesktopTrash(homeTrash()).moveToTrash({file}).constFirst();
    EXPECT_FALSE(readOnly.moved);
    EXPECT_FALSE(readOnly.reason.isEmpty());
    EXPECT_EQ(readFile(file), "a");
    EXPECT_TRUE(QDir(homeTrash() + QStringLiteral("/files")).isEmpty());
}

TEST_F(SecondDeviceTrashTest, AMountPointStays)
{
    const TrashOutcome outcome = FreedesktopTrash(homeTrash()).moveToTrash({m_volume}).constFirst();
    EXPECT_FALSE(outcome.moved);
    EXPECT_TRUE(QFileInfo(m_volume).isDir());
}

} // namespace
