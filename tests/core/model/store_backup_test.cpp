// The arrangement kept beside the layout file before a command replaces it.
#include "model/layout_backup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class LayoutBackupTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString layout() const { return dir.filePath(QStringLiteral("layout.json")); }
};

TEST_F(LayoutBackupTest, KeepsTheLayoutBesideItAndReplacesAnEarlierCopy)
{
    EXPECT_EQ(LayoutBackup::pathFor(layout()), dir.filePath(QStringLiteral("layout.previous.json")));
    ASSERT_TRUE(write(layout(), "first"));
    ASSERT_TRUE(LayoutBackup::keep(layout()));
    ASSERT_TRUE(write(layout(), "second"));
    ASSERT_TRUE(LayoutBackup::keep(layout()));
    EXPECT_EQ(read(LayoutBackup::pathFor(layout())), "second");
    EXPECT_EQ(read(layout()), "second");
}

TEST_F(LayoutBackupTest, NoLayoutLeavesNothingToKeep)
{
    EXPECT_TRUE(LayoutBackup::keep(layout()));
    EXPECT_FALSE(QFile::exists(LayoutBackup::pathFor(layout())));
}

TEST_F(LayoutBackupTest, NeverWritesThroughALinkAtTheBackupsPlace)
{
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("precious"));
    ASSERT_TRUE(write(target, "precious"));
    ASSERT_TRUE(QFile::link(target, LayoutBackup::pathFor(layout())));
    ASSERT_TRUE(write(layout(), "arrangement"));

    ASSERT_TRUE(LayoutBackup::keep(layout()));
    EXPECT_EQ(read(target), "precious");
    EXPECT_FALSE(QFileInfo(LayoutBackup::pathFor(layout())).isSymLink());
    EXPECT_EQ(read(LayoutBackup::pathFor(layout())), "arrangement");
}

TEST_F(LayoutBackupTest, AnUnreadableLayoutIsReportedAndLeftAlone)
{
    ASSERT_TRUE(QDir().mkpath(layout())); // a folder where the file should be
    EXPECT_FALSE(LayoutBackup::keep(layout()));
    EXPECT_TRUE(QFileInfo(layout()).isDir());
    EXPECT_FALSE(QFile::exists(LayoutBackup::pathFor(layout())));
}

} // namespace
