#include "model/file_user_defaults.h"
#include "model/layout_store.h"
#include "model/stored_file.h"
#include "support/temp_env.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList entriesOf(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden,
                                     QDir::Name);
}

LauncherLayout bigLayout(int apps)
{
    LauncherLayout layout;
    layout.pages = {{}};
    for (int i = 0; i < apps; ++i)
        layout.pages[0].append(LayoutEntry::app(QStringLiteral("com.example.application-number-%1").arg(i)));
    layout.hiddenIDs = {QStringLiteral("hidden.one")};
    layout.nameOverrides = {{QStringLiteral("com.example.application-number-1"), QStringLiteral("Renamed")}};
    return layout;
}

QByteArray encodeBig()
{
    return LayoutStore::encodeLayout(bigLayout(200));
}

// ---------------------------------------------------------------- full disk

// One way the disk refuses saves, from the moment it fills up: at the first
// write, after part of the bytes, at the sync, or at the close.
struct DiskFault
{
    const char *name;
    int failingStep; // 0 write at once, 1 second write, 2 sync, 3 close
    int error;
};

StoredFile::Writer failingWriter(const DiskFault &fault)
{
    StoredFile::Writer writer = StoredFile::Writer::system();
    auto writes = std::make_shared<int>(0);
    writer.write = [fault, writes](int fd, const char *data, size_t size) -> ssize_t {
        const int call = (*writes)++;
        if ((fault.failingStep == 0) || (fault.failingStep == 1 && call >= 1)) {
            errno = fault.error;
            return -1;
        }
        // A partial write first, as a nearly full disk gives.
        return ::write(fd, data, fault.failingStep == 1 ? std::min<size_t>(size, 7) : size);
    };
    writer.sync = [fault](int fd) {
        if (fault.failingStep == 2) {
            errno = fault.error;
            return -1;
        }
        return ::fsync(fd);
    };
    writer.close = [fault](int fd) {
        const int result = ::close(fd);
        if (fault.failingStep == 3) {
            errno = fault.error;
            return -1;
        }
        return result;
    };
    return writer;
}

class FullDiskTest : public ::testing::TestWithParam<DiskFault>
{
protected:
    TempHome home;
    QString stateDir = home.filePath(QStringLiteral("state"));
    QString defaultsPath = home.filePath(QStringLiteral("config/defaults.json"));
};

TEST_P(FullDiskTest, FailedSaveKeepsThePreviousFilesAndSaysSo)
{
    LayoutStore store(stateDir);
    ASSERT_TRUE(store.save(bigLayout(3)));
    ASSERT_TRUE(store.savePinned({QStringLiteral("com.pinned")}));
    {
        FileUserDefaults defaults(defaultsPath);
        defaults.setInteger(QStringLiteral("columns"), 9);
    }
    const QByteArray layoutBefore = readAll(store.fileURL());
    const QByteArray pinnedBefore = readAll(store.pinnedFileURL());
    const QByteArray defaultsBefore = readAll(defaultsPath);

    LogCapture log;
    store.setWriter(failingWriter(GetParam()));
    EXPECT_FALSE(store.save(bigLayout(200)));
    EXPECT_FALSE(store.savePinned({QStringLiteral("com.other")}));
    FileUserDefaults defaults(defaultsPath);
    defaults.setWriter(failingWriter(GetParam()));
    defaults.setInteger(QStringLiteral("columns"), 5);
    EXPECT_FALSE(defaults.synchronize());

    EXPECT_EQ(readAll(store.fileURL()), layoutBefore);
    EXPECT_EQ(readAll(store.pinnedFileURL()), pinnedBefore);
    EXPECT_EQ(readAll(defaultsPath), defaultsBefore);
    EXPECT_TRUE(log.contains(QStringLiteral("[Tessellon] 布局保存失败: ") + store.fileURL() + QStringLiteral(": ")));
    EXPECT_TRUE(log.contains(QStringLiteral("[settings] defaults save failed file=") + defaultsPath));
    // No temporary file is left behind.
    EXPECT_EQ(entriesOf(stateDir), (QStringList{"layout.json", "pinned.json"}));
    EXPECT_EQ(entriesOf(QFileInfo(defaultsPath).absolutePath()), QStringList{"defaults.json"});

    // The next start still reads everything the user had.
    EXPECT_EQ(LayoutStore(stateDir).load(), bigLayout(3));
    EXPECT_EQ(FileUserDefaults(defaultsPath).integer(QStringLiteral("columns")), 9);
}

INSTANTIATE_TEST_SUITE_P(Faults, FullDiskTest,
                         ::testing::Values(DiskFault{"NoSpaceAtFirstWrite", 0, ENOSPC},
                                           DiskFault{"NoSpaceAfterAPartialWrite", 1, ENOSPC},
                                           DiskFault{"SyncFails", 2, EIO},
                                           DiskFault{"QuotaAtClose", 3, EDQUOT}),
                         [](const ::testing::TestParamInfo<DiskFault> &info) { return std::string(info.param.name); });

// A real full file system: a small tmpfs, filled up.
class SmallTmpfs
{
public:
    SmallTmpfs()
    {
        if (!m_dir.isValid())
            return;
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                            "size=64k,mode=0700") == 0;
        m_error = errno;
    }
    ~SmallTmpfs()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    int error() const { return m_error; }
    // The file system turns read-only, as a disk remounted after an error does.
    bool makeReadOnly() const
    {
        return ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                       MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, "size=64k,mode=0700") == 0;
    }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Takes every free block.
    void fill() const
    {
        const int fd = ::open(QFile::encodeName(filePath(QStringLiteral("filler"))).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        const QByteArray block(4096, 'x');
        while (::write(fd, block.constData(), size_t(block.size())) > 0) {
        }
        // The last few bytes of a partly used block.
        while (::write(fd, "x", 1) > 0) {
        }
        ::close(fd);
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    int m_error = 0;
};

TEST(FullDiskTmpfsTest, SavesOnAFullFileSystemKeepThePreviousFiles)
{
    SmallTmpfs disk;
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(disk.error())
                     << "); the injected-writer cases cover the same path";
    const QString stateDir = disk.filePath(QStringLiteral("state"));
    const QString defaultsPath = disk.filePath(QStringLiteral("defaults.json"));
    LayoutStore store(stateDir);
    ASSERT_TRUE(store.save(bigLayout(3)));
    {
        FileUserDefaults defaults(defaultsPath);
        defaults.setInteger(QStringLiteral("columns"), 9);
    }
    const QByteArray layoutBefore = readAll(store.fileURL());
    const QByteArray defaultsBefore = readAll(defaultsPath);
    disk.fill();

    LogCapture log;
    EXPECT_FALSE(store.save(bigLayout(300)));
    FileUserDefaults defaults(defaultsPath);
    defaults.setString(QStringLiteral("long"), QString(20000, QLatin1Char('y')));
    EXPECT_FALSE(defaults.synchronize());

    EXPECT_EQ(readAll(store.fileURL()), layoutBefore);
    EXPECT_EQ(readAll(defaultsPath), defaultsBefore);
    EXPECT_TRUE(log.contains(QStringLiteral("[Tessellon] 布局保存失败: ")));
    EXPECT_TRUE(log.contains(QStringLiteral("[settings] defaults save failed")));
    EXPECT_EQ(LayoutStore(stateDir).load(), bigLayout(3));
}

// A state folder that cannot be written (a read-only file system, or no write
// permission): the failed save names the file, so the user knows which
// folder to fix, and the file stays as it was.
TEST(ReadOnlyStateFolderTest, FailedSaveNamesTheFile)
{
    SmallTmpfs disk;
    const bool mounted = disk.mounted();
    if (!mounted && ::geteuid() == 0)
        GTEST_SKIP() << "cannot mount a tmpfs here, and permissions do not bind the superuser";
    TempHome home;
    const QString stateDir = mounted ? disk.filePath(QStringLiteral("state")) : home.filePath(QStringLiteral("state"));
    LayoutStore store(stateDir);
    ASSERT_TRUE(store.save(bigLayout(3)));
    const QByteArray before = readAll(store.fileURL());
    if (mounted)
        ASSERT_TRUE(disk.makeReadOnly()) << std::strerror(errno);
    else
        ASSERT_EQ(::chmod(QFile::encodeName(stateDir).constData(), 0555), 0);

    LogCapture log;
    EXPECT_FALSE(store.save(bigLayout(4)));
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith(QStringLiteral("[Tessellon] 布局保存失败: ") + store.fileURL() +
                                               QStringLiteral(": ")))
        << log.lines().first().toStdString();
    EXPECT_EQ(readAll(store.fileURL()), before);
    if (!mounted)
        ::chmod(QFile::encodeName(stateDir).constData(), 0755);
}

// ---------------------------------------------------------------- interrupted saves

// A save killed between its write and its rename leaves its temporary file;
// the next start removes it, and only files of exactly that naming.
TEST(InterruptedSaveTest, LeftoverTemporaryFilesGoAtTheNextStart)
{
    TempHome home;
    const QString stateDir = home.filePath(QStringLiteral("state"));
    LayoutStore store(stateDir);
    ASSERT_TRUE(store.save(bigLayout(3)));
    const QByteArray saved = readAll(store.fileURL());

    // A real kill -9 in the middle of a save.
    StoredFile::Writer killed = StoredFile::Writer::system();
    killed.write = [](int fd, const char *data, size_t size) -> ssize_t {
        if (::write(fd, data, size / 2) < 0)
            return -1;
        ::raise(SIGKILL);
        return -1;
    };
    EXPECT_EXIT(StoredFile::writeAtomically(store.fileURL(), encodeBig(), nullptr, killed),
                ::testing::KilledBySignal(SIGKILL), "");
    const QStringList left = entriesOf(stateDir).filter(QRegularExpression(QStringLiteral("^\\.layout\\.json\\.")));
    ASSERT_EQ(left.size(), 1) << "the kill left no temporary file to clean";

    // Names that only resemble ours, and things that are not plain files.
    const QStringList strangers{QStringLiteral(".layout.json.Ab12Z"),    QStringLiteral(".layout.json.Ab12Z9x"),
                                QStringLiteral("layout.json.Ab12Z9"),    QStringLiteral(".layout.json.Ab-2Z9"),
                                QStringLiteral(".settings.json.Ab12Z9"), QStringLiteral(".layout.jsonAb12Z9")};
    for (const QString &name : strangers)
        writeFile(stateDir + QLatin1Char('/') + name, "someone else's");
    writeFile(stateDir + QStringLiteral("/.pinned.json.q7R2xZ"), "a pinned list cut short");
    writeFile(stateDir + QStringLiteral("/.layout.previous.json.0aB9yY"), "a backup cut short");
    const QString target = home.filePath(QStringLiteral("precious"));
    writeFile(target, "precious");
    ASSERT_TRUE(QFile::link(target, stateDir + QStringLiteral("/.layout.json.LINK01")));
    ASSERT_TRUE(QDir().mkpath(stateDir + QStringLiteral("/.pinned.json.DIR001")));

    LogCapture log;
    store.removeLeftoverTemporaryFiles();

    QStringList expected = strangers + QStringList{QStringLiteral(".layout.json.LINK01"),
                                                    QStringLiteral(".pinned.json.DIR001"), QStringLiteral("layout.json")};
    expected.sort();
    EXPECT_EQ(entriesOf(stateDir), expected);
    EXPECT_EQ(readAll(target), "precious");
    EXPECT_EQ(readAll(store.fileURL()), saved);
    EXPECT_TRUE(log.contains(QStringLiteral("[store] removed leftover temporary file=") + stateDir +
                             QLatin1Char('/') + left.first()));
    EXPECT_EQ(log.lines().size(), 3);
}

// ---------------------------------------------------------------- partly bad files

// One bad field in a layout that is otherwise sound: everything else stays.
struct PartlyBadCase
{
    const char *name;
    const char *badEntry; // put on the first page beside good ones
    const char *dropped;  // where the log says the drop was
};

const char kGoodEntries[] =
    R"({"id":"app:com.good","appID":"com.good"},)"
    R"({"id":"folder:F","folder":{"id":"F","name":"Work","bundleIDs":["com.in.folder"]}})";

QByteArray layoutWith(const char *badEntry)
{
    return QByteArray(R"({"pages":[[)") + badEntry + "," + kGoodEntries +
           R"(],[{"id":"app:com.second","appID":"com.second"}]],"hiddenIDs":["com.hidden"],)"
           R"("nameOverrides":{"com.good":"Good"},"customSources":["/opt/apps"]})";
}

class PartlyBadLayoutTest : public ::testing::TestWithParam<PartlyBadCase>
{
protected:
    TempHome home;
    QString stateDir = home.filePath(QStringLiteral("state"));
};

TEST_P(PartlyBadLayoutTest, KeepsEveryReadableEntryAndTheOriginal)
{
    const QByteArray original = layoutWith(GetParam().badEntry);
    writeFile(stateDir + QStringLiteral("/layout.json"), original);
    LayoutStore store(stateDir);
    LogCapture log;
    const LauncherLayout layout = store.load();

    ASSERT_EQ(layout.pages.size(), 2);
    ASSERT_EQ(layout.pages[0].size(), 2);
    EXPECT_EQ(layout.pages[0][0], LayoutEntry::app(QStringLiteral("com.good")));
    ASSERT_TRUE(layout.pages[0][1].folder.has_value());
    EXPECT_EQ(layout.pages[0][1].folder->bundleIDs, QStringList{QStringLiteral("com.in.folder")});
    EXPECT_EQ(layout.pages[1][0], LayoutEntry::app(QStringLiteral("com.second")));
    EXPECT_EQ(layout.hiddenIDs, QSet<QString>{QStringLiteral("com.hidden")});
    EXPECT_EQ(layout.nameOverrides.value(QStringLiteral("com.good")), QStringLiteral("Good"));
    EXPECT_EQ(layout.customSources, QStringList{QStringLiteral("/opt/apps")});

    EXPECT_TRUE(log.contains(QStringLiteral("[store] dropped unreadable entry file=") + store.fileURL() +
                             QStringLiteral(" at=") + QString::fromUtf8(GetParam().dropped)));
    const QStringList backups = QDir(stateDir).entryList({QStringLiteral("layout.json.corrupt-*")}, QDir::Files);
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(readAll(stateDir + QLatin1Char('/') + backups.first()), original);
    // Until the next save the file itself stays as it was.
    EXPECT_EQ(readAll(store.fileURL()), original);
    ASSERT_TRUE(store.save(layout));
    EXPECT_EQ(LayoutStore(stateDir).load(), layout);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PartlyBadLayoutTest,
    ::testing::Values(PartlyBadCase{"NumberForText", R"({"id":"app:x","appID":42})", "pages[0][0]"},
                      PartlyBadCase{"NumericID", R"({"id":7})", "pages[0][0]"},
                      PartlyBadCase{"NaNIdentifier", R"({"id":NaN,"appID":"com.nan"})", "pages[0][0]"},
                      PartlyBadCase{"InfiniteIdentifier", R"({"id":-Infinity})", "pages[0][0]"},
                      PartlyBadCase{"LoneSurrogate", R"({"id":"app:\ud800","appID":"\ud800"})", "pages[0][0]"},
                      PartlyBadCase{"FolderNameNumber",
                                    R"({"id":"folder:G","folder":{"id":"G","name":1,"bundleIDs":[]}})",
                                    "pages[0][0]"},
                      PartlyBadCase{"NotAnObject", R"("app:com.string")", "pages[0][0]"}),
    [](const ::testing::TestParamInfo<PartlyBadCase> &info) { return std::string(info.param.name); });

TEST(PartlyBadFileTest, BadMembersOutsideThePagesDropOnlyThemselves)
{
    QStringList dropped;
    const std::optional<LauncherLayout> layout = LayoutStore::decodeLayout(
        R"({"pages":[[{"id":"folder:F","folder":{"id":"F","name":"W","bundleIDs":["a",1,"b"]}}],{}],)"
        R"("hiddenIDs":["h",null,"\ud800"],"nameOverrides":{"x":"X","y":2},"customSources":"oops"})",
        &dropped);
    ASSERT_TRUE(layout.has_value());
    ASSERT_EQ(layout->pages.size(), 1);
    EXPECT_EQ(layout->pages[0][0].folder->bundleIDs, (QStringList{"a", "b"}));
    EXPECT_EQ(layout->hiddenIDs, QSet<QString>{QStringLiteral("h")});
    EXPECT_EQ(layout->nameOverrides, (QHash<QString, QString>{{QStringLiteral("x"), QStringLiteral("X")}}));
    EXPECT_TRUE(layout->customSources.isEmpty());
    EXPECT_EQ(dropped, (QStringList{"pages[0][0].folder.bundleIDs", "pages[1]", "hiddenIDs[1]", "hiddenIDs[2]",
                                    "nameOverrides[y]", "customSources"}));

    // One bad pin keeps the other pins.
    TempHome home;
    const QString stateDir = home.filePath(QStringLiteral("state"));
    writeFile(stateDir + QStringLiteral("/pinned.json"), R"(["com.a",1,"com.b",NaN])");
    LogCapture log;
    EXPECT_EQ(LayoutStore(stateDir).loadPinned(), (QStringList{"com.a", "com.b"}));
    EXPECT_TRUE(log.contains(QStringLiteral("at=pinned[1]")));
    EXPECT_EQ(QDir(stateDir).entryList({QStringLiteral("pinned.json.corrupt-*")}, QDir::Files).size(), 1);
}

// A byte that is not UTF-8 in a name (another tool's encoding, a hand edit)
// costs that one character, not the file: every entry stays, the byte reads as
// U+FFFD, and the original is kept aside before the next save replaces it.
struct InvalidUtf8Case
{
    const char *name;
    const char *fileName;
    QByteArray contents;
    std::function<void(const LayoutStore &)> expect;
};

class InvalidUtf8Test : public ::testing::TestWithParam<InvalidUtf8Case>
{
protected:
    TempHome home;
    QString stateDir = home.filePath(QStringLiteral("state"));
};

TEST_P(InvalidUtf8Test, CostsOnlyTheCharacterAndKeepsTheOriginal)
{
    const QString path = stateDir + QLatin1Char('/') + QString::fromLatin1(GetParam().fileName);
    writeFile(path, GetParam().contents);
    LayoutStore store(stateDir);
    LogCapture log;
    GetParam().expect(store);

    EXPECT_TRUE(log.contains(QStringLiteral("[store] dropped unreadable entry file=") + path +
                             QStringLiteral(" at=byte ")));
    const QStringList backups =
        QDir(stateDir).entryList({QString::fromLatin1(GetParam().fileName) + QStringLiteral(".corrupt-*")}, QDir::Files);
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(readAll(stateDir + QLatin1Char('/') + backups.first()), GetParam().contents);
    EXPECT_EQ(readAll(path), GetParam().contents);
}

const QString kReplacement(QChar(0xFFFD));

INSTANTIATE_TEST_SUITE_P(
    Cases, InvalidUtf8Test,
    ::testing::Values(
        InvalidUtf8Case{"FolderName", "layout.json",
                        R"({"pages":[[{"id":"app:com.a","appID":"com.a"},)"
                        "{\"id\":\"folder:F\",\"folder\":{\"id\":\"F\",\"name\":\"Caf\xE9\",\"bundleIDs\":[\"com.b\"]}}]],"
                        R"("hiddenIDs":["com.h"],"nameOverrides":{"com.a":"Mine"},"customSources":["/opt/apps"]})",
                        [](const LayoutStore &store) {
                            const LauncherLayout layout = store.load();
                            ASSERT_EQ(layout.pages.size(), 1);
                            ASSERT_EQ(layout.pages[0].size(), 2);
                            EXPECT_EQ(layout.pages[0][0], LayoutEntry::app(QStringLiteral("com.a")));
                            ASSERT_TRUE(layout.pages[0][1].folder.has_value());
                            EXPECT_EQ(layout.pages[0][1].folder->name, QStringLiteral("Caf") + kReplacement);
                            EXPECT_EQ(layout.pages[0][1].folder->bundleIDs, QStringList{QStringLiteral("com.b")});
                            EXPECT_EQ(layout.hiddenIDs, QSet<QString>{QStringLiteral("com.h")});
                            EXPECT_EQ(layout.nameOverrides.value(QStringLiteral("com.a")), QStringLiteral("Mine"));
                            EXPECT_EQ(layout.customSources, QStringList{QStringLiteral("/opt/apps")});
                        }},
        InvalidUtf8Case{"CustomName", "layout.json",
                        R"({"pages":[[{"id":"app:com.a","appID":"com.a"},{"id":"app:com.b","appID":"com.b"}]],)"
                        "\"hiddenIDs\":[],\"nameOverrides\":{\"com.a\":\"Na\xEFve \xFF\",\"com.b\":\"B\"},"
                        R"("customSources":[]})",
                        [](const LayoutStore &store) {
                            const LauncherLayout layout = store.load();
                            ASSERT_EQ(layout.pages.value(0).size(), 2);
                            EXPECT_EQ(layout.nameOverrides.value(QStringLiteral("com.a")),
                                      QStringLiteral("Na") + kReplacement + QStringLiteral("ve ") + kReplacement);
                            EXPECT_EQ(layout.nameOverrides.value(QStringLiteral("com.b")), QStringLiteral("B"));
                        }},
        InvalidUtf8Case{"PinnedPath", "pinned.json", "[\"com.a\",\"\\/Applications\\/Gr\xFC\xDF.app\",\"com.b\"]",
                        [](const LayoutStore &store) {
                            EXPECT_EQ(store.loadPinned(),
                                      (QStringList{QStringLiteral("com.a"),
                                                   QStringLiteral("/Applications/Gr") + kReplacement + kReplacement +
                                                       QStringLiteral(".app"),
                                                   QStringLiteral("com.b")}));
                        }}),
    [](const ::testing::TestParamInfo<InvalidUtf8Case> &info) { return std::string(info.param.name); });

// Every form that is not UTF-8 reads as U+FFFD, one for each byte; every
// well-formed sequence, four bytes long included, reads as it is.
TEST(InvalidUtf8DecodingTest, ReplacesEachBadByteAndKeepsEveryGoodSequence)
{
    QStringList dropped;
    const std::optional<QStringList> pins = LayoutStore::decodePinned(
        "[\"a\xC0\x80z\",\"\xED\xA0\x80\",\"\xF4\x90\x80\x80\",\"\xE2\x82\",\"\xF0\x9F\x98\x80 \xC3\xA9\xE2\x82\xAC\"]",
        &dropped);
    ASSERT_TRUE(pins.has_value());
    const QString r = kReplacement;
    EXPECT_EQ(*pins, (QStringList{QStringLiteral("a") + r + r + QStringLiteral("z"), r + r + r, r + r + r + r, r + r,
                                  QString::fromUtf8("\xF0\x9F\x98\x80 \xC3\xA9\xE2\x82\xAC")}));
    EXPECT_EQ(dropped, QStringList{QStringLiteral("byte 3 (invalid UTF-8; 11 byte(s) replaced by U+FFFD)")});

    // Outside a string a stray byte still leaves no JSON to read.
    EXPECT_FALSE(LayoutStore::decodePinned("[\"a\",\xFF]").has_value());
}

// ---------------------------------------------------------------- unreadable files

// A state file that is there but cannot be read: never moved, never waited
// on, never saved over in this run.
struct UnreadableCase
{
    const char *name;
    const char *kind; // "fifo", "dev-zero", "directory", "oversized", "no-permission"
};

class UnreadableStateFileTest : public ::testing::TestWithParam<std::tuple<UnreadableCase, const char *>>
{
protected:
    TempHome home;
    QString stateDir = home.filePath(QStringLiteral("state"));

    QString path() const { return stateDir + QLatin1Char('/') + QString::fromLatin1(std::get<1>(GetParam())); }

    void make() const
    {
        QDir().mkpath(stateDir);
        const QByteArray name = QFile::encodeName(path());
        const std::string kind = std::get<0>(GetParam()).kind;
        if (kind == "fifo") {
            ASSERT_EQ(::mkfifo(name.constData(), 0600), 0);
        } else if (kind == "dev-zero") {
            ASSERT_EQ(::symlink("/dev/zero", name.constData()), 0);
        } else if (kind == "directory") {
            ASSERT_TRUE(QDir().mkpath(path()));
        } else if (kind == "oversized") {
            const int fd = ::open(name.constData(), O_WRONLY | O_CREAT, 0600);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::ftruncate(fd, StoredFile::kMaxReadBytes + 1), 0);
            ::close(fd);
        } else {
            writeFile(path(), "{}");
            ASSERT_EQ(::chmod(name.constData(), 0), 0);
        }
    }

    std::string typeOf() const
    {
        struct stat status;
        if (::lstat(QFile::encodeName(path()).constData(), &status) != 0)
            return "missing";
        return std::to_string(status.st_mode) + "/" + std::to_string(status.st_ino);
    }
};

TEST_P(UnreadableStateFileTest, IsKeptInPlaceAndNeverOverwritten)
{
    if (std::string(std::get<0>(GetParam()).kind) == "no-permission" && ::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    make();
    const std::string before = typeOf();
    const QString file = QString::fromLatin1(std::get<1>(GetParam()));
    LogCapture log;
    if (file == u"defaults.json") {
        FileUserDefaults defaults(path());
        EXPECT_TRUE(defaults.dictionaryRepresentation().isEmpty());
        defaults.setInteger(QStringLiteral("columns"), 4);
        // Changes still work for this run, in memory.
        EXPECT_EQ(defaults.integer(QStringLiteral("columns")), 4);
        EXPECT_FALSE(defaults.synchronize());
        EXPECT_TRUE(log.contains(QStringLiteral("[settings] unreadable defaults file=") + path()));
    } else {
        LayoutStore store(stateDir);
        if (file == u"layout.json") {
            EXPECT_EQ(store.load(), LauncherLayout::empty());
            EXPECT_FALSE(store.save(bigLayout(2)));
        } else {
            EXPECT_TRUE(store.loadPinned().isEmpty());
            EXPECT_FALSE(store.savePinned({QStringLiteral("com.a")}));
        }
        EXPECT_TRUE(log.contains(QStringLiteral("[store] unreadable file=") + path()));
    }
    EXPECT_EQ(typeOf(), before);
    EXPECT_TRUE(QDir(stateDir).entryList({QStringLiteral("*.corrupt-*")}, QDir::AllEntries).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadableStateFileTest,
    ::testing::Combine(::testing::Values(UnreadableCase{"Fifo", "fifo"}, UnreadableCase{"LinkToDevZero", "dev-zero"},
                                         UnreadableCase{"Directory", "directory"},
                                         UnreadableCase{"Oversized", "oversized"},
                                         UnreadableCase{"NoPermission", "no-permission"}),
                       ::testing::Values("layout.json", "pinned.json", "defaults.json")),
    [](const ::testing::TestParamInfo<std::tuple<UnreadableCase, const char *>> &info) {
        std::string file = std::get<1>(info.param);
        file = file.substr(0, file.find('.'));
        return std::string(std::get<0>(info.param).name) + "_" + file;
    });

} // namespace
