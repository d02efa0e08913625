// The checks made before each move: paths that merely share a prefix with the
// Library folder, a bundle or a protected folder, and mounts at or below a
// leftover, read from a mount table given by the test.
#include "scratch_home.h"
#include "uninstall/local_file_system_access.h"
#include "uninstall/mount_table.h"
#include "uninstall/residue_safety.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// The real disk with a mount table of the test's choosing.
class MountedAccess : public LocalFileSystemAccess
{
public:
    QStringList mounts;
    QStringList mountPoints() const override { return mounts; }
};

struct PrefixRow
{
    const char *label;
    // Relative to the home.
    const char *entry;
    // Empty when the move is allowed.
    const char *refusal;
};

class PrefixWithoutSeparator : public testing::TestWithParam<PrefixRow>
{
};

// "Library2" is not inside "Library", nor "Tool.app-old" inside "Tool.app": a
// prefix counts only up to a "/".
TEST_P(PrefixWithoutSeparator, IsNeitherInsideNorAround)
{
    ScratchHome home;
    home.file(QByteArray(GetParam().entry) + "/data");
    home.folder("Library/Application Support/Tool.app/Contents");
    home.folder("Library/Caches/Kept");
    const MountedAccess fs;
    const ResidueSafety safety(home.home(), {home.path(QStringLiteral("Library/Application Support/Tool.app"))},
                               {home.path(QStringLiteral("Library/Caches/Kept"))}, fs);
    const std::optional<QString> reason = safety.refusal(home.path(QString::fromUtf8(GetParam().entry)));
    EXPECT_EQ(reason.value_or(QString()), QString::fromUtf8(GetParam().refusal));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PrefixWithoutSeparator,
    testing::Values(PrefixRow{"LibrarySibling", "Library2/Caches/x", "outside the Library folder"},
                    PrefixRow{"BundleSibling", "Library/Application Support/Tool.app-old", ""},
                    PrefixRow{"BundleItself", "Library/Application Support/Tool.app", "holds an installed application"},
                    PrefixRow{"ProtectedSibling", "Library/Caches/Kept-old", ""},
                    PrefixRow{"ProtectedItself", "Library/Caches/Kept", "a protected folder of the launcher"}),
    [](const testing::TestParamInfo<PrefixRow> &info) { return std::string(info.param.label); });

// Emptying the Trash would delete what a mount below a leftover shows.
TEST(ResidueSafetyMounts, RefusesALeftoverWithAMountAtOrBelowIt)
{
    ScratchHome home;
    home.file("Library/Caches/com.test.foo/sub/x");
    home.file("Library/Caches/com.test.foobar/x");
    home.file("Library/Caches/com.test.bar/x");
    MountedAccess fs;
    fs.mounts = {QStringLiteral("/"), home.home(), home.path(QStringLiteral("Library/Caches/com.test.foo/sub")),
                 home.path(QStringLiteral("Library/Caches/com.test.bar"))};
    const ResidueSafety safety(home.home(), {}, {}, fs);

    const std::optional<QString> below = safety.refusal(home.path(QStringLiteral("Library/Caches/com.test.foo")));
    ASSERT_TRUE(below.has_value());
    EXPECT_TRUE(below->startsWith(QStringLiteral("a file system is mounted at or below it: "))) << below->toStdString();
    EXPECT_TRUE(safety.refusal(home.path(QStringLiteral("Library/Caches/com.test.bar"))).has_value()) << "a mount point itself";
    EXPECT_FALSE(safety.refusal(home.path(QStringLiteral("Library/Caches/com.test.foobar"))).has_value())
        << "a name that merely begins like a mounted folder";

    // The same answer for an entry found by listing its folder.
    const ResidueSafety::CheckedFolder caches = safety.checkFolder(home.path(QStringLiteral("Library/Caches")));
    EXPECT_TRUE(safety.refusalOfListed(caches, QStringLiteral("com.test.foo"), FileSystemAccess::EntryType::directory));
    EXPECT_FALSE(safety.refusalOfListed(caches, QStringLiteral("com.test.foobar"), FileSystemAccess::EntryType::directory));
}

TEST(MountTable, ReadsTheMountPointFieldWithItsEscapes)
{
    const QByteArray table = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                             "36 22 0:5 /precious /home/u/Library/Caches/My\\040App/sub rw - none none rw\n"
                             "37 22 0:6 / /mnt/back\\134slash rw - tmpfs tmpfs rw\n"
                             "short line\n\n";
    EXPECT_EQ(MountTable::parse(table), (QStringList{QStringLiteral("/"), QStringLiteral("/home/u/Library/Caches/My App/sub"),
                                                     QStringLiteral("/mnt/back\\slash")}));
    EXPECT_TRUE(MountTable::current().contains(QStringLiteral("/")));
    EXPECT_EQ(MountTable::firstAtOrBelow({QStringLiteral("/a/bc"), QStringLiteral("/a/b/c")}, QStringLiteral("/a/b")),
              QStringLiteral("/a/b/c"));
}

} // namespace
