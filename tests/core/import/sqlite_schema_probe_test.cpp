#include "import/sqlite_column_plan.h"
#include "import/sqlite_schema_probe.h"
#include "import/sqlite_tool_runner.h"

#include "store_fixtures.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kSep = QString(QChar(0x1F));

QStringList strings(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *s : list)
        result.append(QString::fromUtf8(s));
    return result;
}

TEST(SQLiteSchemaProbeParse, TableListDropsInternalTablesAndBlankLines)
{
    EXPECT_EQ(SQLiteSchemaProbe::parseTableList(QStringLiteral("ZITEM\n\n  apps  \nsqlite_sequence\nsqlite_stat1\nSqlite_x\n")),
              strings({"ZITEM", "apps", "Sqlite_x"}));
}

TEST(SQLiteSchemaProbeParse, ColumnsFromEitherSeparator)
{
    const QString unit = QStringLiteral("0") + kSep + QStringLiteral("Z_PK") + kSep + QStringLiteral("INTEGER") + kSep +
                         QStringLiteral("0") + kSep + kSep + QStringLiteral("1\n1") + kSep +
                         QStringLiteral(" ZBUNDLEID ") + kSep + QStringLiteral("VARCHAR") + kSep + QStringLiteral("0") +
                         kSep + kSep + QStringLiteral("0\n");
    EXPECT_EQ(SQLiteSchemaProbe::parseColumns(unit), strings({"Z_PK", "ZBUNDLEID"}));
    EXPECT_EQ(SQLiteSchemaProbe::parseColumns(QStringLiteral("0|id|INTEGER|0||1\n1|bundle_id|TEXT|0||0\n2||x\nlonely\n")),
              strings({"id", "bundle_id"}));
}

TEST(SQLiteSchemaProbeQuote, DoublesInnerQuotes)
{
    EXPECT_EQ(SQLiteSchemaProbe::quote(QStringLiteral("a\"b")).toStdString(), "\"a\"\"b\"");
    EXPECT_EQ(SQLiteSchemaProbe::columnInfoQuery(QStringLiteral("x\"); DROP TABLE y; --")).toStdString(),
              "PRAGMA table_info(\"x\"\"); DROP TABLE y; --\");");
}

TEST(SQLiteSchemaProbeRun, TableWhoseColumnsCannotBeListedIsLeftOut)
{
    QStringList asked;
    const SQLRunner runner = [&](const QString &db, const QString &sql) -> std::optional<QString> {
        EXPECT_EQ(db.toStdString(), "/store.db");
        asked.append(sql);
        if (sql == SQLiteSchemaProbe::tableListQuery())
            return QStringLiteral("apps\nbroken\nempty\nsqlite_sequence\n");
        if (sql == SQLiteSchemaProbe::columnInfoQuery(QStringLiteral("apps")))
            return QStringLiteral("0|bundle_id|TEXT|0||0\n");
        if (sql == SQLiteSchemaProbe::columnInfoQuery(QStringLiteral("empty")))
            return QString();
        return std::nullopt;
    };
    const SQLiteSchemaProbe probe = SQLiteSchemaProbe::probe(QStringLiteral("/store.db"), runner);
    EXPECT_EQ(probe.tableNames(), strings({"apps"}));
    EXPECT_EQ(probe.tables.first().columns, strings({"bundle_id"}));
    // The single statement for every table first (this runner cannot answer
    // it), then the list and one statement per non-internal table.
    EXPECT_EQ(asked.size(), 5);
    EXPECT_EQ(asked.first(), SQLiteSchemaProbe::columnsQuery());

    const SQLRunner failing = [](const QString &, const QString &) -> std::optional<QString> { return std::nullopt; };
    EXPECT_TRUE(SQLiteSchemaProbe::probe(QStringLiteral("/store.db"), failing).tables.isEmpty());
}

// A real file probed through the real tool, with a table whose name carries
// quotes and SQL: the name is kept exactly, nothing is injected, and the
// generated rows query reads it.
TEST(SQLiteSchemaProbeRun, RealStoreWithHostileTableName)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("evil.db"));
    ASSERT_TRUE(StoreFixtures::execute(db, QStringLiteral(
        "CREATE TABLE victim(x);"
        "CREATE TABLE \"apps\"\"); DROP TABLE victim; --\" (\"bundle\"\"id\" TEXT, \"sort order\" TEXT, \"page\" TEXT);"
        "INSERT INTO \"apps\"\"); DROP TABLE victim; --\" VALUES ('com.b', '2', '1'), ('com.a', '10', '1');"
        "ANALYZE;")));
    const auto before = StoreFixtures::fingerprint(dir.path());

    const SQLiteSchemaProbe probe = SQLiteSchemaProbe::probe(db, SQLiteToolRunner{});
    EXPECT_EQ(probe.tableNames(), strings({"apps\"); DROP TABLE victim; --", "victim"}));
    ASSERT_EQ(probe.tables.size(), 2);
    EXPECT_EQ(probe.tables.first().columns, strings({"bundle\"id", "sort order", "page"}));

    const std::optional<SQLiteColumnPlan> plan = SQLiteColumnPlan::select(probe);
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(plan->detail().toStdString(), "apps\"); DROP TABLE victim; --(bundle\"id,order=sort order,page=page)");
    const std::optional<QString> rows = SQLiteToolRunner{}(db, plan->rowsQuery());
    ASSERT_TRUE(rows.has_value());
    EXPECT_EQ(rows->toStdString(),
              (QStringLiteral("com.b") + kSep + "2.0" + kSep + "1" + kSep + "\ncom.a" + kSep + "10.0" + kSep + "1" +
               kSep + "\n")
                  .toStdString());

    // The victim table is still there and the file is unchanged.
    EXPECT_EQ(SQLiteToolRunner{}(db, QStringLiteral("SELECT count(*) FROM victim;")).value_or(QString()).toStdString(),
              "0\n");
    EXPECT_EQ(StoreFixtures::fingerprint(dir.path()), before);
}

} // namespace
