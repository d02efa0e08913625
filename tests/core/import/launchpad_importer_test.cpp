#include "import/launchpad_importer.h"
#include "import/sqlite_tool_runner.h"
#include "launchpad_test_support.h"
#include "localization/l10n.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <QProcess>

using launchpad_test::describe;
using launchpad_test::toolOutput;

namespace {

// Folder names fall back to a localized text; pin the language.
class EnglishLanguage
{
public:
    EnglishLanguage() : m_previous(L10n::current()) { L10n::setForTesting(AppLanguage::en); }
    ~EnglishLanguage() { L10n::setForTesting(m_previous); }

private:
    AppLanguage m_previous;
};

QStringList row(qint64 id, qint64 type, qint64 parent, qint64 ordering, const QString &uuid = {}, const QString &bundle = {},
                const QString &title = {})
{
    return {QString::number(id), QString::number(type), QString::number(parent), QString::number(ordering), uuid, bundle, title};
}

QStringList root(qint64 id = 1)
{
    return row(id, 1, 0, 0, QStringLiteral("ROOTPAGE"));
}

// ---- the layout query's output ---------------------------------------------

struct RowsCase
{
    const char *name;
    QList<QStringList> rows;
    QString expected;
};

void PrintTo(const RowsCase &c, std::ostream *os)
{
    *os << c.name;
}

class ParseRowsTest : public ::testing::TestWithParam<RowsCase>
{
};

TEST_P(ParseRowsTest, BuildsLayout)
{
    EnglishLanguage english;
    const RowsCase &c = GetParam();
    EXPECT_EQ(describe(LaunchpadImporter::parseRows(toolOutput(c.rows))).toStdString(), c.expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseRowsTest,
    ::testing::Values(
        RowsCase{"PagesAndAppsSortedByOrdering",
                 {root(), row(2, 3, 1, 1, "p2"), row(3, 3, 1, 0, "p1"), row(4, 4, 3, 1, "", "b"), row(5, 4, 3, 0, "", "a"),
                  row(6, 4, 2, 0, "", "c")},
                 "a b | c"},
        RowsCase{"OrderingIsNumericNotText",
                 {root(), row(2, 3, 1, 0), row(3, 4, 2, 10, "", "ten"), row(4, 4, 2, 2, "", "two"), row(5, 4, 2, -1, "", "minus"),
                  row(7, 4, 2, 2, "", "two-later-id")},
                 "minus two two-later-id ten"},
        RowsCase{"HoldingPageIsNotAPage",
                 {root(), row(2, 3, 1, 0, "HOLDINGPAGE"), row(3, 4, 2, 0, "", "held"), row(4, 3, 1, 1, "XHOLDING"),
                  row(5, 4, 4, 0, "", "shown")},
                 "shown"},
        RowsCase{"FirstTypeOneRowIsRootWithoutRootPage",
                 {row(9, 1, 0, 0, "first"), row(1, 1, 0, 1, "second"), row(2, 3, 1, 0), row(3, 4, 2, 0, "", "under-second"),
                  row(4, 3, 9, 0), row(5, 4, 4, 0, "", "under-first")},
                 "under-first"},
        RowsCase{"RootPageWinsOverEarlierTypeOne",
                 {row(9, 1, 0, 0, "other"), root(1), row(2, 3, 1, 0), row(3, 4, 2, 0, "", "a"), row(4, 3, 9, 0),
                  row(5, 4, 4, 0, "", "b")},
                 "a"},
        RowsCase{"AppKeepsFirstPlaceAndEmptiedFolderStays",
                 {root(), row(2, 3, 1, 0), row(3, 4, 2, 0, "", "a"), row(4, 3, 1, 1), row(10, 2, 4, 0, "", "", "Tools"),
                  row(11, 3, 10, 0), row(12, 4, 11, 0, "", "a"), row(13, 4, 11, 1, "", "b"), row(20, 2, 4, 1, "", "", "Gone"),
                  row(21, 4, 20, 0, "", "b")},
                 "a | [native-10 Tools: b] [native-20 Gone:]"},
        RowsCase{"UntitledFolderIsNamedFolder",
                 {root(), row(2, 3, 1, 0), row(42, 2, 2, 0), row(43, 4, 42, 0, "", "x")},
                 "[native-42 Folder: x]"},
        RowsCase{"FolderReadsThreeNestedPageLevels",
                 {root(), row(2, 3, 1, 0), row(10, 2, 2, 0, "", "", "Deep"), row(11, 4, 10, 0, "", "d0"), row(12, 3, 10, 1),
                  row(13, 4, 12, 0, "", "d1"), row(14, 3, 12, 1), row(15, 4, 14, 0, "", "d2"), row(16, 3, 14, 1),
                  row(17, 4, 16, 0, "", "d3"), row(18, 3, 16, 1), row(19, 4, 18, 0, "", "d4"),
                  row(30, 2, 12, 2, "", "", "Inner"), row(31, 4, 30, 0, "", "inner")},
                 "[native-10 Deep: d0 d1 d2 d3]"},
        RowsCase{"EmptyPageLeftOut",
                 {root(), row(2, 3, 1, 0), row(3, 3, 1, 1), row(4, 4, 3, 0, "", "a"), row(5, 4, 3, 1, "", "")},
                 "a"},
        RowsCase{"MarkerTextsInDataAreJustData",
                 {root(), row(2, 3, 1, 0), row(3, 4, 2, 0, "ROOTPAGE", "ROOTPAGE"), row(4, 4, 2, 1, "", "native-4"),
                  row(5, 2, 2, 2, "", "", "HOLDING"), row(6, 4, 5, 0, "", "__group_0__")},
                 "ROOTPAGE native-4 [native-5 HOLDING: __group_0__]"}),
    [](const ::testing::TestParamInfo<RowsCase> &info) { return std::string(info.param.name); });

struct RawLineCase
{
    const char *name;
    QByteArray line; // one raw line added to a valid page holding "kept"
    QString expected;
};

void PrintTo(const RawLineCase &c, std::ostream *os)
{
    *os << c.name;
}

class ParseRowsLineTest : public ::testing::TestWithParam<RawLineCase>
{
};

TEST_P(ParseRowsLineTest, ReadsOrDropsTheLine)
{
    EnglishLanguage english;
    QByteArray output = toolOutput({root(), row(2, 3, 1, 0), row(3, 4, 2, 0, "", "kept")});
    output += GetParam().line + '\n';
    EXPECT_EQ(describe(LaunchpadImporter::parseRows(output)).toStdString(), GetParam().expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseRowsLineTest,
    ::testing::Values(
        RawLineCase{"Valid", "9\x1f" "4\x1f" "2\x1f" "5\x1f\x1fnew\x1f", "kept new"},
        RawLineCase{"EighthFieldIgnored", "9\x1f" "4\x1f" "2\x1f" "5\x1f\x1fnew\x1f\x1f" "extra", "kept new"},
        RawLineCase{"SixFieldsDropped", "9\x1f" "4\x1f" "2\x1f" "5\x1f\x1fnew", "kept"},
        RawLineCase{"EmptyParentDropped", "9\x1f" "4\x1f\x1f" "5\x1f\x1fnew\x1f", "kept"},
        RawLineCase{"PaddedIntegerDropped", "9\x1f" "4\x1f" "2\x1f 5\x1f\x1fnew\x1f", "kept"},
        RawLineCase{"RealOrderingDropped", "9\x1f" "4\x1f" "2\x1f" "5.5\x1f\x1fnew\x1f", "kept"},
        RawLineCase{"NaNOrderingDropped", "9\x1f" "4\x1f" "2\x1fNaN\x1f\x1fnew\x1f", "kept"},
        RawLineCase{"InfiniteOrderingDropped", "9\x1f" "4\x1f" "2\x1f" "Inf\x1f\x1fnew\x1f", "kept"},
        RawLineCase{"OverflowingOrderingDropped", "9\x1f" "4\x1f" "2\x1f" "99999999999999999999\x1f\x1fnew\x1f", "kept"},
        RawLineCase{"ExtremeOrderingKept", "9\x1f" "4\x1f" "2\x1f-9223372036854775808\x1f\x1fnew\x1f", "new kept"},
        RawLineCase{"CarriageReturnTrimmedFromTitleField", "9\x1f" "4\x1f" "2\x1f" "5\x1f\x1fnew\x1f\r", "kept new"},
        RawLineCase{"InvalidUtf8IdentifierDropsOnlyThatApp", "9\x1f" "4\x1f" "2\x1f" "5\x1f\x1f" "com.\xff\xfe.bad\x1f", "kept"},
        RawLineCase{"InvalidUtf8TitleKeepsFolder",
                    "9\x1f" "2\x1f" "2\x1f" "5\x1f\x1f\x1fW\xc3\x28rk", "kept [native-9 W\xef\xbf\xbd(rk:]"}),
    [](const ::testing::TestParamInfo<RawLineCase> &info) { return std::string(info.param.name); });

TEST(LaunchpadImporterTest, RepeatedRowIdsCannotMultiplyTheNestedWalk)
{
    // A page that is its own parent, listed many times: the walk below a
    // folder must stay linear instead of branching at every level.
    QList<QStringList> rows{root(), row(2, 3, 1, 0), row(10, 2, 2, 0, "", "", "Loop"), row(12, 3, 10, 0)};
    for (int i = 0; i < 2000; ++i)
        rows << row(12, 3, 12, i);
    rows << row(13, 4, 12, 0, "", "inside");
    const LaunchpadLayout layout = LaunchpadImporter::parseRows(toolOutput(rows));
    EXPECT_EQ(describe(layout).toStdString(), "[native-10 Loop: inside]");
}

TEST(LaunchpadImporterTest, StringParserMatchesByteParser)
{
    const QList<QStringList> rows{root(), row(2, 3, 1, 0), row(3, 4, 2, 0, "", "é.app.ü"), row(4, 2, 2, 1, "", "", "文件")};
    const QByteArray bytes = toolOutput(rows);
    EXPECT_EQ(LaunchpadImporter::parseRows(QString::fromUtf8(bytes)), LaunchpadImporter::parseRows(bytes));
    EXPECT_EQ(describe(LaunchpadImporter::parseRows(bytes)).toStdString(), "é.app.ü [native-4 文件:]");
}

// ---- the fallback query's output ------------------------------------------

TEST(LaunchpadImporterTest, FallbackOutputKeepsOrderAndDuplicates)
{
    EXPECT_EQ(LaunchpadImporter::parse(QStringLiteral("a\n\n  b \r\n\t\na\n")), (QStringList{"a", "b", "a"}));
    EXPECT_EQ(LaunchpadImporter::parse(QByteArray("a\nbad\xff\nc\n")), (QStringList{"a", "c"}));
    EXPECT_TRUE(LaunchpadImporter::parse(QString()).isEmpty());
}

// ---- the catalog query's output -------------------------------------------

QStringList catalogLine(const QString &id, const QString &title, const QByteArray &bookmark)
{
    return {id, title, QString::fromLatin1(bookmark.toHex().toUpper())};
}

// Resolves a bookmark by reading its bytes as the path; empty bytes never resolve.
std::optional<QString> bytesAsPath(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    return QString::fromUtf8(bytes);
}

struct CatalogCase
{
    const char *name;
    QList<QStringList> lines;
    std::optional<QString> expectedTitle; // of "x"; nothing when "x" must be missing
    std::optional<QString> expectedPath;
};

void PrintTo(const CatalogCase &c, std::ostream *os)
{
    *os << c.name;
}

class ParseCatalogTest : public ::testing::TestWithParam<CatalogCase>
{
};

TEST_P(ParseCatalogTest, KeepsTheRightRecord)
{
    const CatalogCase &c = GetParam();
    const LaunchpadAppCatalog catalog = LaunchpadImporter::parseAppCatalog(toolOutput(c.lines), bytesAsPath);
    const std::optional<LaunchpadAppRecord> record = catalog.recordFor(QStringLiteral("x"));
    ASSERT_EQ(record.has_value(), c.expectedTitle.has_value());
    if (!record)
        return;
    EXPECT_EQ(record->bundleID, QStringLiteral("x"));
    EXPECT_EQ(record->title, *c.expectedTitle);
    EXPECT_EQ(record->path, c.expectedPath);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCatalogTest,
    ::testing::Values(
        CatalogCase{"PathThenNoPathKeepsFirst", {catalogLine("x", "One", "/A.app"), catalogLine("x", "Two", "")}, "One", "/A.app"},
        CatalogCase{"NoPathThenPathTakesSecond", {catalogLine("x", "One", ""), catalogLine("x", "Two", "/B.app")}, "Two", "/B.app"},
        CatalogCase{"BothWithPathTakesSecond", {catalogLine("x", "One", "/A.app"), catalogLine("x", "Two", "/B.app")}, "Two", "/B.app"},
        CatalogCase{"BothWithoutPathTakesSecond", {catalogLine("x", "One", ""), catalogLine("x", "Two", "")}, "Two", std::nullopt},
        CatalogCase{"FieldsTrimmedTitleMayBeEmpty", {{" x \r", "  ", " " + QString::fromLatin1(QByteArray("/C.app").toHex()) + " "}}, "", "/C.app"},
        CatalogCase{"OddHexGivesNoPath", {{"x", "T", "ABC"}}, "T", std::nullopt},
        CatalogCase{"TwoFieldsSkipped", {{"x", "T"}}, std::nullopt, std::nullopt},
        CatalogCase{"IdentifiersAreCaseSensitive", {catalogLine("X", "Upper", "")}, std::nullopt, std::nullopt}),
    [](const ::testing::TestParamInfo<CatalogCase> &info) { return std::string(info.param.name); });

TEST(LaunchpadImporterTest, CatalogSkipsEmptyAndUndecodableIdentifiers)
{
    QByteArray output = toolOutput({{"", "Nameless", ""}, {"ok", "Fine", ""}});
    output += QByteArray("bad\xff\x1fTitle\x1f\n");
    output += QByteArray("good\x1f" "T\xff\x1f\n");
    const LaunchpadAppCatalog catalog = LaunchpadImporter::parseAppCatalog(output, bytesAsPath);
    EXPECT_EQ(catalog.records.size(), 2);
    EXPECT_TRUE(catalog.recordFor("ok").has_value());
    ASSERT_TRUE(catalog.recordFor("good").has_value());
    EXPECT_EQ(catalog.recordFor("good")->title, QStringLiteral("T\uFFFD"));
}

TEST(LaunchpadImporterTest, WholeOutputDecodingIsStrict)
{
    EXPECT_EQ(LaunchpadImporter::decodeUtf8(QByteArray("\xef\xbb\xbf" "a\x1f\xc3\xa9")), QStringLiteral("\uFEFFa\u001F\u00E9"));
    EXPECT_FALSE(LaunchpadImporter::decodeUtf8(QByteArray("ok\xc0\xaf")).has_value()); // overlong "/"
    EXPECT_FALSE(LaunchpadImporter::decodeUtf8(QByteArray("\xed\xa0\x80")).has_value()); // encoded surrogate
    EXPECT_EQ(LaunchpadImporter::decodeUtf8(QByteArray()), QString());
}

TEST(LaunchpadImporterTest, BookmarksResolveToNothingWithoutTheBookmarkService)
{
    EXPECT_FALSE(LaunchpadImporter::resolveBookmarkPath(QByteArray()).has_value());
    EXPECT_FALSE(LaunchpadImporter::resolveBookmarkPath(QByteArray("book\0\0\0\0/Applications/Mail.app", 30)).has_value());
}

// ---- small conversions ----------------------------------------------------

TEST(LaunchpadImporterTest, HexToBytes)
{
    EXPECT_FALSE(LaunchpadImporter::dataFromHex("abc").has_value());
    EXPECT_FALSE(LaunchpadImporter::dataFromHex("0g").has_value());
    EXPECT_FALSE(LaunchpadImporter::dataFromHex("+f").has_value());
    EXPECT_EQ(LaunchpadImporter::dataFromHex(""), QByteArray());
    EXPECT_EQ(LaunchpadImporter::dataFromHex("ff"), QByteArray(1, char(0xFF)));
    EXPECT_EQ(LaunchpadImporter::dataFromHex("FF"), QByteArray(1, char(0xFF)));
    EXPECT_EQ(LaunchpadImporter::dataFromHex("00417a"), QByteArray("\0Az", 3));
}

TEST(LaunchpadImporterTest, DecimalIntegersAreStrict)
{
    using LI = LaunchpadImporter;
    EXPECT_EQ(LI::parseDecimalInteger(u"42"), 42);
    EXPECT_EQ(LI::parseDecimalInteger(u"+7"), 7);
    EXPECT_EQ(LI::parseDecimalInteger(u"-0"), 0);
    EXPECT_EQ(LI::parseDecimalInteger(u"9223372036854775807"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(LI::parseDecimalInteger(u"-9223372036854775808"), std::numeric_limits<qint64>::min());
    for (const char16_t *bad : {u"", u"+", u"-", u" 1", u"1 ", u"1.0", u"1e3", u"0x10", u"9223372036854775808",
                                u"-9223372036854775809", u"\u0663"})
        EXPECT_FALSE(LI::parseDecimalInteger(bad).has_value()) << QString::fromUtf16(bad).toStdString();
}

// ---- the process runner and the database's location -----------------------

struct RecordedRun
{
    QString executable;
    QStringList arguments;
};

LaunchpadImporter::Environment fakeEnvironment(QList<RecordedRun> *runs,
                                                std::function<std::optional<QByteArray>(const RecordedRun &)> answer,
                                                QStringList readable = {})
{
    LaunchpadImporter::Environment env;
    env.run = [runs, answer](const QString &executable, const QStringList &arguments) {
        runs->append({executable, arguments});
        return answer(runs->last());
    };
    // Queries are recorded as a run of "sql" with the database and the statement.
    env.query = [runs, answer](const QString &database, const QString &sql) {
        runs->append({QStringLiteral("sql"), {database, sql}});
        return answer(runs->last());
    };
    env.isReadable = [readable](const QString &path) { return readable.contains(path); };
    env.temporaryDirectory = [] { return QStringLiteral("/var/folders/ab/xyz/T/"); };
    env.resolveBookmark = [](const QByteArray &) { return std::optional<QString>(); };
    return env;
}

TEST(LaunchpadImporterTest, UnreadableDatabaseRunsNoTool)
{
    QList<RecordedRun> runs;
    const auto env = fakeEnvironment(&runs, [](const RecordedRun &) { return QByteArray("a\n"); });
    EXPECT_TRUE(LaunchpadImporter::nativeLayout(QStringLiteral("/nowhere/db"), env).isEmpty());
    EXPECT_TRUE(LaunchpadImporter::appCatalog(QStringLiteral("/nowhere/db"), env).isEmpty());
    EXPECT_TRUE(runs.isEmpty());
}

TEST(LaunchpadImporterTest, QueriesGoThroughTheRunnerAndFallBackToTheFlatQuery)
{
    QList<RecordedRun> runs;
    const QString db = QStringLiteral("/data/-launchpad db");
    const auto env = fakeEnvironment(
        &runs,
        [](const RecordedRun &run) -> std::optional<QByteArray> {
            if (run.arguments.last() == LaunchpadImporter::rowsQuery())
                return std::nullopt; // e.g. "no such table: groups"
            return QByteArray("a\nb\na\n");
        },
        {db});
    EXPECT_EQ(describe(LaunchpadImporter::nativeLayout(db, env)).toStdString(), "a b a");
    ASSERT_EQ(runs.size(), 2);
    for (const RecordedRun &run : runs) {
        EXPECT_EQ(run.executable, QStringLiteral("sql"));
        EXPECT_EQ(run.arguments.first(), db);
    }
    EXPECT_EQ(runs.at(0).arguments.last(), LaunchpadImporter::rowsQuery());
    EXPECT_EQ(runs.at(1).arguments.last(), LaunchpadImporter::query());
}

TEST(LaunchpadImporterTest, DarwinUserDirectoryFromGetconf)
{
    QList<RecordedRun> runs;
    QByteArray answer = "/var/folders/ab/xyz/C/\n";
    auto env = fakeEnvironment(&runs, [&answer](const RecordedRun &) { return answer; });
    // Where the platform has no such directory, nothing is run for it.
    EXPECT_FALSE(LaunchpadImporter::darwinUserDirectory(env).has_value());
    EXPECT_TRUE(runs.isEmpty());
    env.darwinPlatform = true;
    EXPECT_EQ(LaunchpadImporter::darwinUserDirectory(env), QStringLiteral("/var/folders/ab/xyz/C/"));
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs.at(0).executable, QStringLiteral("/usr/bin/getconf"));
    EXPECT_EQ(runs.at(0).arguments, QStringList{QStringLiteral("DARWIN_USER_DIR")});
    answer = "\n";
    EXPECT_FALSE(LaunchpadImporter::darwinUserDirectory(env).has_value());
    answer = "/bad\xff\n";
    EXPECT_FALSE(LaunchpadImporter::darwinUserDirectory(env).has_value());
    auto failing = fakeEnvironment(&runs, [](const RecordedRun &) { return std::optional<QByteArray>(); });
    failing.darwinPlatform = true;
    EXPECT_FALSE(LaunchpadImporter::darwinUserDirectory(failing).has_value());
}

TEST(LaunchpadImporterTest, DatabasePathTakesTheFirstReadableCandidate)
{
    QList<RecordedRun> runs;
    const QString darwin = QStringLiteral("/var/folders/ab/xyz/0/com.apple.dock.launchpad/db/db");
    const QString plain = QStringLiteral("/var/folders/ab/xyz/com.apple.dock.launchpad/db/db");
    const QString fromGetconf = QStringLiteral("/var/folders/ab/xyz/C/com.apple.dock.launchpad/db/db");
    auto noGetconf = fakeEnvironment(&runs, [](const RecordedRun &) { return std::optional<QByteArray>(); }, {plain, darwin});
    EXPECT_EQ(LaunchpadImporter::databasePath(noGetconf), darwin);
    auto withGetconf =
        fakeEnvironment(&runs, [](const RecordedRun &) { return QByteArray("/var/folders/ab/xyz/C\n"); }, {plain, fromGetconf});
    withGetconf.darwinPlatform = true;
    EXPECT_EQ(LaunchpadImporter::databasePath(withGetconf), fromGetconf);
    auto none = fakeEnvironment(&runs, [](const RecordedRun &) { return std::optional<QByteArray>(); });
    EXPECT_FALSE(LaunchpadImporter::databasePath(none).has_value());
    EXPECT_EQ(LaunchpadImporter::temporaryParent(QStringLiteral("/tmp")), QStringLiteral("/"));
    EXPECT_EQ(LaunchpadImporter::databaseCandidates(std::nullopt, QStringLiteral("/tmp")),
              (QStringList{"/0/com.apple.dock.launchpad/db/db", "/com.apple.dock.launchpad/db/db"}));
}

TEST(LaunchpadImporterTest, RunnerLogsWhenTheToolCannotStart)
{
    LogCapture log;
    EXPECT_FALSE(LaunchpadImporter::runTool(QStringLiteral("/nonexistent/sqlite3"), {}).has_value());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().at(0).startsWith(QStringLiteral("[Tessellon] 读取原生启动台布局失败: ")));
}

TEST(LaunchpadImporterTest, RunnerFailsSilentlyOnNonZeroExit)
{
    LogCapture log;
    EXPECT_FALSE(LaunchpadImporter::runTool(QStringLiteral("/usr/bin/sqlite3"),
                                            SQLiteToolRunner::arguments(QStringLiteral("/nonexistent/db"), "SELECT 1;"))
                     .has_value());
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST(LaunchpadImporterTest, RunnerKillsAToolThatDoesNotFinish)
{
    LogCapture log;
    // An endless recursive query: the tool never finishes on its own.
    const QStringList args{QStringLiteral("-init"), QProcess::nullDevice(), QStringLiteral(":memory:"),
                           QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c;")};
    EXPECT_FALSE(LaunchpadImporter::runTool(QStringLiteral("/usr/bin/sqlite3"), args, 300).has_value());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().at(0).contains(QStringLiteral("timed out"))) << log.lines().at(0).toStdString();
}

} // namespace
