#include "layout_store.h"

#include "foundation/log.h"
#include "json_writer.h"
#include "stored_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString kLayoutFileName = QStringLiteral("layout.json");
const QString kPinnedFileName = QStringLiteral("pinned.json");

QString absolutePath(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

// Text the platform's decoder would accept: a JSON string whose escapes do not
// leave a lone surrogate behind.
std::optional<QString> stringValue(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    QString text = value.toString();
    if (!QStringView(text).isValidUtf16())
        return std::nullopt;
    return text;
}

std::optional<QStringList> stringArray(const QJsonValue &value)
{
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    QStringList items;
    items.reserve(array.size());
    for (const QJsonValue &item : array) {
        std::optional<QString> text = stringValue(item);
        if (!text)
            return std::nullopt;
        items.append(std::move(*text));
    }
    return items;
}

std::optional<LayoutFolder> decodeFolder(const QJsonObject &object)
{
    std::optional<QString> id = stringValue(object.value(QLatin1String("id")));
    std::optional<QString> name = stringValue(object.value(QLatin1String("name")));
    std::optional<QStringList> bundleIDs = stringArray(object.value(QLatin1String("bundleIDs")));
    if (!id || !name || !bundleIDs)
        return std::nullopt;
    return LayoutFolder(std::move(*id), std::move(*name), std::move(*bundleIDs));
}

std::optional<LayoutEntry> decodeEntry(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    std::optional<QString> id = stringValue(object.value(QLatin1String("id")));
    if (!id)
        return std::nullopt;
    LayoutEntry entry(std::move(*id));

    // Optional members: absent or null mean none, any other kind fails.
    const QJsonValue appID = object.value(QLatin1String("appID"));
    if (!appID.isUndefined() && !appID.isNull()) {
        std::optional<QString> text = stringValue(appID);
        if (!text)
            return std::nullopt;
        entry.appID = std::move(*text);
    }
    const QJsonValue folder = object.value(QLatin1String("folder"));
    if (!folder.isUndefined() && !folder.isNull()) {
        if (!folder.isObject())
            return std::nullopt;
        std::optional<LayoutFolder> decoded = decodeFolder(folder.toObject());
        if (!decoded)
            return std::nullopt;
        entry.folder = std::move(*decoded);
    }
    return entry;
}

void writeEntry(JsonWriter &writer, const LayoutEntry &entry)
{
    writer.beginObject();
    if (entry.appID) {
        writer.key(u"appID");
        writer.writeString(*entry.appID);
    }
    if (entry.folder) {
        writer.key(u"folder");
        writer.beginObject();
        writer.key(u"bundleIDs");
        writer.writeStringArray(entry.folder->bundleIDs);
        writer.key(u"id");
        writer.writeString(entry.folder->id);
        writer.key(u"name");
        writer.writeString(entry.folder->name);
        writer.endObject();
    }
    writer.key(u"id");
    writer.writeString(entry.id);
    writer.endObject();
}

// Reads `path` for a load: the decoded value, or none after logging and moving
// aside a file that exists but `decode` rejects. `known` becomes the identity
// of a file read intact.
template <typename Decode>
auto loadFile(const QString &path, Decode decode, std::optional<StoredFile::Identity> &known)
    -> decltype(decode(QByteArray()))
{
    known.reset();
    const StoredFile::Contents contents = StoredFile::read(path);
    if (contents.status == StoredFile::Status::missing)
        return std::nullopt;
    if (contents.status == StoredFile::Status::ok) {
        if (auto decoded = decode(contents.bytes)) {
            known = contents.identity;
            return decoded;
        }
    }
    const QString reason = contents.status == StoredFile::Status::ok ? QStringLiteral("undecodable") : contents.error;
    const QString backup = StoredFile::setAside(path);
    Log::write("[store] unreadable file=%@ reason=%@ backup=%@", path, reason,
               backup.isEmpty() ? QStringLiteral("none") : backup);
    return std::nullopt;
}

// Before `path` is replaced: a file there that cannot be decoded is moved aside
// first. False (with `error`) when such a file stays in the way.
template <typename Decode>
bool makeReplaceable(const QString &path, Decode decode, const std::optional<StoredFile::Identity> &known,
                     QString *error)
{
    if (known && StoredFile::identity(path) == known)
        return true;
    const StoredFile::Contents contents = StoredFile::read(path);
    if (contents.status == StoredFile::Status::missing)
        return true;
    if (contents.status == StoredFile::Status::ok && decode(contents.bytes))
        return true;
    const QString reason = contents.status == StoredFile::Status::ok ? QStringLiteral("undecodable") : contents.error;
    const QString backup = StoredFile::setAside(path);
    Log::write("[store] unreadable file=%@ reason=%@ backup=%@", path, reason,
               backup.isEmpty() ? QStringLiteral("none") : backup);
    if (backup.isEmpty()) {
        *error = QStringLiteral("unreadable file %1 could not be moved aside").arg(path);
        return false;
    }
    return true;
}

} // namespace

LayoutStore::LayoutStore(const std::optional<QString> &directory)
    : m_directory(directory && !directory->isEmpty() ? absolutePath(*directory) : resolveDirectory())
{
}

QString LayoutStore::resolveDirectory(const QStringList &arguments, const QProcessEnvironment &environment)
{
    const qsizetype option = arguments.indexOf(QStringLiteral("--state-dir"));
    if (option >= 0 && option + 1 < arguments.size() && !arguments.at(option + 1).isEmpty())
        return absolutePath(arguments.at(option + 1));
    const QString fromEnvironment = environment.value(QStringLiteral("APP_STATE_DIR"));
    if (!fromEnvironment.isEmpty())
        return absolutePath(fromEnvironment);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tessellon");
}

QString LayoutStore::resolveDirectory()
{
    const QStringList arguments = QCoreApplication::instance() ? QCoreApplication::arguments() : QStringList();
    return resolveDirectory(arguments, QProcessEnvironment::systemEnvironment());
}

QString LayoutStore::fileURL() const
{
    return m_directory + QLatin1Char('/') + kLayoutFileName;
}

QString LayoutStore::pinnedFileURL() const
{
    return m_directory + QLatin1Char('/') + kPinnedFileName;
}

QByteArray LayoutStore::encodeLayout(const LauncherLayout &layout)
{
    JsonWriter writer(JsonWriter::Style::pretty, JsonWriter::Slashes::plain);
    qsizetype entries = 0;
    for (const LauncherLayout::Page &page : layout.pages)
        entries += page.size();
    writer.reserve(1024 + entries * 96);
    writer.beginObject();

    writer.key(u"customSources");
    writer.writeStringArray(layout.customSources);

    writer.key(u"hiddenIDs");
    QStringList hidden(layout.hiddenIDs.cbegin(), layout.hiddenIDs.cend());
    std::sort(hidden.begin(), hidden.end());
    writer.writeStringArray(hidden);

    writer.key(u"nameOverrides");
    writer.beginObject();
    for (const QString &name : JsonWriter::sortedKeys(layout.nameOverrides.keys())) {
        writer.key(name);
        writer.writeString(layout.nameOverrides.value(name));
    }
    writer.endObject();

    writer.key(u"pages");
    writer.beginArray();
    for (const LauncherLayout::Page &page : layout.pages) {
        writer.beginArray();
        for (const LayoutEntry &entry : page)
            writeEntry(writer, entry);
        writer.endArray();
    }
    writer.endArray();

    writer.endObject();
    return writer.take();
}

std::optional<LauncherLayout> LayoutStore::decodeLayout(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();

    const QJsonValue pagesValue = root.value(QLatin1String("pages"));
    const std::optional<QStringList> hiddenIDs = stringArray(root.value(QLatin1String("hiddenIDs")));
    const QJsonValue overridesValue = root.value(QLatin1String("nameOverrides"));
    std::optional<QStringList> customSources = stringArray(root.value(QLatin1String("customSources")));
    if (!pagesValue.isArray() || !hiddenIDs || !overridesValue.isObject() || !customSources)
        return std::nullopt;

    LauncherLayout layout;
    // Pages are kept exactly as stored, even none at all.
    layout.pages.clear();
    const QJsonArray pages = pagesValue.toArray();
    layout.pages.reserve(pages.size());
    for (const QJsonValue &pageValue : pages) {
        if (!pageValue.isArray())
            return std::nullopt;
        const QJsonArray entries = pageValue.toArray();
        LauncherLayout::Page page;
        page.reserve(entries.size());
        for (const QJsonValue &entryValue : entries) {
            std::optional<LayoutEntry> entry = decodeEntry(entryValue);
            if (!entry)
                return std::nullopt;
            page.append(std::move(*entry));
        }
        layout.pages.append(std::move(page));
    }

    layout.hiddenIDs = QSet<QString>(hiddenIDs->cbegin(), hiddenIDs->cend());

    const QJsonObject overrides = overridesValue.toObject();
    for (auto it = overrides.constBegin(); it != overrides.constEnd(); ++it) {
        std::optional<QString> name = stringValue(it.value());
        if (!name || !QStringView(it.key()).isValidUtf16())
            return std::nullopt;
        layout.nameOverrides.insert(it.key(), std::move(*name));
    }

    layout.customSources = std::move(*customSources);
    return layout;
}

QByteArray LayoutStore::encodePinned(const QStringList &pinned)
{
    JsonWriter writer(JsonWriter::Style::compact, JsonWriter::Slashes::escaped);
    writer.writeStringArray(pinned);
    return writer.take();
}

std::optional<QStringList> LayoutStore::decodePinned(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    return stringArray(QJsonValue(document.array()));
}

LauncherLayout LayoutStore::load() const
{
    if (std::optional<LauncherLayout> layout = loadFile(fileURL(), &LayoutStore::decodeLayout, m_knownLayout))
        return std::move(*layout);
    return LauncherLayout::empty();
}

bool LayoutStore::save(const LauncherLayout &layout) const
{
    QString error;
    const bool written = makeReplaceable(fileURL(), &LayoutStore::decodeLayout, m_knownLayout, &error)
                         && StoredFile::writeAtomically(fileURL(), encodeLayout(layout), &error);
    if (!written) {
        m_knownLayout.reset();
        // The same text in every interface language.
        Log::write("[Tessellon] 布局保存失败: %@", error);
        return false;
    }
    m_knownLayout = StoredFile::identity(fileURL());
    return true;
}

QStringList LayoutStore::loadPinned() const
{
    if (std::optional<QStringList> pinned = loadFile(pinnedFileURL(), &LayoutStore::decodePinned, m_knownPinned))
        return std::move(*pinned);
    return {};
}

bool LayoutStore::savePinned(const QStringList &pinned) const
{
    QString error;
    const bool written = makeReplaceable(pinnedFileURL(), &LayoutStore::decodePinned, m_knownPinned, &error)
                         && StoredFile::writeAtomically(pinnedFileURL(), encodePinned(pinned), &error);
    m_knownPinned = written ? StoredFile::identity(pinnedFileURL()) : std::nullopt;
    return written;
}
