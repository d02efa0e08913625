#include "sqlite_schema_probe.h"

#include "launchpad_importer.h"

#include <QStringDecoder>

QStringList SQLiteSchemaProbe::tableNames() const
{
    QStringList names;
    names.reserve(tables.size());
    for (const SQLiteTableSchema &table : tables)
        names.append(table.name);
    return names;
}

const QString &SQLiteSchemaProbe::columnsQuery()
{
    static const QString text = QStringLiteral(
        "SELECT hex(m.name), hex(p.name) FROM sqlite_master m, pragma_table_info(m.name) p "
        "WHERE m.type='table' AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY m.name, p.cid;");
    return text;
}

QList<SQLiteTableSchema> SQLiteSchemaProbe::parseColumnsOutput(const QString &output)
{
    const auto fromHex = [](const QString &hex) -> std::optional<QString> {
        const QByteArray bytes = QByteArray::fromHex(hex.trimmed().toLatin1());
        if (bytes.isEmpty())
            return std::nullopt;
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder.decode(bytes);
        if (decoder.hasError())
            return std::nullopt;
        return text;
    };
    QList<SQLiteTableSchema> tables;
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(LaunchpadImporter::separatorCharacter(), Qt::KeepEmptyParts);
        if (fields.size() < 2)
            continue;
        const std::optional<QString> table = fromHex(fields.at(0));
        const std::optional<QString> column = fromHex(fields.at(1));
        if (!table || !column || column->trimmed().isEmpty())
            continue;
        if (tables.isEmpty() || tables.last().name != *table)
            tables.append(SQLiteTableSchema{*table, {}});
        tables.last().columns.append(column->trimmed());
    }
    return tables;
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
    if (const std::optional<QString> all = runner(database, columnsQuery())) {
        result.tables = parseColumnsOutput(*all);
        return result;
    }
    const std::optional<QString> list = runner(database, tableListQuery());
    if (!list)
        return result;
    for (const QString &name : parseTableList(*list).mid(0, kMaxProbedTables)) {
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
