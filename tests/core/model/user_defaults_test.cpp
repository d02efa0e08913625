#include "model/file_user_defaults.h"
#include "model/memory_user_defaults.h"
#include "support/temp_env.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// One stored value and what each typed read makes of it.
struct ConversionCase
{
    const char *name;
    QVariant stored;
    std::optional<qint64> integer;
    std::optional<double> number;
    std::optional<bool> boolean;
    std::optional<QString> text;
};

class UserDefaultsConversionTest : public ::testing::TestWithParam<ConversionCase>
{
};

TEST_P(UserDefaultsConversionTest, TypedReads)
{
    const ConversionCase &c = GetParam();
    MemoryUserDefaults defaults;
    ASSERT_TRUE(defaults.setObject(QStringLiteral("k"), c.stored));
    EXPECT_TRUE(defaults.contains(QStringLiteral("k")));
    EXPECT_EQ(defaults.integer(QStringLiteral("k")), c.integer);
    EXPECT_EQ(defaults.doubleValue(QStringLiteral("k")), c.number);
    EXPECT_EQ(defaults.boolValue(QStringLiteral("k")), c.boolean);
    EXPECT_EQ(defaults.string(QStringLiteral("k")), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UserDefaultsConversionTest,
    ::testing::Values(
        ConversionCase{"Integer", 42, 42, 42.0, true, QString("42")},
        ConversionCase{"Zero", 0, 0, 0.0, false, QString("0")},
        ConversionCase{"Double", 2.75, 2, 2.75, true, QString("2.75")},
        ConversionCase{"NegativeDoubleTruncates", -2.75, -2, -2.75, true, QString("-2.75")},
        ConversionCase{"HugeDoubleSaturates", 1e300, std::numeric_limits<qint64>::max(), 1e300, true, QString("1e+300")},
        ConversionCase{"BoolTrue", true, 1, 1.0, true, QString("1")},
        ConversionCase{"NumericText", QString(" 12 "), 12, 12.0, true, QString(" 12 ")},
        ConversionCase{"FractionText", QString("3.5"), 3, 3.5, true, QString("3.5")},
        ConversionCase{"YesText", QString("Yes"), std::nullopt, std::nullopt, true, QString("Yes")},
        ConversionCase{"FalseText", QString("false"), std::nullopt, std::nullopt, false, QString("false")},
        ConversionCase{"WordText", QString("wide"), std::nullopt, std::nullopt, std::nullopt, QString("wide")},
        ConversionCase{"EmptyText", QString(""), std::nullopt, std::nullopt, std::nullopt, QString("")},
        ConversionCase{"List", QStringList{"a"}, std::nullopt, std::nullopt, std::nullopt, std::nullopt}),
    [](const ::testing::TestParamInfo<ConversionCase> &info) { return std::string(info.param.name); });

TEST(UserDefaultsTest, NonFiniteNumbersAreNeverIntegers)
{
    MemoryUserDefaults defaults;
    defaults.setDouble(QStringLiteral("nan"), kNaN);
    defaults.setDouble(QStringLiteral("inf"), std::numeric_limits<double>::infinity());
    defaults.setString(QStringLiteral("infText"), QStringLiteral("inf"));
    EXPECT_FALSE(defaults.integer(QStringLiteral("nan")).has_value());
    EXPECT_FALSE(defaults.integer(QStringLiteral("inf")).has_value());
    EXPECT_FALSE(defaults.integer(QStringLiteral("infText")).has_value());
    EXPECT_FALSE(defaults.boolValue(QStringLiteral("nan")).has_value());
    EXPECT_TRUE(std::isnan(*defaults.doubleValue(QStringLiteral("nan"))));
}

TEST(UserDefaultsTest, AbsenceListsDictionariesRemovalAndRefusal)
{
    MemoryUserDefaults defaults;
    EXPECT_FALSE(defaults.contains(QStringLiteral("missing")));
    EXPECT_FALSE(defaults.integer(QStringLiteral("missing")).has_value());
    EXPECT_FALSE(defaults.string(QStringLiteral("missing")).has_value());

    defaults.setStringList(QStringLiteral("list"), {"a", "b"});
    EXPECT_EQ(defaults.stringList(QStringLiteral("list")), (QStringList{"a", "b"}));
    defaults.setObject(QStringLiteral("mixed"), QVariantList{QString("a"), 1});
    EXPECT_FALSE(defaults.stringList(QStringLiteral("mixed")).has_value());
    defaults.setObject(QStringLiteral("map"), QVariantMap{{"x", 1}});
    EXPECT_EQ(defaults.dictionary(QStringLiteral("map")), (QVariantMap{{"x", qint64(1)}}));

    defaults.setObject(QStringLiteral("list"), QVariant());
    EXPECT_FALSE(defaults.contains(QStringLiteral("list")));
    defaults.removeObject(QStringLiteral("map"));
    EXPECT_FALSE(defaults.contains(QStringLiteral("map")));

    LogCapture log;
    EXPECT_FALSE(defaults.setObject(QStringLiteral("when"), QDateTime::currentDateTimeUtc()));
    EXPECT_FALSE(defaults.contains(QStringLiteral("when")));
    EXPECT_TRUE(log.contains(QStringLiteral("[settings] unsupported value key=when")));
}

TEST(UserDefaultsTest, ForeignDomainIsAbsentUnlessTheStoreHasIt)
{
    MemoryUserDefaults defaults;
    defaults.setInteger(QStringLiteral("springboard-columns"), 9);
    EXPECT_FALSE(defaults.value(QStringLiteral("springboard-columns"), QStringLiteral("com.apple.dock")).has_value());
    ASSERT_TRUE(defaults.setPersistentDomain(QStringLiteral("com.apple.dock"), {{"springboard-columns", 8}}));
    EXPECT_EQ(defaults.value(QStringLiteral("springboard-columns"), QStringLiteral("com.apple.dock")),
              QVariant(qint64(8)));
    EXPECT_FALSE(defaults.value(QStringLiteral("springboard-rows"), QStringLiteral("com.apple.dock")).has_value());
    EXPECT_EQ(defaults.integer(QStringLiteral("springboard-columns")), 9);
}

class FileUserDefaultsTest : public ::testing::Test
{
protected:
    TempHome home;
    QString path = home.filePath(QStringLiteral("prefs/sub/defaults.json"));
};

TEST_F(FileUserDefaultsTest, ValuesPersistAcrossInstances)
{
    {
        FileUserDefaults first(path);
        EXPECT_TRUE(first.dictionaryRepresentation().isEmpty());
        first.setInteger(QStringLiteral("i"), 7);
        first.setDouble(QStringLiteral("d"), 0.1 + 0.2);
        first.setDouble(QStringLiteral("whole"), 3.0);
        first.setBool(QStringLiteral("b"), false);
        first.setString(QStringLiteral("s"), QStringLiteral("/Applications/Ünï \"x\""));
        first.setString(QStringLiteral("empty"), QString());
        first.setStringList(QStringLiteral("l"), {"a", "/b"});
        first.setObject(QStringLiteral("m"), QVariantMap{{"nested", QVariantList{1, true}}});
        first.setInteger(QStringLiteral("gone"), 1);
        first.removeObject(QStringLiteral("gone"));
    }
    FileUserDefaults second(path);
    EXPECT_EQ(second.object(QStringLiteral("i")), QVariant(qint64(7)));
    EXPECT_EQ(second.doubleValue(QStringLiteral("d")), 0.1 + 0.2);
    EXPECT_EQ(second.doubleValue(QStringLiteral("whole")), 3.0);
    EXPECT_EQ(second.object(QStringLiteral("b")), QVariant(false));
    EXPECT_EQ(second.string(QStringLiteral("s")), QStringLiteral("/Applications/Ünï \"x\""));
    EXPECT_EQ(second.string(QStringLiteral("empty")), QString(""));
    EXPECT_EQ(second.stringList(QStringLiteral("l")), (QStringList{"a", "/b"}));
    EXPECT_EQ(second.dictionary(QStringLiteral("m")),
              (QVariantMap{{"nested", QVariantList{qint64(1), true}}}));
    EXPECT_FALSE(second.contains(QStringLiteral("gone")));
}

TEST_F(FileUserDefaultsTest, DefaultLocationIsUnderTheConfigDirectory)
{
    EXPECT_EQ(FileUserDefaults().filePath(), home.filePath(QStringLiteral("config/Tessellon/defaults.json")));
}

TEST_F(FileUserDefaultsTest, BatchWritesOnceAtTheEnd)
{
    FileUserDefaults defaults(path);
    {
        const UserDefaults::Batch batch(defaults);
        defaults.setInteger(QStringLiteral("a"), 1);
        {
            const UserDefaults::Batch inner(defaults);
            defaults.setInteger(QStringLiteral("b"), 2);
        }
        EXPECT_FALSE(QFileInfo::exists(path));
    }
    EXPECT_EQ(readAll(path).toStdString(), "{\n  \"a\" : 1,\n  \"b\" : 2\n}\n");
}

// Values set on every start (that the launcher has run, the window's place)
// cost a new file and two flushes to disk each time if written unchanged.
TEST_F(FileUserDefaultsTest, SettingAValueAsItStandsWritesNothing)
{
    FileUserDefaults defaults(path);
    int writes = 0;
    StoredFile::Writer writer = StoredFile::Writer::system();
    const auto sync = writer.sync;
    writer.sync = [&writes, sync](int fd) {
        ++writes;
        return sync(fd);
    };
    defaults.setWriter(writer);

    defaults.setBool(QStringLiteral("launched"), true);
    defaults.setStringList(QStringLiteral("l"), {"a", "b"});
    defaults.setDouble(QStringLiteral("d"), 0.5);
    const int first = writes;
    ASSERT_GT(first, 0);
    defaults.setBool(QStringLiteral("launched"), true);
    defaults.setStringList(QStringLiteral("l"), {"a", "b"});
    defaults.setDouble(QStringLiteral("d"), 0.5);
    defaults.removeObject(QStringLiteral("never"));
    EXPECT_EQ(writes, first);

    // A change, and a removal, still write.
    defaults.setBool(QStringLiteral("launched"), false);
    EXPECT_GT(writes, first);
    const int changed = writes;
    defaults.removeObject(QStringLiteral("d"));
    EXPECT_GT(writes, changed);
    EXPECT_EQ(FileUserDefaults(path).dictionaryRepresentation(),
              (QVariantMap{{"launched", false}, {"l", QVariantList{"a", "b"}}}));
}

TEST_F(FileUserDefaultsTest, NonFiniteDoubleIsKeptInMemoryButNotWritten)
{
    {
        FileUserDefaults first(path);
        first.setDouble(QStringLiteral("nan"), kNaN);
        first.setInteger(QStringLiteral("kept"), 1);
        EXPECT_TRUE(first.contains(QStringLiteral("nan")));
    }
    LogCapture log;
    FileUserDefaults second(path);
    EXPECT_FALSE(second.contains(QStringLiteral("nan")));
    EXPECT_EQ(second.integer(QStringLiteral("kept")), 1);
    EXPECT_TRUE(log.lines().isEmpty());
}

struct CorruptDefaultsCase
{
    const char *name;
    QByteArray contents;
};

class FileUserDefaultsCorruptTest : public FileUserDefaultsTest,
                                    public ::testing::WithParamInterface<CorruptDefaultsCase>
{
};

TEST_P(FileUserDefaultsCorruptTest, IsMovedAsideLoggedAndNeverOverwritten)
{
    writeFile(path, GetParam().contents);
    LogCapture log;
    FileUserDefaults defaults(path);
    EXPECT_TRUE(defaults.dictionaryRepresentation().isEmpty());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith(QStringLiteral("[settings] unreadable defaults file=") + path));

    const QStringList backups =
        QDir(QFileInfo(path).absolutePath()).entryList({QStringLiteral("defaults.json.corrupt-*")}, QDir::Files);
    ASSERT_EQ(backups.size(), 1);
    const QString backup = QFileInfo(path).absolutePath() + QLatin1Char('/') + backups.first();
    EXPECT_EQ(readAll(backup), GetParam().contents);

    defaults.setInteger(QStringLiteral("fresh"), 1);
    EXPECT_EQ(FileUserDefaults(path).integer(QStringLiteral("fresh")), 1);
    EXPECT_EQ(readAll(backup), GetParam().contents);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileUserDefaultsCorruptTest,
                         ::testing::Values(CorruptDefaultsCase{"Truncated", "{\"Tessellon.columns\": 8,"},
                                           CorruptDefaultsCase{"NotAnObject", "[1, 2]"},
                                           CorruptDefaultsCase{"Empty", ""},
                                           CorruptDefaultsCase{"Binary", QByteArray("bplist00\x00\xd1", 10)}),
                         [](const ::testing::TestParamInfo<CorruptDefaultsCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(FileUserDefaultsTest, ForeignDomainsAreFilesBesideTheStore)
{
    FileUserDefaults defaults(path);
    const QString dock = QStringLiteral("com.apple.dock");
    EXPECT_FALSE(defaults.value(QStringLiteral("springboard-columns"), dock).has_value());

    writeFile(QFileInfo(path).absolutePath() + QStringLiteral("/com.apple.dock.json"),
              R"({"springboard-columns": 8, "springboard-rows": " 6 "})");
    EXPECT_EQ(defaults.value(QStringLiteral("springboard-columns"), dock), QVariant(qint64(8)));
    EXPECT_EQ(defaults.value(QStringLiteral("springboard-rows"), dock), QVariant(QStringLiteral(" 6 ")));

    ASSERT_TRUE(defaults.setPersistentDomain(QStringLiteral("com.apple.AppleMultitouchTrackpad"),
                                             {{"TrackpadFourFingerPinchGesture", 2}}));
    EXPECT_EQ(FileUserDefaults(path).value(QStringLiteral("TrackpadFourFingerPinchGesture"),
                                           QStringLiteral("com.apple.AppleMultitouchTrackpad")),
              QVariant(qint64(2)));

    LogCapture log;
    for (const QString &bad : {QStringLiteral("../escape"), QStringLiteral("a/b"), QStringLiteral(""),
                               QStringLiteral("defaults")}) {
        EXPECT_FALSE(defaults.setPersistentDomain(bad, {{"k", 1}})) << bad.toStdString();
        EXPECT_FALSE(defaults.value(QStringLiteral("k"), bad).has_value());
    }
    EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("prefs/escape.json"))));
    EXPECT_TRUE(defaults.dictionaryRepresentation().isEmpty());
}

TEST_F(FileUserDefaultsTest, UnreadableForeignDomainIsLeftInPlaceUntilReplaced)
{
    FileUserDefaults defaults(path);
    const QString domainFile = QFileInfo(path).absolutePath() + QStringLiteral("/com.apple.dock.json");
    writeFile(domainFile, "{broken");
    LogCapture log;
    EXPECT_FALSE(defaults.value(QStringLiteral("springboard-rows"), QStringLiteral("com.apple.dock")).has_value());
    EXPECT_EQ(log.lines().size(), 1);
    EXPECT_EQ(readAll(domainFile), QByteArray("{broken"));

    ASSERT_TRUE(defaults.setPersistentDomain(QStringLiteral("com.apple.dock"), {{"springboard-rows", 6}}));
    const QStringList backups = QDir(QFileInfo(path).absolutePath())
                                    .entryList({QStringLiteral("com.apple.dock.json.corrupt-*")}, QDir::Files);
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(readAll(QFileInfo(path).absolutePath() + QLatin1Char('/') + backups.first()), QByteArray("{broken"));
    EXPECT_EQ(defaults.value(QStringLiteral("springboard-rows"), QStringLiteral("com.apple.dock")), QVariant(qint64(6)));
}

TEST_F(FileUserDefaultsTest, FailedWriteIsLoggedAndReported)
{
    // The store's directory is taken by a file.
    writeFile(home.filePath(QStringLiteral("prefs/sub")), "file");
    FileUserDefaults defaults(path);
    LogCapture log;
    defaults.setInteger(QStringLiteral("a"), 1);
    EXPECT_EQ(defaults.integer(QStringLiteral("a")), 1);
    EXPECT_TRUE(log.contains(QStringLiteral("[settings] defaults save failed")));
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_EQ(readAll(home.filePath(QStringLiteral("prefs/sub"))), QByteArray("file"));
}

} // namespace
