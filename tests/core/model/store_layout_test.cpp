#include "model/layout_store.h"
#include "model/stored_file.h"
#include "support/temp_env.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

#include <unistd.h>

namespace {

QStringList backupsOf(const QString &path)
{
    const QFileInfo info(path);
    return QDir(info.absolutePath())
        .entryList({info.fileName() + QStringLiteral(".corrupt-*")}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                   QDir::Name);
}

// A layout touching every member kind: an application, a folder with a path
// member, an entry with neither, an empty page, hidden identifiers, overrides
// keyed by path and by identifier, a custom source.
LauncherLayout sampleLayout()
{
    LauncherLayout layout;
    layout.pages = {
        {LayoutEntry::app(QStringLiteral("com.apple.Safari")),
         LayoutEntry::makeFolder(LayoutFolder(QStringLiteral("F1"), QStringLiteral("Work / \"Play\""),
                                              {QStringLiteral("com.b"), QStringLiteral("/Applications/X.app")})),
         LayoutEntry(QStringLiteral("odd"))},
        {},
    };
    layout.hiddenIDs = {QStringLiteral("z.hidden"), QStringLiteral("a.hidden")};
    layout.nameOverrides = {{QStringLiteral("com.b"), QStringLiteral("Bé")},
                            {QStringLiteral("/Applications/X.app"), QStringLiteral("X")}};
    layout.customSources = {QStringLiteral("/opt/apps")};
    return layout;
}

const char kSampleLayoutText[] = R"({
  "customSources" : [
    "/opt/apps"
  ],
  "hiddenIDs" : [
    "a.hidden",
    "z.hidden"
  ],
  "nameOverrides" : {
    "/Applications/X.app" : "X",
    "com.b" : "Bé"
  },
  "pages" : [
    [
      {
        "appID" : "com.apple.Safari",
        "id" : "app:com.apple.Safari"
      },
      {
        "folder" : {
          "bundleIDs" : [
            "com.b",
            "/Applications/X.app"
          ],
          "id" : "F1",
          "name" : "Work / \"Play\""
        },
        "id" : "folder:F1"
      },
      {
        "id" : "odd"
      }
    ],
    [

    ]
  ]
})";

const char kEmptyLayoutText[] = R"({
  "customSources" : [

  ],
  "hiddenIDs" : [

  ],
  "nameOverrides" : {

  },
  "pages" : [
    [

    ]
  ]
})";

TEST(LayoutStoreFormatTest, LayoutFileIsPrettySortedWithPlainSlashes)
{
    EXPECT_EQ(LayoutStore::encodeLayout(sampleLayout()).toStdString(), std::string(kSampleLayoutText));
    EXPECT_EQ(LayoutStore::encodeLayout(LauncherLayout::empty()).toStdString(), std::string(kEmptyLayoutText));
}

TEST(LayoutStoreFormatTest, PinnedFileIsCompactWithEscapedSlashes)
{
    EXPECT_EQ(LayoutStore::encodePinned({"com.a", "/Applications/Tést.app"}).toStdString(),
              R"(["com.a","\/Applications\/Tést.app"])");
    EXPECT_EQ(LayoutStore::encodePinned({}).toStdString(), "[]");
}

TEST(LayoutStoreFormatTest, PinnedFileReadsEscapedAndPlainSlashes)
{
    const QStringList expected{"/A/b.app", "/C/d.app"};
    EXPECT_EQ(LayoutStore::decodePinned(R"(["\/A\/b.app","/C/d.app"])"), expected);
    EXPECT_EQ(LayoutStore::decodePinned("[\n  \"/A/b.app\",\n  \"\\/C\\/d.app\"\n]"), expected);
}

struct BadPinnedCase
{
    const char *name;
    const char *json;
};

class LayoutStoreBadPinnedTest : public ::testing::TestWithParam<BadPinnedCase>
{
};

TEST_P(LayoutStoreBadPinnedTest, IsRejected)
{
    EXPECT_FALSE(LayoutStore::decodePinned(GetParam().json).has_value());
}

TEST(LayoutStorePinnedDecodingTest, ABadElementDropsOnlyItself)
{
    for (const char *json : {R"(["a",1])", R"(["a",null])", R"([{},"a"])"}) {
        QStringList dropped;
        EXPECT_EQ(LayoutStore::decodePinned(json, &dropped), QStringList{"a"}) << json;
        EXPECT_EQ(dropped.size(), 1) << json;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LayoutStoreBadPinnedTest,
                         ::testing::Values(BadPinnedCase{"Object", R"({"a":"b"})"},
                                           BadPinnedCase{"NotJson", "com.a"},
                                           BadPinnedCase{"Empty", ""}),
                         [](const ::testing::TestParamInfo<BadPinnedCase> &info) {
                             return std::string(info.param.name);
                         });

// Bytes that are no JSON object fail the whole file.
struct BadLayoutCase
{
    const char *name;
    const char *json;
};

class LayoutStoreUndecodableTest : public ::testing::TestWithParam<BadLayoutCase>
{
};

TEST_P(LayoutStoreUndecodableTest, RejectsWholeFile)
{
    EXPECT_FALSE(LayoutStore::decodeLayout(GetParam().json).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutStoreUndecodableTest,
    ::testing::Values(BadLayoutCase{"NotJson", "{\"pages\": ["}, BadLayoutCase{"TopLevelArray", "[]"},
                      BadLayoutCase{"TrailingGarbage", "{\"pages\":[],\"hiddenIDs\":[],\"nameOverrides\":{},"
                                                       "\"customSources\":[]} x"},
                      BadLayoutCase{"InvalidUtf8OutsideAString", "{\"pages\":[],\"hiddenIDs\":[],"
                                                                 "\"nameOverrides\":{},\"customSources\":[]\xff}"}),
    [](const ::testing::TestParamInfo<BadLayoutCase> &info) { return std::string(info.param.name); });

// Every other kind of bad member is dropped on its own and named.
class LayoutStorePartialDecodingTest : public ::testing::TestWithParam<BadLayoutCase>
{
};

TEST_P(LayoutStorePartialDecodingTest, DropsOnlyTheBadMember)
{
    QStringList dropped;
    EXPECT_TRUE(LayoutStore::decodeLayout(GetParam().json, &dropped).has_value());
    EXPECT_FALSE(dropped.isEmpty());
}

#define LAYOUT_WITH(pages, hidden, overrides, sources)                                                          \
    "{\"pages\":" pages ",\"hiddenIDs\":" hidden ",\"nameOverrides\":" overrides ",\"customSources\":" sources "}"
#define PAGES_WITH(entry) LAYOUT_WITH("[[" entry "]]", "[]", "{}", "[]")

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutStorePartialDecodingTest,
    ::testing::Values(
        BadLayoutCase{"MissingPages", R"({"hiddenIDs":[],"nameOverrides":{},"customSources":[]})"},
        BadLayoutCase{"MissingHiddenIDs", R"({"pages":[],"nameOverrides":{},"customSources":[]})"},
        BadLayoutCase{"MissingNameOverrides", R"({"pages":[],"hiddenIDs":[],"customSources":[]})"},
        BadLayoutCase{"MissingCustomSources", R"({"pages":[],"hiddenIDs":[],"nameOverrides":{}})"},
        BadLayoutCase{"NullPages", LAYOUT_WITH("null", "[]", "{}", "[]")},
        BadLayoutCase{"PageNotArray", LAYOUT_WITH("[{}]", "[]", "{}", "[]")},
        BadLayoutCase{"HiddenIDsWithNumber", LAYOUT_WITH("[]", "[\"a\",1]", "{}", "[]")},
        BadLayoutCase{"HiddenIDsObject", LAYOUT_WITH("[]", "{}", "{}", "[]")},
        BadLayoutCase{"NameOverridesArray", LAYOUT_WITH("[]", "[]", "[]", "[]")},
        BadLayoutCase{"NameOverrideValueNumber", LAYOUT_WITH("[]", "[]", "{\"a\":1}", "[]")},
        BadLayoutCase{"NameOverrideValueNull", LAYOUT_WITH("[]", "[]", "{\"a\":null}", "[]")},
        BadLayoutCase{"CustomSourcesString", LAYOUT_WITH("[]", "[]", "{}", "\"/opt\"")},
        BadLayoutCase{"EntryNotObject", PAGES_WITH("\"app:a\"")},
        BadLayoutCase{"EntryMissingID", PAGES_WITH("{\"appID\":\"a\"}")},
        BadLayoutCase{"EntryNullID", PAGES_WITH("{\"id\":null}")},
        BadLayoutCase{"EntryNumericID", PAGES_WITH("{\"id\":7}")},
        BadLayoutCase{"EntryAppIDNumber", PAGES_WITH("{\"id\":\"app:a\",\"appID\":1}")},
        BadLayoutCase{"EntryAppIDBoolean", PAGES_WITH("{\"id\":\"app:a\",\"appID\":false}")},
        BadLayoutCase{"EntryFolderString", PAGES_WITH("{\"id\":\"folder:f\",\"folder\":\"f\"}")},
        BadLayoutCase{"FolderMissingName", PAGES_WITH("{\"id\":\"folder:f\",\"folder\":{\"id\":\"f\",\"bundleIDs\":[]}}")},
        BadLayoutCase{"FolderMissingID", PAGES_WITH("{\"id\":\"folder:f\",\"folder\":{\"name\":\"n\",\"bundleIDs\":[]}}")},
        BadLayoutCase{"FolderNullBundleIDs",
                      PAGES_WITH("{\"id\":\"folder:f\",\"folder\":{\"id\":\"f\",\"name\":\"n\",\"bundleIDs\":null}}")},
        BadLayoutCase{"FolderMemberNull",
                      PAGES_WITH("{\"id\":\"folder:f\",\"folder\":{\"id\":\"f\",\"name\":\"n\",\"bundleIDs\":[null]}}")},
        BadLayoutCase{"LoneSurrogateInID", PAGES_WITH("{\"id\":\"app:\\ud800\"}")}),
    [](const ::testing::TestParamInfo<BadLayoutCase> &info) { return std::string(info.param.name); });

TEST(LayoutStoreDecodingTest, AcceptsWhatTheFormatAllows)
{
    // Optional members null or absent, unknown members, escaped slashes, zero pages.
    const std::optional<LauncherLayout> layout = LayoutStore::decodeLayout(
        R"({"version":3,"pages":[[{"id":"x","appID":null,"folder":null,"extra":[1]},)"
        R"({"id":"app:\/A.app","appID":"\/A.app"}]],"hiddenIDs":["h","h"],"nameOverrides":{"\/A.app":"A"},)"
        R"("customSources":["/opt"]})");
    ASSERT_TRUE(layout.has_value());
    ASSERT_EQ(layout->pages.size(), 1);
    ASSERT_EQ(layout->pages[0].size(), 2);
    EXPECT_EQ(layout->pages[0][0], LayoutEntry(QStringLiteral("x")));
    EXPECT_EQ(layout->pages[0][1], LayoutEntry::app(QStringLiteral("/A.app")));
    EXPECT_EQ(layout->hiddenIDs, QSet<QString>{QStringLiteral("h")});
    EXPECT_EQ(layout->nameOverrides.value(QStringLiteral("/A.app")), QStringLiteral("A"));
    EXPECT_EQ(layout->customSources, QStringList{QStringLiteral("/opt")});

    const std::optional<LauncherLayout> noPages = LayoutStore::decodeLayout(LAYOUT_WITH("[]", "[]", "{}", "[]"));
    ASSERT_TRUE(noPages.has_value());
    EXPECT_TRUE(noPages->pages.isEmpty());
}

class LayoutStoreFileTest : public ::testing::Test
{
protected:
    TempHome home;
    QString stateDir = home.filePath(QStringLiteral("state/nested/dir"));
    LayoutStore store{stateDir};
};

TEST_F(LayoutStoreFileTest, MissingDirectoryLoadsEmptyAndFirstSaveCreatesIt)
{
    LogCapture log;
    EXPECT_EQ(store.load(), LauncherLayout::empty());
    EXPECT_TRUE(store.loadPinned().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(stateDir));
    EXPECT_TRUE(log.lines().isEmpty());

    ASSERT_TRUE(store.save(sampleLayout()));
    EXPECT_EQ(store.fileURL(), stateDir + QStringLiteral("/layout.json"));
    EXPECT_EQ(readAll(store.fileURL()).toStdString(), std::string(kSampleLayoutText));

    ASSERT_TRUE(store.savePinned({"com.a", "/Applications/X.app"}));
    EXPECT_EQ(readAll(stateDir + QStringLiteral("/pinned.json")).toStdString(), R"(["com.a","\/Applications\/X.app"])");
    // Only the two files: no temporary file is left behind.
    EXPECT_EQ(QDir(stateDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{"layout.json", "pinned.json"}));
}

TEST_F(LayoutStoreFileTest, RoundTripsLayoutAndPinnedList)
{
    LauncherLayout layout = sampleLayout();
    for (int i = 0; i < 40; ++i)
        layout.hiddenIDs.insert(QStringLiteral("hidden.%1").arg(i));
    ASSERT_TRUE(store.save(layout));
    EXPECT_EQ(store.load(), layout);

    LauncherLayout noPages;
    noPages.pages.clear();
    ASSERT_TRUE(store.save(noPages));
    EXPECT_TRUE(store.load().pages.isEmpty());

    const QStringList pinned{"/Applications/Ünï.app", "com.a", "com.a", "tab\there"};
    ASSERT_TRUE(store.savePinned(pinned));
    EXPECT_EQ(store.loadPinned(), pinned);
}

// A save of what the file already holds (every start saves the layout it
// read) writes nothing and syncs nothing. Whatever else happened to the file
// since this store read or wrote it, the save goes to the disk.
TEST_F(LayoutStoreFileTest, SavingWhatTheFileHoldsWritesNothing)
{
    auto writes = std::make_shared<int>(0);
    StoredFile::Writer counting = StoredFile::Writer::system();
    counting.write = [writes](int fd, const char *data, size_t size) -> ssize_t {
        ++*writes;
        return ::write(fd, data, size);
    };
    ASSERT_TRUE(store.save(sampleLayout()));
    ASSERT_TRUE(store.savePinned({"com.a"}));
    const std::optional<StoredFile::Identity> written = StoredFile::identity(store.fileURL());

    LayoutStore reader(stateDir);
    reader.setWriter(counting);
    const LauncherLayout layout = reader.load();
    const QStringList pinned = reader.loadPinned();
    EXPECT_TRUE(reader.save(layout));
    EXPECT_TRUE(reader.savePinned(pinned));
    EXPECT_EQ(*writes, 0);
    EXPECT_EQ(StoredFile::identity(store.fileURL()), written);

    // Changed content.
    LauncherLayout changed = layout;
    changed.hiddenIDs.insert(QStringLiteral("one.more"));
    EXPECT_TRUE(reader.save(changed));
    EXPECT_EQ(*writes, 1);
    EXPECT_TRUE(reader.save(changed));
    EXPECT_EQ(*writes, 1);

    // The file replaced behind the store, then removed: saved again each time.
    ASSERT_TRUE(store.save(sampleLayout()));
    EXPECT_TRUE(reader.save(changed));
    EXPECT_EQ(*writes, 2);
    EXPECT_EQ(reader.load(), changed);
    ASSERT_TRUE(QFile::remove(store.fileURL()));
    ASSERT_TRUE(QFile::remove(store.pinnedFileURL()));
    EXPECT_TRUE(reader.save(changed));
    EXPECT_TRUE(reader.savePinned(pinned));
    EXPECT_EQ(*writes, 4);
    EXPECT_EQ(LayoutStore(stateDir).load(), changed);
    EXPECT_EQ(LayoutStore(stateDir).loadPinned(), pinned);
}

TEST_F(LayoutStoreFileTest, SaveReplacesTheFileRatherThanRewritingIt)
{
    ASSERT_TRUE(store.save(LauncherLayout::empty()));
    // A second name for the old file: an in-place rewrite would change it too.
    const QString oldLink = home.filePath(QStringLiteral("old-layout.json"));
    ASSERT_EQ(::link(QFile::encodeName(store.fileURL()).constData(), QFile::encodeName(oldLink).constData()), 0);

    ASSERT_TRUE(store.save(sampleLayout()));
    EXPECT_EQ(readAll(oldLink).toStdString(), std::string(kEmptyLayoutText));
    EXPECT_EQ(readAll(store.fileURL()).toStdString(), std::string(kSampleLayoutText));
}

TEST_F(LayoutStoreFileTest, FailedSaveIsLoggedAndReportsFalse)
{
    // The state directory's place is taken by a file.
    writeFile(stateDir, "not a directory");
    LogCapture log;
    EXPECT_FALSE(store.save(sampleLayout()));
    EXPECT_FALSE(store.savePinned({"a"}));
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith(QStringLiteral("[Tessellon] 布局保存失败: ")));
    EXPECT_EQ(readAll(stateDir), QByteArray("not a directory"));
}

// An undecodable file is never lost: it is moved aside, logged once, and the
// load answers the empty value. Both files, both ways of reaching it.
struct CorruptCase
{
    const char *name;
    const char *fileName;
    QByteArray contents;
};

class LayoutStoreCorruptFileTest : public LayoutStoreFileTest, public ::testing::WithParamInterface<CorruptCase>
{
protected:
    QString path() const { return stateDir + QLatin1Char('/') + QString::fromLatin1(GetParam().fileName); }
    bool isLayout() const { return QString::fromLatin1(GetParam().fileName) == u"layout.json"; }
    bool loadIsEmpty() const
    {
        return isLayout() ? store.load() == LauncherLayout::empty() : store.loadPinned().isEmpty();
    }
    bool saveSomething() const
    {
        return isLayout() ? store.save(sampleLayout()) : store.savePinned({"com.new"});
    }
};

TEST_P(LayoutStoreCorruptFileTest, LoadMovesItAsideBeforeAnythingIsWritten)
{
    writeFile(path(), GetParam().contents);
    LogCapture log;
    EXPECT_TRUE(loadIsEmpty());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith(QStringLiteral("[store] unreadable file=") + path()));

    const QStringList backups = backupsOf(path());
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(readAll(stateDir + QLatin1Char('/') + backups.first()), GetParam().contents);

    ASSERT_TRUE(saveSomething());
    EXPECT_EQ(readAll(stateDir + QLatin1Char('/') + backups.first()), GetParam().contents);
    EXPECT_FALSE(loadIsEmpty());

    // A second bad file later gets a backup of its own; the first one stays.
    writeFile(path(), "second bad");
    EXPECT_TRUE(loadIsEmpty());
    const QStringList after = backupsOf(path());
    ASSERT_EQ(after.size(), 2);
    EXPECT_TRUE(after.contains(backups.first()));
    EXPECT_EQ(readAll(stateDir + QLatin1Char('/') + backups.first()), GetParam().contents);
}

TEST_P(LayoutStoreCorruptFileTest, SaveWithoutLoadStillKeepsIt)
{
    writeFile(path(), GetParam().contents);
    ASSERT_TRUE(saveSomething());
    QStringList backups = backupsOf(path());
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(readAll(stateDir + QLatin1Char('/') + backups.first()), GetParam().contents);
    EXPECT_FALSE(loadIsEmpty());

    // The store wrote the file itself, then someone else spoiled it in place.
    writeFile(path(), GetParam().contents);
    ASSERT_TRUE(saveSomething());
    backups = backupsOf(path());
    EXPECT_EQ(backups.size(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutStoreCorruptFileTest,
    ::testing::Values(CorruptCase{"LayoutTruncated", "layout.json", QByteArray(kSampleLayoutText).left(200)},
                      CorruptCase{"LayoutNotAnObject", "layout.json", R"(["pages"])"},
                      CorruptCase{"LayoutEmptyFile", "layout.json", ""},
                      CorruptCase{"PinnedObject", "pinned.json", R"({"pinned":["a"]})"},
                      CorruptCase{"PinnedBinary", "pinned.json", QByteArray("\x00\x01\xff", 3)}),
    [](const ::testing::TestParamInfo<CorruptCase> &info) { return std::string(info.param.name); });

TEST(StoredFileTest, SetAsideNeverReplacesAnEarlierBackup)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("layout.json"));
    const QDateTime now(QDate(2024, 3, 1), QTime(12, 30, 5), Qt::UTC);
    const QString base = path + QStringLiteral(".corrupt-20240301-123005");
    writeFile(base, "first");
    writeFile(base + QStringLiteral("-2"), "second");
    writeFile(path, "third");

    EXPECT_EQ(StoredFile::setAside(path, now), base + QStringLiteral("-3"));
    EXPECT_EQ(readAll(base), QByteArray("first"));
    EXPECT_EQ(readAll(base + QStringLiteral("-2")), QByteArray("second"));
    EXPECT_EQ(readAll(base + QStringLiteral("-3")), QByteArray("third"));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(StoredFile::setAside(path, now).isEmpty());
}

TEST(StoredFileTest, SetAsideMovesASymlinkNotItsTarget)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("elsewhere.txt"));
    writeFile(target, "outside");
    const QString link = dir.filePath(QStringLiteral("state/layout.json"));
    QDir().mkpath(dir.filePath(QStringLiteral("state")));
    ASSERT_TRUE(QFile::link(target, link));

    const QString backup = StoredFile::setAside(link);
    ASSERT_FALSE(backup.isEmpty());
    EXPECT_TRUE(QFileInfo(backup).isSymLink());
    EXPECT_EQ(readAll(target), QByteArray("outside"));
}

struct DirectoryCase
{
    const char *name;
    QStringList arguments;
    std::optional<QString> environment;
    QString expected; // relative to the test's home; "@data" is $XDG_DATA_HOME/Tessellon
};

class LayoutStoreDirectoryTest : public ::testing::TestWithParam<DirectoryCase>
{
};

TEST_P(LayoutStoreDirectoryTest, Resolves)
{
    TempHome home;
    const DirectoryCase &c = GetParam();
    QProcessEnvironment environment;
    if (c.environment)
        environment.insert(QStringLiteral("APP_STATE_DIR"), *c.environment);
    const QString expected = c.expected == u"@data" ? home.filePath(QStringLiteral("data/Tessellon")) : c.expected;
    EXPECT_EQ(LayoutStore::resolveDirectory(c.arguments, environment).toStdString(), expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutStoreDirectoryTest,
    ::testing::Values(
        DirectoryCase{"CommandLineFirst", {"tessellon", "--state-dir", "/cli"}, QString("/env"), "/cli"},
        DirectoryCase{"EmptyValueFallsToEnvironment", {"tessellon", "--state-dir", ""}, QString("/env"), "/env"},
        DirectoryCase{"LastArgumentFallsToEnvironment", {"tessellon", "--state-dir"}, QString("/env"), "/env"},
        DirectoryCase{"FirstOptionCounts", {"t", "--state-dir", "/one", "--state-dir", "/two"}, std::nullopt, "/one"},
        DirectoryCase{"ValueMayLookLikeAnOption", {"t", "--state-dir", "--show"}, std::nullopt,
                      QDir::current().absoluteFilePath("--show")},
        DirectoryCase{"EmptyEnvironmentCountsAsUnset", {"t"}, QString(""), "@data"},
        DirectoryCase{"NothingGivenUsesDataDirectory", {}, std::nullopt, "@data"},
        DirectoryCase{"RelativeMadeAbsolute", {"t"}, QString("rel/../state"), QDir::current().absoluteFilePath("state")}),
    [](const ::testing::TestParamInfo<DirectoryCase> &info) { return std::string(info.param.name); });

TEST(LayoutStoreDirectoryTest, ExplicitDirectoryWinsAndEmptyOneResolves)
{
    TempHome home;
    ScopedEnv env;
    env.set("APP_STATE_DIR", home.filePath(QStringLiteral("env-state")));
    EXPECT_EQ(LayoutStore(home.filePath(QStringLiteral("given"))).directory(), home.filePath(QStringLiteral("given")));
    EXPECT_EQ(LayoutStore(QString()).directory(), home.filePath(QStringLiteral("env-state")));
    EXPECT_EQ(LayoutStore().directory(), home.filePath(QStringLiteral("env-state")));
}

} // namespace
