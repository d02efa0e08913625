#include "sqlite_column_plan.h"

#include <QSet>

#include <algorithm>
#include <utility>

namespace {

struct Keyword
{
    const char *text;
    int weight;
};

const std::vector<Keyword> &keywords(SQLiteColumnPlan::Role role)
{
    static const std::vector<Keyword> bundle = {
        {"bundleid", 100}, {"bundleidentifier", 100}, {"bundle", 90}, {"identifier", 70}, {"appid", 65},
        {"package", 60},   {"path", 45},              {"url", 35},    {"uri", 35},        {"name", 12},
    };
    static const std::vector<Keyword> order = {
        {"ordering", 100}, {"order", 95},    {"sortorder", 95}, {"index", 70},
        {"position", 70},  {"rank", 60},     {"sequence", 60},  {"rowid", 20},
    };
    static const std::vector<Keyword> page = {
        {"pageindex", 100}, {"pagenumber", 100}, {"page", 90}, {"zpage", 90},
    };
    static const std::vector<Keyword> group = {
        {"foldername", 100}, {"groupname", 100}, {"group", 90}, {"folder", 90},
        {"category", 75},    {"collection", 55}, {"list", 40},
    };
    switch (role) {
    case SQLiteColumnPlan::Role::bundle: return bundle;
    case SQLiteColumnPlan::Role::order: return order;
    case SQLiteColumnPlan::Role::page: return page;
    case SQLiteColumnPlan::Role::group: return group;
    }
    return bundle;
}

// Tables of store bookkeeping that never hold the layout.
const QSet<QString> &metadataNames()
{
    static const QSet<QString> names = {
        QStringLiteral("z_metadata"), QStringLiteral("z_modelcache"), QStringLiteral("z_primarykey"),
        QStringLiteral("dbinfo"),     QStringLiteral("app_sources"),  QStringLiteral("removed_apps"),
    };
    return names;
}

QString quote(const QString &name)
{
    return SQLiteSchemaProbe::quote(name);
}

// NULL becomes '' and line feed, carriage return, tab and U+001F become spaces,
// so one row is one output line and U+001F only ever separates fields.
QString cleaned(const QString &expression)
{
    return QStringLiteral("replace(replace(replace(replace(ifnull(") + expression +
           QStringLiteral(", ''), char(10), ' '), char(13), ' '), char(9), ' '), char(31), ' ')");
}

} // namespace

int SQLiteColumnPlan::score(const QString &column, Role role)
{
    const QString lower = column.toLower();
    int best = 0;
    for (const Keyword &keyword : keywords(role)) {
        if (keyword.weight > best && lower.contains(QLatin1String(keyword.text)))
            best = keyword.weight;
    }
    return best;
}

std::optional<QString> SQLiteColumnPlan::pick(const QStringList &columns, Role role)
{
    std::optional<QString> kept;
    int keptScore = 0;
    for (const QString &column : columns) {
        const int value = score(column, role);
        if (value == 0)
            continue;
        if (!kept || value > keptScore || (value == keptScore && column.size() < kept->size())) {
            kept = column;
            keptScore = value;
        }
    }
    return kept;
}

std::optional<SQLiteColumnPlan> SQLiteColumnPlan::select(const SQLiteSchemaProbe &schema)
{
    std::vector<std::pair<SQLiteColumnPlan, int>> plans;
    for (const SQLiteTableSchema &table : schema.tables) {
        const QString lowerName = table.name.toLower();
        if (metadataNames().contains(lowerName))
            continue;
        const std::optional<QString> bundle = pick(table.columns, Role::bundle);
        if (!bundle)
            continue;
        const int bundleScore = score(*bundle, Role::bundle);
        // A column that only looks like a display name is no identifier.
        if (bundleScore < 35)
            continue;
        SQLiteColumnPlan plan{table.name, *bundle, pick(table.columns, Role::order), pick(table.columns, Role::page),
                              pick(table.columns, Role::group)};
        int total = bundleScore;
        if (plan.order)
            total += 30;
        if (plan.page)
            total += 20;
        if (plan.group)
            total += 15;
        for (const char *hint : {"app", "item", "page", "entry"}) {
            if (lowerName.contains(QLatin1String(hint))) {
                total += 10;
                break;
            }
        }
        if (!plan.order)
            total -= 25;
        plans.emplace_back(std::move(plan), total);
    }
    if (plans.empty())
        return std::nullopt;
    std::stable_sort(plans.begin(), plans.end(), [](const auto &a, const auto &b) {
        if (a.second != b.second)
            return a.second > b.second;
        return a.first.table < b.first.table;
    });
    return plans.front().first;
}

QString SQLiteColumnPlan::detail() const
{
    QString text = table + QLatin1Char('(') + bundle;
    if (order)
        text += QStringLiteral(",order=") + *order;
    if (page)
        text += QStringLiteral(",page=") + *page;
    if (group)
        text += QStringLiteral(",group=") + *group;
    return text + QLatin1Char(')');
}

QString SQLiteColumnPlan::rowsQuery() const
{
    const QStringList fields = {
        cleaned(quote(bundle)),
        order ? QStringLiteral("ifnull(cast(") + quote(*order) + QStringLiteral(" as real), 0)") : QStringLiteral("0"),
        page ? cleaned(quote(*page)) : QStringLiteral("''"),
        group ? cleaned(quote(*group)) : QStringLiteral("''"),
    };
    return QStringLiteral("SELECT ") + fields.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + quote(table) +
           QStringLiteral(" ORDER BY 3, 2, 1;");
}
