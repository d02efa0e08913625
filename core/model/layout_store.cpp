#include "layout_store.h"

#include "foundation/log.h"
#include "json_writer.h"
#include "layout_backup.h"
#include "stored_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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

// The text elements of an array; every other element is named in `dropped`
// under `where`. Nothing when the value is no array.
std::optional<QStringList> stringArray(const QJsonValue &value, const QString &where, QStringList *dropped)
{
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    QStringList items;
    items.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        std::optional<QString> text = stringValue(array.at(i));
        if (!text) {
            dropped->append(QStringLiteral("%1[%2]").arg(where).arg(i));
            continue;
        }
        items.append(std::move(*text));
    }
    return items;
}

// Literals that some writers put in JSON for non-finite numbers; outside
// strings they become null, so that only the member holding one is dropped
// instead of the whole file failing to parse.
QByteArray withoutNonFiniteLiterals(const QByteArray &bytes)
{
    static const QByteArray literals[] = {QByteArrayLiteral("-Infinity"), QByteArrayLiteral("Infinity"),
                                          QByteArrayLiteral("NaN")};
    if (!bytes.contains("NaN") && !bytes.contains("Infinity"))
        return bytes;
    QByteArray out;
    out.reserve(bytes.size());
    bool inString = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (inString) {
            out.append(c);
            if (c == '\\' && i + 1 < bytes.size())
                out.append(bytes.at(++i));
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
            out.append(c);
            continue;
        }
        bool replaced = false;
        for (const QByteArray &literal : literals) {
            if (QByteArrayView(bytes).sliced(i).startsWith(literal)) {
                out.append("null");
                i += literal.size() - 1;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out.append(c);
    }
    return out;
}

// The length of the well-formed UTF-8 sequence at `at` (1 to 4), or 0.
int utf8SequenceLength(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return uchar(bytes.at(i)); };
    const uchar lead = byte(at);
    if (lead < 0x80)
        return 1;
    int length = 0;
    // The second byte's range shuts out overlong forms, surrogates and code
    // points beyond U+10FFFF.
    uchar low = 0x80;
    uchar high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > bytes.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if (byte(at + k) < 0x80 || byte(at + k) > 0xBF)
            return 0;
    }
    return length;
}

// The bytes with every byte that is not part of well-formed UTF-8 replaced by
// U+FFFD. The JSON reader refuses a whole document for one such byte, and one
// stray byte in a folder's or an application's name (written by another tool,
// or by hand in another encoding) would then cost every entry; this way it
// costs that one character. `dropped` names where the first was and how many.
QByteArray withValidUtf8(const QByteArray &bytes, QStringList *dropped)
{
    // A well-formed file, the usual case, is returned as it is.
    qsizetype first = 0;
    while (first < bytes.size()) {
        const int length = utf8SequenceLength(bytes, first);
        if (length == 0)
            break;
        first += length;
    }
    if (first == bytes.size())
        return bytes;
    QByteArray out = bytes.left(first);
    out.reserve(bytes.size() + 16);
    int replaced = 0;
    for (qsizetype i = first; i < bytes.size();) {
        if (const int length = utf8SequenceLength(bytes, i)) {
            out.append(bytes.constData() + i, length);
            i += length;
            continue;
        }
        ++replaced;
        out.append("\xEF\xBF\xBD");
        ++i;
    }
    dropped->append(QStringLiteral("byte %1 (invalid UTF-8; %2 byte(s) replaced by U+FFFD)").arg(first).arg(replaced));
    return out;
}

// The JSON document in `bytes`, read as leniently as the file's entries
// allow; what was left out or replaced is named in `dropped`.
std::optional<QJsonDocument> parseDocument(const QByteArray &bytes, QStringList *dropped)
{
    QStringList repaired;
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(withoutNonFiniteLiterals(withValidUtf8(bytes, &repaired)), &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    dropped->append(repaired);
    return document;
}

std::optional<LayoutFolder> decodeFolder(const QJsonObject &object)
{
    std::optional<QString> id = stringValue(object.value(QLatin1String("id")));
    std::optional<QString> name = stringValue(object.value(QLatin1String("name")));
    QStringList members;
    std::optional<QStringList> bundleIDs =
        stringArray(object.value(QLatin1String("bundleIDs")), QStringLiteral("bundleIDs"), &members);
    // A folder whose member list holds a bad element keeps its other members.
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

void logDropped(const QString &path, const QStringList &dropped)
{
    for (const QString &where : dropped)
        Log::write("[store] dropped unreadable entry file=%@ at=%@", path, where);
}

// A file read in part stays in use; the original is copied aside before the
// next save replaces it, so that what was dropped is never lost.
void keepOriginal(const QString &path, const QByteArray &bytes)
{
    const QString backup = StoredFile::keepCopy(path, bytes);
    Log::write("[store] partly readable file=%@ backup=%@", path, backup.isEmpty() ? QStringLiteral("none") : backup);
}

// Reads `path` for a load: the decoded value, or none. A file that exists but
// `decode` rejects is logged and moved aside; one that cannot be read at all
// (no permission, not a regular file, too large) is logged and kept in place,
// and `blocked` is set so that this run never saves over it. `known` becomes
// the identity and the bytes of a file read intact.
template <typename Known, typename Decode>
auto loadFile(const QString &path, Decode decode, Known &known, bool &blocked)
    -> decltype(decode(QByteArray(), nullptr))
{
    known = {};
    const StoredFile::Contents contents = StoredFile::read(path);
    if (contents.status == StoredFile::Status::missing)
        return std::nullopt;
    if (contents.status == StoredFile::Status::unreadable) {
        blocked = true;
        Log::write("[store] unreadable file=%@ reason=%@ kept in place; changes are not saved this run", path,
                   contents.error);
        return std::nullopt;
    }
    QStringList dropped;
    if (auto decoded = decode(contents.bytes, &dropped)) {
        if (!dropped.isEmpty()) {
            logDropped(path, dropped);
            keepOriginal(path, contents.bytes);
        }
        known.identity = contents.identity;
        known.bytes = contents.bytes;
        return decoded;
    }
    const QString backup = StoredFile::setAside(path);
    Log::write("[store] unreadable file=%@ reason=%@ backup=%@", path, QStringLiteral("undecodable"),
               backup.isEmpty() ? QStringLiteral("none") : backup);
    return std::nullopt;
}

// Whether the file at `path` is still the version `known` and holds
// `bytes`: a save of them would write the file as it is.
bool alreadyHolds(const QString &path, const std::optional<StoredFile::Identity> &known, const QByteArray &knownBytes,
                  const QByteArray &bytes)
{
    return known && knownBytes == bytes && StoredFile::identity(path) == known;
}

// Before `path` is replaced: a file there that cannot be decoded is moved aside
// first, and one read only in part is copied aside. False (with `error`, which
// the caller puts after the path) when a file stays in the way: one that
// cannot be read, or cannot be moved.
template <typename Decode>
bool makeReplaceable(const QString &path, Decode decode, const std::optional<StoredFile::Identity> &known,
                     bool blocked, QString *error)
{
    if (blocked) {
        *error = QStringLiteral("could not be read and is kept as it is");
        return false;
    }
    if (known && StoredFile::identity(path) == known)
        return true;
    const StoredFile::Contents contents = StoredFile::read(path);
    if (contents.status == StoredFile::Status::missing)
        return true;
    if (contents.status == StoredFile::Status::unreadable) {
        *error = QStringLiteral("cannot be read (%1) and is kept as it is").arg(contents.error);
        return false;
    }
    QStringList dropped;
    if (decode(contents.bytes, &dropped)) {
        if (!dropped.isEmpty())
            keepOriginal(path, contents.bytes);
        return true;
    }
    const QString backup = StoredFile::setAside(path);
    Log::write("[store] unreadable file=%@ reason=%@ backup=%@", path, QStringLiteral("undecodable"),
               backup.isEmpty() ? QStringLiteral("none") : backup);
    if (backup.isEmpty()) {
        *error = QStringLiteral("is unreadable and could not be moved aside");
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

std::optional<LauncherLayout> LayoutStore::decodeLayout(const QByteArray &bytes, QStringList *dropped)
{
    QStringList ignored;
    if (!dropped)
        dropped = &ignored;
    const std::optional<QJsonDocument> document = parseDocument(bytes, dropped);
    if (!document || !document->isObject())
        return std::nullopt;
    const QJsonObject root = document->object();

    LauncherLayout layout;
    // Pages are kept exactly as stored, even none at all.
    layout.pages.clear();
    const QJsonValue pagesValue = root.value(QLatin1String("pages"));
    if (!pagesValue.isArray()) {
        dropped->append(QStringLiteral("pages"));
    } else {
        const QJsonArray pages = pagesValue.toArray();
        layout.pages.reserve(pages.size());
        for (qsizetype p = 0; p < pages.size(); ++p) {
            if (!pages.at(p).isArray()) {
                dropped->append(QStringLiteral("pages[%1]").arg(p));
                continue;
            }
            const QJsonArray entries = pages.at(p).toArray();
            LauncherLayout::Page page;
            page.reserve(entries.size());
            for (qsizetype e = 0; e < entries.size(); ++e) {
                std::optional<LayoutEntry> entry = decodeEntry(entries.at(e));
                if (!entry) {
                    dropped->append(QStringLiteral("pages[%1][%2]").arg(p).arg(e));
                    continue;
                }
                if (entry->folder) {
                    // Members that are not text are left out of the folder.
                    const QJsonArray members = entries.at(e).toObject().value(QLatin1String("folder")).toObject()
                                                   .value(QLatin1String("bundleIDs")).toArray();
                    if (members.size() != entry->folder->bundleIDs.size())
                        dropped->append(QStringLiteral("pages[%1][%2].folder.bundleIDs").arg(p).arg(e));
                }
                page.append(std::move(*entry));
            }
            layout.pages.append(std::move(page));
        }
    }

    if (const std::optional<QStringList> hiddenIDs =
            stringArray(root.value(QLatin1String("hiddenIDs")), QStringLiteral("hiddenIDs"), dropped))
        layout.hiddenIDs = QSet<QString>(hiddenIDs->cbegin(), hiddenIDs->cend());
    else
        dropped->append(QStringLiteral("hiddenIDs"));

    const QJsonValue overridesValue = root.value(QLatin1String("nameOverrides"));
    if (!overridesValue.isObject()) {
        dropped->append(QStringLiteral("nameOverrides"));
    } else {
        const QJsonObject overrides = overridesValue.toObject();
        for (auto it = overrides.constBegin(); it != overrides.constEnd(); ++it) {
            std::optional<QString> name = stringValue(it.value());
            if (!name || !QStringView(it.key()).isValidUtf16()) {
                dropped->append(QStringLiteral("nameOverrides[%1]").arg(it.key()));
                continue;
            }
            layout.nameOverrides.insert(it.key(), std::move(*name));
        }
    }

    if (std::optional<QStringList> customSources =
            stringArray(root.value(QLatin1String("customSources")), QStringLiteral("customSources"), dropped))
        layout.customSources = std::move(*customSources);
    else
        dropped->append(QStringLiteral("customSources"));
    return layout;
}

QByteArray LayoutStore::encodePinned(const QStringList &pinned)
{
    JsonWriter writer(JsonWriter::Style::compact, JsonWriter::Slashes::escaped);
    writer.writeStringArray(pinned);
    return writer.take();
}

std::optional<QStringList> LayoutStore::decodePinned(const QByteArray &bytes, QStringList *dropped)
{
    QStringList ignored;
    if (!dropped)
        dropped = &ignored;
    const std::optional<QJsonDocument> document = parseDocument(bytes, dropped);
    if (!document || !document->isArray())
        return std::nullopt;
    return stringArray(QJsonValue(document->array()), QStringLiteral("pinned"), dropped);
}

LauncherLayout LayoutStore::load() const
{
    if (std::optional<LauncherLayout> layout =
            loadFile(fileURL(), &LayoutStore::decodeLayout, m_knownLayout, m_layoutBlocked))
        return std::move(*layout);
    return LauncherLayout::empty();
}

bool LayoutStore::save(const LauncherLayout &layout) const
{
    const QByteArray bytes = encodeLayout(layout);
    if (!m_layoutBlocked && alreadyHolds(fileURL(), m_knownLayout.identity, m_knownLayout.bytes, bytes))
        return true;
    QString error;
    const bool written =
        makeReplaceable(fileURL(), &LayoutStore::decodeLayout, m_knownLayout.identity, m_layoutBlocked, &error)
        && StoredFile::writeAtomically(fileURL(), bytes, &error, m_writer);
    if (!written) {
        m_knownLayout = {};
        // The same text in every interface language. The file is named: a
        // reason such as "Permission denied" alone leaves the user guessing
        // which folder to fix.
        Log::write("[Tessellon] 布局保存失败: %@: %@", fileURL(), error);
        return false;
    }
    m_knownLayout = {StoredFile::identity(fileURL()), bytes};
    return true;
}

void LayoutStore::removeLeftoverTemporaryFiles() const
{
    const QStringList names{kLayoutFileName, kPinnedFileName, QFileInfo(LayoutBackup::pathFor(fileURL())).fileName()};
    for (const QString &removed : StoredFile::removeLeftoverTemporaries(m_directory, names))
        Log::write("[store] removed leftover temporary file=%@", removed);
}

QStringList LayoutStore::loadPinned() const
{
    if (std::optional<QStringList> pinned =
            loadFile(pinnedFileURL(), &LayoutStore::decodePinned, m_knownPinned, m_pinnedBlocked))
        return std::move(*pinned);
    return {};
}

bool LayoutStore::savePinned(const QStringList &pinned) const
{
    const QByteArray bytes = encodePinned(pinned);
    if (!m_pinnedBlocked && alreadyHolds(pinnedFileURL(), m_knownPinned.identity, m_knownPinned.bytes, bytes))
        return true;
    QString error;
    const bool written =
        makeReplaceable(pinnedFileURL(), &LayoutStore::decodePinned, m_knownPinned.identity, m_pinnedBlocked, &error)
        && StoredFile::writeAtomically(pinnedFileURL(), bytes, &error, m_writer);
    m_knownPinned = written ? Known{StoredFile::identity(pinnedFileURL()), bytes} : Known{};
    return written;
}
