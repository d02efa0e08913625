#include "launchpad_layout.h"

#include <QJsonArray>
#include <QSet>

namespace {

std::optional<QStringList> stringArray(const QJsonValue &value)
{
    if (!value.isArray())
        return std::nullopt;
    QStringList result;
    for (const QJsonValue &item : value.toArray()) {
        if (!item.isString())
            return std::nullopt;
        result.append(item.toString());
    }
    return result;
}

} // namespace

QJsonObject LaunchpadFolder::toJson() const
{
    return QJsonObject{{QStringLiteral("id"), id},
                       {QStringLiteral("name"), name},
                       {QStringLiteral("bundleIDs"), QJsonArray::fromStringList(bundleIDs)}};
}

std::optional<LaunchpadFolder> LaunchpadFolder::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue id = object.value(QStringLiteral("id"));
    const QJsonValue name = object.value(QStringLiteral("name"));
    const std::optional<QStringList> members = stringArray(object.value(QStringLiteral("bundleIDs")));
    if (!id.isString() || !name.isString() || !members)
        return std::nullopt;
    return LaunchpadFolder{id.toString(), name.toString(), *members};
}

QJsonObject LaunchpadEntry::toJson() const
{
    QJsonObject object;
    if (bundleID)
        object.insert(QStringLiteral("bundleID"), *bundleID);
    if (folder)
        object.insert(QStringLiteral("folder"), folder->toJson());
    return object;
}

std::optional<LaunchpadEntry> LaunchpadEntry::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    LaunchpadEntry entry;
    const QJsonValue bundleID = object.value(QStringLiteral("bundleID"));
    if (!bundleID.isUndefined() && !bundleID.isNull()) {
        if (!bundleID.isString())
            return std::nullopt;
        entry.bundleID = bundleID.toString();
    }
    const QJsonValue folder = object.value(QStringLiteral("folder"));
    if (!folder.isUndefined() && !folder.isNull()) {
        entry.folder = LaunchpadFolder::fromJson(folder);
        if (!entry.folder)
            return std::nullopt;
    }
    return entry;
}

QJsonObject LaunchpadPage::toJson() const
{
    QJsonArray array;
    for (const LaunchpadEntry &entry : entries)
        array.append(entry.toJson());
    return QJsonObject{{QStringLiteral("entries"), array}};
}

std::optional<LaunchpadPage> LaunchpadPage::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonValue entries = value.toObject().value(QStringLiteral("entries"));
    if (!entries.isArray())
        return std::nullopt;
    LaunchpadPage page;
    for (const QJsonValue &item : entries.toArray()) {
        std::optional<LaunchpadEntry> entry = LaunchpadEntry::fromJson(item);
        if (!entry)
            return std::nullopt;
        page.entries.append(*entry);
    }
    return page;
}

bool LaunchpadLayout::isEmpty() const
{
    for (const LaunchpadPage &page : pages) {
        if (!page.entries.isEmpty())
            return false;
    }
    return true;
}

int LaunchpadLayout::folderCount() const
{
    int count = 0;
    for (const LaunchpadPage &page : pages) {
        for (const LaunchpadEntry &entry : page.entries)
            count += entry.isFolder() ? 1 : 0;
    }
    return count;
}

QStringList LaunchpadLayout::folderNames() const
{
    QStringList names;
    for (const LaunchpadPage &page : pages) {
        for (const LaunchpadEntry &entry : page.entries) {
            if (entry.folder)
                names.append(entry.folder->name);
        }
    }
    return names;
}

QStringList LaunchpadLayout::allBundleIDs() const
{
    QStringList result;
    QSet<QString> seen;
    const auto add = [&](const QString &id) {
        if (!seen.contains(id)) {
            seen.insert(id);
            result.append(id);
        }
    };
    for (const LaunchpadPage &page : pages) {
        for (const LaunchpadEntry &entry : page.entries) {
            if (entry.bundleID) {
                add(*entry.bundleID);
            } else if (entry.folder) {
                for (const QString &id : entry.folder->bundleIDs)
                    add(id);
            }
        }
    }
    return result;
}

int LaunchpadLayout::appCount() const
{
    int count = 0;
    for (const LaunchpadPage &page : pages) {
        for (const LaunchpadEntry &entry : page.entries) {
            if (entry.bundleID)
                ++count;
            if (entry.folder)
                count += int(entry.folder->bundleIDs.size());
        }
    }
    return count;
}

QJsonObject LaunchpadLayout::toJson() const
{
    QJsonArray array;
    for (const LaunchpadPage &page : pages)
        array.append(page.toJson());
    return QJsonObject{{QStringLiteral("pages"), array}};
}

std::optional<LaunchpadLayout> LaunchpadLayout::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonValue pages = value.toObject().value(QStringLiteral("pages"));
    if (!pages.isArray())
        return std::nullopt;
    LaunchpadLayout layout;
    for (const QJsonValue &item : pages.toArray()) {
        std::optional<LaunchpadPage> page = LaunchpadPage::fromJson(item);
        if (!page)
            return std::nullopt;
        layout.pages.append(*page);
    }
    return layout;
}
