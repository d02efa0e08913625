#include "layout_source_importer.h"

#include "foundation/bounded_read.h"
#include "foundation/log.h"
#include "foundation/property_list.h"
#include "layout_id_resolver.h"
#include "localization/l10n.h"
#include "sqlite_column_plan.h"
#include "sqlite_schema_probe.h"
#include "sqlite_tool_runner.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMetaType>
#include <QRegularExpression>
#include <QSet>
#include <QVariantMap>

#include <algorithm>
#include <cmath>

namespace {

QString joinPath(const QString &directory, const QString &name)
{
    return directory.endsWith(QLatin1Char('/')) ? directory + name : directory + QLatin1Char('/') + name;
}

std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes)
{
    const QFileInfo info(path);
    // A FIFO or device would block or never end; a huge file is no preference list.
    if (!info.isFile() || info.size() > maxBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = readAtMost(file, maxBytes + 1, info.size());
    if (file.error() != QFileDevice::NoError || bytes.size() > maxBytes)
        return std::nullopt;
    return bytes;
}

// NaN has no place in an order: it would break every comparison it meets.
double orderKey(double order)
{
    return std::isnan(order) ? 0.0 : order;
}

// A page key that is a plain decimal number, or empty (which joins page "0").
std::optional<double> numericPage(const QString &page)
{
    if (page.isEmpty())
        return 0.0;
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+(\\.[0-9]+)?$"));
    if (!decimal.match(page).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = page.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool isList(const QVariant &value)
{
    return value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList;
}

bool isMap(const QVariant &value)
{
    return value.typeId() == QMetaType::QVariantMap || value.typeId() == QMetaType::QVariantHash;
}

bool isString(const QVariant &value)
{
    return value.typeId() == QMetaType::QString;
}

bool containsAny(const QString &lowerKey, std::initializer_list<const char *> words)
{
    for (const char *word : words) {
        if (lowerKey.contains(QLatin1String(word)))
            return true;
    }
    return false;
}

// Walks a property list for application identifiers, remembering the group
// (folder) and page each was found under.
class PropertyListWalker
{
public:
    QList<ImportedLayoutRow> rows;

    void walk(const QVariant &value, const QString &key, const QString &group, const QString &page, int depth)
    {
        // Values 8 or more levels below the root are never looked at.
        if (depth >= 8)
            return;
        if (isString(value)) {
            const QString text = value.toString();
            if (LayoutSourceImporter::looksLikeApp(text))
                rows.append(ImportedLayoutRow{text, double(rows.size()), page, group});
            return;
        }
        if (isList(value)) {
            walkList(value.toList(), key, group, page, depth);
            return;
        }
        if (isMap(value))
            walkMap(value.toMap(), key, group, page, depth);
    }

private:
    int m_fallbackCounter = 0;

    QString nextFallbackName()
    {
        ++m_fallbackCounter;
        return L(QStringLiteral("分组 %d"), m_fallbackCounter);
    }

    void walkList(const QVariantList &list, const QString &key, const QString &group, const QString &page, int depth)
    {
        const QString lowerKey = key.toLower();
        const bool container =
            containsAny(lowerKey, {"group", "folder", "category", "apps", "items", "pages", "page"});
        const bool pages = lowerKey.contains(QLatin1String("page"));
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QVariant &element = list.at(i);
            if (container && (isList(element) || isMap(element))) {
                if (pages)
                    walk(element, key, group, QString::number(i), depth + 1);
                else
                    walk(element, key, nextFallbackName(), page, depth + 1);
            } else {
                walk(element, key, group, page, depth + 1);
            }
        }
    }

    void walkMap(const QVariantMap &map, const QString &key, const QString &group, const QString &page, int depth)
    {
        QString groupName = group;
        if (containsAny(key.toLower(), {"group", "folder", "category"})) {
            const QVariant name = map.value(QStringLiteral("name"));
            const QVariant title = map.value(QStringLiteral("title"));
            if (isString(name))
                groupName = name.toString();
            else if (isString(title))
                groupName = title.toString();
            else
                groupName = nextFallbackName();
        }
        static const QSet<QString> labels = {QStringLiteral("name"), QStringLiteral("title"), QStringLiteral("id"),
                                             QStringLiteral("uuid")};
        // QVariantMap iterates in ascending key order.
        for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
            if (isString(it.value()) && labels.contains(it.key().toLower()))
                continue;
            walk(it.value(), it.key(), groupName, page, depth + 1);
        }
    }
};

// One slot of a page being built: an application, or the place of a group.
// Kept apart from identifiers, so no imported text can pose as a folder.
struct Slot
{
    QString appID;
    qsizetype groupIndex = -1;
};

} // namespace

LayoutSourceImporter::Environment LayoutSourceImporter::Environment::system()
{
    Environment env;
    env.isReadable = LayoutSourceCatalog::defaultIsReadable();
    env.isDirectory = LayoutSourceCatalog::defaultIsDirectory();
    env.directoryEntries = LayoutSourceCatalog::defaultDirectoryEntries();
    env.readFile = [](const QString &path) { return readRegularFile(path, kMaxPropertyListBytes); };
    env.grid = [] { return DockGridPreference::systemPreference(); };
    env.launchpad = LaunchpadImporter::Environment::system();
    return env;
}

SQLRunner LayoutSourceImporter::systemRunner()
{
    SQLiteToolRunner runner = SQLiteToolRunner::fromEnvironment();
    runner.launchFailureLog = SQLiteToolRunner::probeFailureLog;
    return runner;
}

std::optional<LayoutSourceSnapshot> LayoutSourceImporter::read(const LayoutSourceRecord &record,
                                                               const QList<AppItem> &apps, int pageSize,
                                                               const SQLRunner &runner,
                                                               const std::optional<QByteArray> &plistData,
                                                               const Environment &env, QString *failure)
{
    QString ignored;
    if (!failure)
        failure = &ignored;
    failure->clear();
    if (!env.isReadable(record.path)) {
        *failure = QStringLiteral("unreadable");
        return std::nullopt;
    }
    const DockGridPreference grid = env.grid ? env.grid() : DockGridPreference{};

    if (record.source == LayoutSource::systemLaunchpad) {
        LaunchpadImporter::Environment launchpad = env.launchpad;
        if (runner)
            launchpad.query = SQLiteToolRunner::byteRunner(runner);
        if (launchpad.distrust) {
            if (const std::optional<QString> reason = launchpad.distrust(record.path)) {
                Log::write("[import] refused database=%@ reason=%@", record.path, *reason);
                *failure = QStringLiteral("refused: ") + *reason;
                return std::nullopt;
            }
        }
        LayoutSourceSnapshot snapshot(record.source, LaunchpadImporter::nativeLayout(record.path, launchpad), grid,
                                      QStringLiteral("items/apps/groups"));
        if (snapshot.isEmpty()) {
            const QString why = SQLiteToolRunner::lastFailure(runner);
            *failure = why.isEmpty() ? QStringLiteral("no usable table") : why;
            return std::nullopt;
        }
        return snapshot;
    }

    // AppGrid's second candidates are its preference lists: read them as such,
    // not as SQLite files that could never yield a layout.
    const bool propertyList =
        record.source.isPropertyList() || record.path.endsWith(QLatin1String(".plist"), Qt::CaseInsensitive);
    if (propertyList) {
        const std::optional<QByteArray> bytes = plistData ? plistData : env.readFile(record.path);
        if (!bytes) {
            *failure = QStringLiteral("unreadable: not a regular file of at most %1 bytes").arg(kMaxPropertyListBytes);
            return std::nullopt;
        }
        const std::optional<QList<ImportedLayoutRow>> rows = parsePropertyList(*bytes, failure);
        if (!rows)
            return std::nullopt;
        LayoutSourceSnapshot snapshot(record.source, buildLayout(*rows, pageSize, record.source, apps), grid,
                                      QStringLiteral("plist"));
        if (snapshot.isEmpty()) {
            *failure = QStringLiteral("no installed application in the property list");
            return std::nullopt;
        }
        return snapshot;
    }

    if (record.isDirectory || env.isDirectory(record.path)) {
        // A folder store: its database files in the order discovery lists them.
        QStringList names;
        for (const QString &name : env.directoryEntries(record.path)) {
            if (LayoutSourceCatalog::isDatabaseFileName(name))
                names.append(name);
        }
        std::sort(names.begin(), names.end());
        *failure = QStringLiteral("no database file in the folder");
        for (const QString &name : names) {
            if (auto snapshot = readDatabaseFile(joinPath(record.path, name), record.source, apps, pageSize, runner,
                                                 env, grid, failure))
                return snapshot;
        }
        return std::nullopt;
    }
    return readDatabaseFile(record.path, record.source, apps, pageSize, runner, env, grid, failure);
}

std::optional<LayoutSourceSnapshot> LayoutSourceImporter::readDatabaseFile(const QString &path, LayoutSource source,
                                                                           const QList<AppItem> &apps, int pageSize,
                                                                           const SQLRunner &runner,
                                                                           const Environment &env,
                                                                           const DockGridPreference &grid,
                                                                           QString *failure)
{
    if (!runner || !env.isReadable(path) || env.isDirectory(path)) {
        *failure = QStringLiteral("unreadable");
        return std::nullopt;
    }
    const auto runnerFailure = [&runner](const QString &otherwise) {
        const QString why = SQLiteToolRunner::lastFailure(runner);
        return why.isEmpty() ? otherwise : why;
    };
    const SQLiteSchemaProbe probe = SQLiteSchemaProbe::probe(path, runner);
    const std::optional<SQLiteColumnPlan> plan = SQLiteColumnPlan::select(probe);
    if (!plan) {
        *failure = probe.tables.isEmpty() ? runnerFailure(QStringLiteral("no usable table"))
                                          : QStringLiteral("no usable table");
        return std::nullopt;
    }
    const std::optional<QString> output = runner(path, plan->rowsQuery());
    if (!output) {
        *failure = runnerFailure(QStringLiteral("query failed"));
        return std::nullopt;
    }
    const QList<ImportedLayoutRow> rows = orderPagesNumerically(parseRows(*output));
    LayoutSourceSnapshot snapshot(source, buildLayout(rows, pageSize, source, apps), grid,
                                  QString::number(probe.tableNames().size()) + QStringLiteral(" tables · ") +
                                      plan->detail());
    if (snapshot.isEmpty()) {
        *failure = QStringLiteral("no installed application in table ") + plan->table;
        return std::nullopt;
    }
    return snapshot;
}

QList<ImportedLayoutRow> LayoutSourceImporter::parseRows(const QString &output)
{
    QList<ImportedLayoutRow> rows;
    const QChar separator = LaunchpadImporter::separatorCharacter();
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(separator, Qt::KeepEmptyParts);
        if (fields.size() < 2)
            continue;
        auto field = [&fields](qsizetype i) { return i < fields.size() ? fields.at(i).trimmed() : QString(); };
        const QString bundleID = field(0);
        if (bundleID.isEmpty())
            continue;
        bool ok = false;
        double order = field(1).toDouble(&ok);
        if (!ok || std::isnan(order))
            order = 0;
        rows.append(ImportedLayoutRow{bundleID, order, field(2), field(3)});
    }
    return rows;
}

QList<ImportedLayoutRow> LayoutSourceImporter::orderPagesNumerically(const QList<ImportedLayoutRow> &rows)
{
    struct Keyed
    {
        std::optional<double> number;
        qsizetype index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(rows.size()));
    for (qsizetype i = 0; i < rows.size(); ++i)
        keyed.push_back(Keyed{numericPage(rows.at(i).page), i});
    // Numbers by value before text; text keys compare equal, so the stable sort
    // keeps them (and the rows inside every page) in the order given.
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        if (a.number.has_value() != b.number.has_value())
            return a.number.has_value();
        return a.number && *a.number < *b.number;
    });
    QList<ImportedLayoutRow> sorted;
    sorted.reserve(rows.size());
    for (const Keyed &k : keyed)
        sorted.append(rows.at(k.index));
    return sorted;
}

bool LayoutSourceImporter::looksLikeApp(const QString &text)
{
    if (text.startsWith(QLatin1Char('/')) || text.endsWith(QLatin1String(".app")))
        return true;
    if (text.contains(QLatin1Char(' ')))
        return false;
    return text.contains(QLatin1Char('.')) && text.size() > 3;
}

std::optional<QList<ImportedLayoutRow>> LayoutSourceImporter::parsePropertyList(const QByteArray &data,
                                                                                 QString *failure)
{
    QString ignored;
    if (!failure)
        failure = &ignored;
    QString error;
    const std::optional<QVariant> root = PropertyList::parse(data, &error);
    if (!root) {
        *failure = QStringLiteral("not a property list: ") + error;
        return std::nullopt;
    }
    if (!isMap(*root) && !isList(*root)) {
        *failure = QStringLiteral("wrong type in a property list: the root is %1, not a dictionary or an array")
                       .arg(QString::fromLatin1(root->typeName()));
        return std::nullopt;
    }
    PropertyListWalker walker;
    walker.walk(*root, QStringLiteral("root"), QString(), QString(), 0);
    if (walker.rows.isEmpty()) {
        *failure = QStringLiteral("no application in the property list");
        return std::nullopt;
    }
    return walker.rows;
}

LaunchpadLayout LayoutSourceImporter::buildLayout(const QList<ImportedLayoutRow> &rows, int pageSize,
                                                  LayoutSource source, const QList<AppItem> &apps)
{
    const qsizetype size = std::max(pageSize, 1);

    struct Kept
    {
        const ImportedLayoutRow *row;
        QString id;
    };
    QList<Kept> kept;
    QSet<QString> seen;
    for (const ImportedLayoutRow &row : rows) {
        const QString id = LayoutIDResolver::resolve(row.bundleID, apps);
        if (id.isEmpty() || seen.contains(id))
            continue;
        seen.insert(id);
        kept.append(Kept{&row, id});
    }
    if (kept.isEmpty())
        return LaunchpadLayout::empty();

    struct PageList
    {
        QString key;
        QList<qsizetype> members; // indexes into kept
    };
    QList<PageList> lists;
    const bool keyed = std::any_of(kept.cbegin(), kept.cend(), [](const Kept &k) { return !k.row->page.isEmpty(); });
    if (!keyed) {
        for (qsizetype i = 0; i < kept.size(); ++i) {
            if (i % size == 0)
                lists.append(PageList{QString::number(i / size), {}});
            lists.last().members.append(i);
        }
    } else {
        QHash<QString, qsizetype> listOfKey;
        for (qsizetype i = 0; i < kept.size(); ++i) {
            const QString key = kept.at(i).row->page.isEmpty() ? QStringLiteral("0") : kept.at(i).row->page;
            auto found = listOfKey.constFind(key);
            if (found == listOfKey.constEnd()) {
                found = listOfKey.insert(key, lists.size());
                lists.append(PageList{key, {}});
            }
            lists[*found].members.append(i);
        }
    }

    LaunchpadLayout layout;
    for (PageList &list : lists) {
        std::stable_sort(list.members.begin(), list.members.end(), [&kept](qsizetype a, qsizetype b) {
            const double oa = orderKey(kept.at(a).row->order);
            const double ob = orderKey(kept.at(b).row->order);
            if (oa != ob)
                return oa < ob;
            return kept.at(a).id < kept.at(b).id;
        });

        QList<Slot> pageSlots;
        QList<std::pair<QString, QStringList>> groups;
        QHash<QString, qsizetype> groupOfName;
        for (qsizetype member : std::as_const(list.members)) {
            const QString &id = kept.at(member).id;
            const QString name = kept.at(member).row->group.trimmed();
            if (name.isEmpty() || name == QLatin1String("0")) {
                pageSlots.append(Slot{id, -1});
                continue;
            }
            const auto found = groupOfName.constFind(name);
            if (found != groupOfName.constEnd()) {
                groups[*found].second.append(id);
                continue;
            }
            groupOfName.insert(name, groups.size());
            pageSlots.append(Slot{QString(), groups.size()});
            groups.append({name, QStringList{id}});
        }

        LaunchpadPage page;
        for (const Slot &slot : std::as_const(pageSlots)) {
            if (slot.groupIndex < 0) {
                page.entries.append(LaunchpadEntry::app(slot.appID));
                continue;
            }
            const auto &group = groups.at(slot.groupIndex);
            page.entries.append(LaunchpadEntry::makeFolder(LaunchpadFolder{
                source.rawValue() + QStringLiteral("-group-") + list.key + QLatin1Char('-') +
                    QString::number(slot.groupIndex),
                group.first, group.second}));
        }
        if (!page.entries.isEmpty())
            layout.pages.append(page);
    }
    return layout;
}
