#include "import/sqlite_column_plan.h"

#include <gtest/gtest.h>

namespace {

using Role = SQLiteColumnPlan::Role;

SQLiteTableSchema table(const char *name, std::initializer_list<const char *> columns)
{
    SQLiteTableSchema schema{QString::fromUtf8(name), {}};
    for (const char *c : columns)
        schema.columns.append(QString::fromUtf8(c));
    return schema;
}

struct ScoreCase
{
    const char *name;
    const char *column;
    Role role;
    int expected;
};

class ColumnScoreTest : public ::testing::TestWithParam<ScoreCase>
{
};

TEST_P(ColumnScoreTest, Scores)
{
    const ScoreCase &c = GetParam();
    EXPECT_EQ(SQLiteColumnPlan::score(QString::fromUtf8(c.column), c.role), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ColumnScoreTest,
    ::testing::Values(ScoreCase{"CoreDataBundleIdentifier", "ZBUNDLEIDENTIFIER", Role::bundle, 100},
                      ScoreCase{"UnderscoreBreaksBundleid", "bundle_id", Role::bundle, 90},
                      ScoreCase{"SortOrderWithUnderscore", "sort_order", Role::order, 95},
                      ScoreCase{"NameOnly", "title_name", Role::bundle, 12},
                      ScoreCase{"AppUrl", "app_url", Role::bundle, 35},
                      ScoreCase{"CoreDataPage", "ZPAGE", Role::page, 90},
                      ScoreCase{"NothingMatches", "Z_PK", Role::group, 0}),
    [](const ::testing::TestParamInfo<ScoreCase> &info) { return std::string(info.param.name); });

struct SelectCase
{
    const char *name;
    QList<SQLiteTableSchema> tables;
    std::optional<SQLiteColumnPlan> expected;
};

class ColumnPlanSelectTest : public ::testing::TestWithParam<SelectCase>
{
};

TEST_P(ColumnPlanSelectTest, Selects)
{
    const SelectCase &c = GetParam();
    const std::optional<SQLiteColumnPlan> plan = SQLiteColumnPlan::select(SQLiteSchemaProbe{c.tables});
    ASSERT_EQ(plan.has_value(), c.expected.has_value());
    if (plan) {
        EXPECT_EQ(plan->detail().toStdString(), c.expected->detail().toStdString());
    }
    EXPECT_EQ(plan, c.expected);
}

SQLiteColumnPlan plan(const char *t, const char *bundle, const char *order = nullptr, const char *page = nullptr,
                      const char *group = nullptr)
{
    auto opt = [](const char *s) { return s ? std::optional<QString>(QString::fromUtf8(s)) : std::nullopt; };
    return SQLiteColumnPlan{QString::fromUtf8(t), QString::fromUtf8(bundle), opt(order), opt(page), opt(group)};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ColumnPlanSelectTest,
    ::testing::Values(
        SelectCase{"CoreDataTable",
                   {table("Z_METADATA", {"Z_VERSION", "Z_UUID", "ZBUNDLEID"}),
                    table("ZITEM", {"Z_PK", "ZBUNDLEID", "ZORDERING", "ZPAGE", "ZFOLDER"})},
                   plan("ZITEM", "ZBUNDLEID", "ZORDERING", "ZPAGE", "ZFOLDER")},
        SelectCase{"MetadataNeverChosen", {table("Z_METADATA", {"ZBUNDLEID", "ZORDER"})}, std::nullopt},
        SelectCase{"NameColumnDoesNotQualify", {table("apps", {"title_name", "position"})}, std::nullopt},
        SelectCase{"UrlColumnQualifies", {table("links", {"app_url"})}, plan("links", "app_url")},
        SelectCase{"ShorterOfEqualScores", {table("t", {"bundle_ref", "bundle"})}, plan("t", "bundle")},
        SelectCase{"EqualTotalsByPlainNameOrder",
                   {table("launch", {"bundleid", "ordering"}), table("Launch", {"bundleid", "ordering"}),
                    table("layout", {"bundleid", "ordering"})},
                   plan("Launch", "bundleid", "ordering")},
        // 45 + 30 against 100 - 25: a tie that the name order decides.
        SelectCase{"MissingOrderCostsItsBonus",
                   {table("b_paths", {"path", "position"}), table("a_ids", {"bundleid"})},
                   plan("a_ids", "bundleid")},
        SelectCase{"NoTables", {}, std::nullopt}),
    [](const ::testing::TestParamInfo<SelectCase> &info) { return std::string(info.param.name); });

TEST(ColumnPlanQuery, MinimalPlanReadsLiteralsForMissingColumns)
{
    const SQLiteColumnPlan p = plan("apps", "bundle_id");
    EXPECT_EQ(p.detail().toStdString(), "apps(bundle_id)");
    EXPECT_EQ(p.rowsQuery().toStdString(),
              "SELECT replace(replace(replace(replace(ifnull(\"bundle_id\", ''), char(10), ' '), char(13), ' '), "
              "char(9), ' '), char(31), ' '), 0, '', '' FROM \"apps\" ORDER BY 3, 2, 1;");
}

TEST(ColumnPlanQuery, EveryNameIsQuoted)
{
    const SQLiteColumnPlan p = plan("t\"x", "b\"", "o\"", "p\"", "g\"");
    const QString q = p.rowsQuery();
    for (const char *quoted : {"\"b\"\"\"", "cast(\"o\"\"\" as real)", "\"p\"\"\"", "\"g\"\"\"", "FROM \"t\"\"x\""})
        EXPECT_TRUE(q.contains(QString::fromUtf8(quoted))) << quoted;
    EXPECT_EQ(p.detail().toStdString(), "t\"x(b\",order=o\",page=p\",group=g\")");
}

} // namespace
