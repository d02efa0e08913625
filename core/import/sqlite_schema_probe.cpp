#include "sqlite_schema_probe.h"

#include "launchpad_importer.h"

QStringList SQLiteSchemaProbe::tableNames() const
{
    QStringList names;
    names.reserve(tables.size());
    for (const SQLiteTableSchema &table : tables)
        names.append(table.name);
    return names;
}

const QString &SQLiteSchemaProbe::tableListQuery()
{
    static const QString text = QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name;");
    return text;
}

QString SQLiteSchemaProbe::columnInfoQuery(const QString &table)
{
    return QStringLiteral("PRAGMA table_info(") + quote(table) + QStringLiteral(");");
}

QString SQLiteSchemaProbe::quote(const QString &name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QStringList SQLiteSchemaProbe::parseTableList(const QString &output)
{
    QStringList names;
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString name = line.trimmed();
        if (name.isEmpty() || name.startsWith(QLatin1String("sqlite_")))
            continue;
        names.append(name);
    }
    return names;
}

QStringList SQLiteSchemaProbe::parseColumns(const QString &output)
{
    QStringList names;
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QStringList fields = line.split(LaunchpadImporter::separatorCharacter(), Qt::KeepEmptyParts);
        if (fields.size() < 2)
            fields = line.split(QLatin1Char('|'), Qt::KeepEmptyParts);
        if (fields.size() < 2)
            continue;
        const QString name = fields.at(1).trimmed();
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

SQLiteSchemaProbe SQLiteSchemaProbe::probe(const QString &database, const SQLRunner &runner)
{
    SQLiteSchemaProbe result;
    if (!runner)
        return result;
    const std::optional<QString> list = runner(database, tableListQuery());
    if (!list)
        return result;
    for (const QString &name : parseTableList(*list)) {
        const std::optional<QString> info = runner(database, columnInfoQuery(name));
        if (!info)
            continue;
        const QStringList columns = parseColumns(*info);
        if (columns.isEmpty())
            continue;
        result.tables.append(SQLiteTableSchema{name, columns});
    }
    return result;
}
