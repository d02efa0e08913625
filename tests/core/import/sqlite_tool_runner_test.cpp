#include "import/sqlite_tool_runner.h"

#include "import/launchpad_importer.h"
#include "import/layout_source_importer.h"

#include "store_fixtures.h"
#include "support/temp_env.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kSep = QString(QChar(0x1F));

class SQLiteToolRunnerTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;

    QString database(const QString &name, const QString &sql)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(StoreFixtures::execute(path, sql));
        return path;
    }
};

TEST_F(SQLiteToolRunnerTest, StartsWithoutStartUpFileAndNeverPassesAnOptionAsDatabase)
{
    const QStringList args = SQLiteToolRunner::arguments(QStringLiteral("-cmd.db"), QStringLiteral("SELECT 1;"));
    ASSERT_GE(args.size(), 2);
    // "-init" with the null device comes before anything a start-up file could change.
    EXPECT_EQ(args.at(0).toStdString(), "-init");
    EXPECT_EQ(args.at(1).toStdString(), "/dev/null");
    EXPECT_TRUE(args.contains(QStringLiteral("-readonly")));
    EXPECT_EQ(args.at(args.size() - 2).toStdString(), "./-cmd.db");
    EXPECT_EQ(args.last().toStdString(), "SELECT 1;");
    EXPECT_EQ(SQLiteToolRunner::databaseArgument(QStringLiteral("/abs/-x.db")).toStdString(), "/abs/-x.db");
    EXPECT_EQ(SQLiteToolRunner::databaseArgument(QStringLiteral("file:x.db?mode=rwc")).toStdString(),
              "./file:x.db?mode=rwc");
}

TEST_F(SQLiteToolRunnerTest, ChildOutOfTimeIsAFailureAndLogged)
{
    const QString db = database(QStringLiteral("a.db"), QStringLiteral("CREATE TABLE t(a);"));
    int seenTimeout = -1;
    SQLiteToolRunner runner;
    runner.launch = [&](const QString &, const QStringList &, int timeoutMs) {
        seenTimeout = timeoutMs;
        ChildProcess::Result result;
        result.started = true;
        result.finished = false; // killed at the limit, with partial output
        result.exitCode = 0;
        result.standardOutput = "partial";
        result.errorText = QStringLiteral("timed out");
        return result;
    };
    LogCapture log;
    EXPECT_FALSE(runner(db, QStringLiteral("SELECT 1;")).has_value());
    EXPECT_GT(seenTimeout, 0);
    EXPECT_LE(seenTimeout, 10000);
    EXPECT_TRUE(log.contains(QStringLiteral("[Tessellon] 读取原生启动台布局失败: timed out")));
}

// A tool that cannot start logs one line saying what was being done: reading
// the system launcher's layout, or probing a layout source being imported.
struct ToolCannotStartRow
{
    const char *name;
    // Made once the environment names the tool, as each use makes its runner.
    std::function<std::function<std::optional<QByteArray>(const QString &, const QString &)>()> makeQuery;
    const char *line;
};

class SQLiteToolCannotStartTest : public SQLiteToolRunnerTest, public ::testing::WithParamInterface<ToolCannotStartRow>
{
};

TEST_P(SQLiteToolCannotStartTest, LogsOneLineNamingTheRead)
{
    const QString db = database(QStringLiteral("a.db"), QStringLiteral("CREATE TABLE t(a);"));
    ScopedEnv env;
    env.set("TESSELLON_SQLITE3", dir.filePath(QStringLiteral("no-such-tool")));
    LogCapture log;
    EXPECT_FALSE(GetParam().makeQuery()(db, QStringLiteral("SELECT 1;")).has_value());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith(QString::fromUtf8(GetParam().line))) << log.lines().first().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Reads, SQLiteToolCannotStartTest,
    ::testing::Values(
        ToolCannotStartRow{"SystemLauncherLayout", [] { return LaunchpadImporter::Environment::system().query; },
                           "[Tessellon] 读取原生启动台布局失败: "},
        ToolCannotStartRow{"LayoutSourceProbe",
                           [] { return SQLiteToolRunner::byteRunner(LayoutSourceImporter::systemRunner()); },
                           "[Tessellon] 布局来源探测失败: "}),
    [](const ::testing::TestParamInfo<ToolCannotStartRow> &info) { return std::string(info.param.name); });

TEST_F(SQLiteToolRunnerTest, FailingQueryAndMissingFileGiveNothingSilently)
{
    const QString db = database(QStringLiteral("a.db"), QStringLiteral("CREATE TABLE t(a);"));
    LogCapture log;
    EXPECT_FALSE(SQLiteToolRunner{}(db, QStringLiteral("SELECT * FROM missing;")).has_value());
    EXPECT_FALSE(SQLiteToolRunner{}(dir.filePath(QStringLiteral("absent.db")), QStringLiteral("SELECT 1;")).has_value());
    QFile text(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a database at all, just some words\n");
    text.close();
    EXPECT_FALSE(SQLiteToolRunner{}(text.fileName(), QStringLiteral("SELECT name FROM sqlite_master;")).has_value());
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(SQLiteToolRunnerTest, HostileSqlitercDoesNotChangeTheOutput)
{
    TempHome home;
    QFile rc(home.filePath(QStringLiteral(".sqliterc")));
    ASSERT_TRUE(rc.open(QIODevice::WriteOnly));
    rc.write(".mode json\n.headers on\n.nullvalue NULL\n.timer on\n.separator ,\n");
    rc.close();
    const QString db = database(QStringLiteral("a.db"),
                                QStringLiteral("CREATE TABLE t(a, b); INSERT INTO t VALUES('com.a', NULL);"));
    const std::optional<QString> out = SQLiteToolRunner{}(db, QStringLiteral("SELECT a, b FROM t;"));
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->toStdString(), (QStringLiteral("com.a") + kSep + QStringLiteral("\n")).toStdString());
}

TEST_F(SQLiteToolRunnerTest, RelativePathStartingWithDashIsAFile)
{
    database(QStringLiteral("-separator"), QStringLiteral("CREATE TABLE t(a); INSERT INTO t VALUES(7);"));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const std::optional<QString> out = SQLiteToolRunner{}(QStringLiteral("-separator"), QStringLiteral("SELECT a FROM t;"));
    QDir::setCurrent(previous);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->toStdString(), "7\n");
}

// A store kept in WAL mode by a running launcher: its newest rows are still in
// the -wal file. Reading must see them and must neither create nor change a file.
TEST_F(SQLiteToolRunnerTest, WalStoreIsReadCompletelyAndLeftUntouched)
{
    const QString db = database(QStringLiteral("Data.store"),
                                QStringLiteral("PRAGMA journal_mode=WAL; CREATE TABLE t(a); INSERT INTO t VALUES(1);"));
    // The writer leaves its last transaction in the WAL, as a running launcher does.
    ASSERT_TRUE(StoreFixtures::execute(db, QStringLiteral("PRAGMA wal_autocheckpoint=0; INSERT INTO t VALUES(2);"),
                                       {QStringLiteral("-cmd"), QStringLiteral(".dbconfig no_ckpt_on_close on")}));
    ASSERT_TRUE(QFile::exists(db + QStringLiteral("-wal")));
    const auto before = StoreFixtures::fingerprint(dir.path());

    const std::optional<QString> out = SQLiteToolRunner{}(db, QStringLiteral("SELECT a FROM t ORDER BY a;"));
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->toStdString(), "1\n2\n");
    EXPECT_EQ(StoreFixtures::fingerprint(dir.path()), before);
}

// A store closed cleanly, in rollback or in WAL mode, is one file; a -readonly
// open of the WAL one would leave -wal and -shm files beside it.
TEST_F(SQLiteToolRunnerTest, ClosedStoreGetsNoJournalWalOrShm)
{
    for (const QString &mode : {QStringLiteral("DELETE"), QStringLiteral("WAL")}) {
        QTemporaryDir folder;
        const QString db = folder.filePath(QStringLiteral("db"));
        ASSERT_TRUE(StoreFixtures::execute(
            db, QStringLiteral("PRAGMA journal_mode=%1; CREATE TABLE t(a); INSERT INTO t VALUES(1);").arg(mode)));
        const auto before = StoreFixtures::fingerprint(folder.path());
        ASSERT_EQ(before.size(), 1) << mode.toStdString();
        EXPECT_EQ(SQLiteToolRunner{}(db, QStringLiteral("SELECT a FROM t;")).value_or(QString()).toStdString(), "1\n");
        EXPECT_EQ(StoreFixtures::fingerprint(folder.path()), before) << mode.toStdString();
    }
}

TEST_F(SQLiteToolRunnerTest, NonUtf8LineIsDroppedAlone)
{
    const QString db = database(QStringLiteral("a.db"),
                                QStringLiteral("CREATE TABLE t(a); INSERT INTO t VALUES('com.good.one');"
                                               "INSERT INTO t VALUES(CAST(X'636F6D2EFF' AS TEXT));"
                                               "INSERT INTO t VALUES('com.good.two');"));
    const std::optional<QString> out = SQLiteToolRunner{}(db, QStringLiteral("SELECT a FROM t ORDER BY rowid;"));
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->toStdString(), "com.good.one\ncom.good.two\n");
}

TEST(SQLiteToolRunnerDecode, KeepsValidLinesExactly)
{
    EXPECT_EQ(SQLiteToolRunner::decodeOutput(QByteArray("a\n\xC3\x28\nb")).toStdString(), "a\nb");
    EXPECT_EQ(SQLiteToolRunner::decodeOutput(QByteArray("\xEF\xBB\xBFx\n")).toStdString(), "\xEF\xBB\xBFx\n");
    EXPECT_EQ(SQLiteToolRunner::decodeOutput(QByteArray("中文\n")).toStdString(), "中文\n");
    EXPECT_EQ(SQLiteToolRunner::decodeOutput(QByteArray()).toStdString(), "");
}

TEST_F(SQLiteToolRunnerTest, FifoOrOversizedFileIsNeverCopied)
{
    const QString fifo = dir.filePath(QStringLiteral("pipe.db"));
    ASSERT_TRUE(ChildProcess::output(ChildProcess::run(QStringLiteral("/usr/bin/mkfifo"), {fifo})).has_value());
    QTemporaryDir work;
    EXPECT_FALSE(SQLiteToolRunner::copyDatabase(fifo, work.path(), SQLiteToolRunner::kMaxDatabaseBytes).has_value());

    const QString db = database(QStringLiteral("a.db"), QStringLiteral("CREATE TABLE t(a);"));
    QTemporaryDir work2;
    EXPECT_FALSE(SQLiteToolRunner::copyDatabase(db, work2.path(), 100).has_value());
    SQLiteToolRunner small;
    small.maxDatabaseBytes = 100;
    EXPECT_FALSE(small(db, QStringLiteral("SELECT 1;")).has_value());
}

} // namespace
