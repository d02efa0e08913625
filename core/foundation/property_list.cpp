#include "property_list.h"

#include "bounded_read.h"

#include <QDateTime>
#include <QFile>
#include <QTimeZone>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <plist/plist.h>

#include <cstdlib>
#include <limits>
#include <memory>

namespace {

// Property-list dates count seconds from 2001-01-01 00:00:00 UTC.
constexpr qint64 kReferenceEpochOffset = 978307200;

struct PlistDeleter
{
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

QString takeString(char *raw)
{
    const QString text = raw ? QString::fromUtf8(raw) : QString();
    std::free(raw);
    return text;
}

QVariant toVariant(plist_t node, int depth)
{
    // Guards against hostile, deeply nested input overflowing the stack.
    if (!node || depth > PropertyList::kMaxDepth)
        return QVariant();
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return QVariant(value != 0);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        // Binary property lists store negative integers as two's complement.
        return QVariant(static_cast<qint64>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return QVariant(value);
    }
    case PLIST_STRING: {
        char *raw = nullptr;
        plist_get_string_val(node, &raw);
        return QVariant(takeString(raw));
    }
    case PLIST_KEY: {
        char *raw = nullptr;
        plist_get_key_val(node, &raw);
        return QVariant(takeString(raw));
    }
    case PLIST_DATA: {
        char *raw = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &raw, &length);
        const QByteArray data(raw, qsizetype(length));
        std::free(raw);
        return QVariant(data);
    }
    case PLIST_DATE: {
        int32_t sec = 0;
        int32_t usec = 0;
        plist_get_date_val(node, &sec, &usec);
        const qint64 msecs = (qint64(sec) + kReferenceEpochOffset) * 1000 + usec / 1000;
        return QVariant(QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone::utc()));
    }
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return QVariant(quint64(value));
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t count = plist_array_get_size(node);
        list.reserve(qsizetype(count));
        for (uint32_t i = 0; i < count; ++i)
            list.append(toVariant(plist_array_get_item(node, i), depth + 1));
        return QVariant(list);
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        if (!iter)
            return QVariant(map);
        while (true) {
            char *key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &key, &value);
            if (!key)
                break;
            map.insert(takeString(key), toVariant(value, depth + 1));
        }
        std::free(iter);
        return QVariant(map);
    }
    default:
        return QVariant();
    }
}

plist_t fromVariant(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray data = value.toByteArray();
        return plist_new_data(data.constData(), uint64_t(data.size()));
    }
    case QMetaType::QDateTime: {
        const qint64 msecs = value.toDateTime().toMSecsSinceEpoch() - kReferenceEpochOffset * 1000;
        return plist_new_date(int32_t(msecs / 1000), int32_t((msecs % 1000) * 1000));
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        plist_t array = plist_new_array();
        for (const QVariant &item : value.toList())
            plist_array_append_item(array, fromVariant(item));
        return array;
    }
    case QMetaType::QVariantMap: {
        plist_t dict = plist_new_dict();
        const QVariantMap map = value.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it)
            plist_dict_set_item(dict, it.key().toUtf8().constData(), fromVariant(it.value()));
        return dict;
    }
    default:
        return plist_new_string(value.toString().toUtf8().constData());
    }
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Big-endian unsigned integer of `size` bytes at `offset`; none when out of bounds.
std::optional<quint64> readUnsigned(const QByteArray &bytes, qint64 offset, int size)
{
    if (offset < 0 || size < 1 || size > 8 || offset + size > bytes.size())
        return std::nullopt;
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | quint8(bytes.at(offset + i));
    return value;
}

bool binaryWithinLimits(const QByteArray &bytes, QString *error)
{
    constexpr qint64 kTrailer = 32;
    if (bytes.size() < 8 + kTrailer) {
        setError(error, QStringLiteral("truncated binary property list"));
        return false;
    }
    const qint64 trailer = bytes.size() - kTrailer;
    const int offsetSize = quint8(bytes.at(trailer + 6));
    const int refSize = quint8(bytes.at(trailer + 7));
    const quint64 objectCount = *readUnsigned(bytes, trailer + 8, 8);
    const quint64 top = *readUnsigned(bytes, trailer + 16, 8);
    const quint64 tableOffset = *readUnsigned(bytes, trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || objectCount == 0 || top >= objectCount
        || tableOffset >= quint64(trailer) || objectCount > quint64(trailer - qint64(tableOffset)) / quint64(offsetSize)) {
        setError(error, QStringLiteral("malformed binary property list trailer"));
        return false;
    }
    const auto objectOffset = [&](quint64 index) -> std::optional<qint64> {
        const std::optional<quint64> offset =
            readUnsigned(bytes, qint64(tableOffset) + qint64(index) * offsetSize, offsetSize);
        if (!offset || *offset < 8 || *offset >= tableOffset)
            return std::nullopt;
        return qint64(*offset);
    };
    // The references of a container object, or none for a leaf.
    struct Children
    {
        qint64 first = 0; // offset of the first reference
        quint64 count = 0;
    };
    const auto childrenOf = [&](qint64 offset, bool *bad) -> std::optional<Children> {
        const quint8 marker = quint8(bytes.at(offset));
        const int kind = marker >> 4;
        // Arrays, sets and dictionaries hold references; nothing else does.
        if (kind != 0xA && kind != 0xC && kind != 0xD)
            return std::nullopt;
        quint64 count = marker & 0x0F;
        qint64 first = offset + 1;
        if (count == 0x0F) {
            if (first >= bytes.size() || (quint8(bytes.at(first)) >> 4) != 0x1) {
                *bad = true;
                return std::nullopt;
            }
            const int size = 1 << (quint8(bytes.at(first)) & 0x0F);
            const std::optional<quint64> value = readUnsigned(bytes, first + 1, size);
            if (!value) {
                *bad = true;
                return std::nullopt;
            }
            count = *value;
            first += 1 + size;
        }
        // A dictionary's keys come first, then as many values.
        if (kind == 0xD)
            count = count > quint64(bytes.size()) ? count : count * 2;
        if (count > quint64(bytes.size()) || first + qint64(count) * refSize > qint64(tableOffset)) {
            *bad = true;
            return std::nullopt;
        }
        return Children{first, count};
    };

    struct Pending
    {
        quint64 index;
        int depth;
    };
    std::vector<Pending> stack{{top, 1}};
    qint64 references = 0;
    while (!stack.empty()) {
        const Pending pending = stack.back();
        stack.pop_back();
        const std::optional<qint64> offset = objectOffset(pending.index);
        if (!offset) {
            setError(error, QStringLiteral("malformed binary property list offset"));
            return false;
        }
        bool bad = false;
        const std::optional<Children> children = childrenOf(*offset, &bad);
        if (bad) {
            setError(error, QStringLiteral("malformed binary property list object"));
            return false;
        }
        if (!children)
            continue;
        if (pending.depth > PropertyList::kMaxDepth) {
            setError(error, QStringLiteral("nested deeper than %1 levels").arg(PropertyList::kMaxDepth));
            return false;
        }
        references += qint64(children->count);
        if (references > PropertyList::kMaxReferences) {
            setError(error, QStringLiteral("more than %1 references").arg(PropertyList::kMaxReferences));
            return false;
        }
        for (quint64 i = 0; i < children->count; ++i) {
            const quint64 child = *readUnsigned(bytes, children->first + qint64(i) * refSize, refSize);
            if (child >= objectCount) {
                setError(error, QStringLiteral("malformed binary property list reference"));
                return false;
            }
            stack.push_back(Pending{child, pending.depth + 1});
        }
    }
    return true;
}

// XML lists nest through <array> and <dict>; comments, processing
// instructions, declarations and character data are skipped.
bool xmlWithinLimits(const QByteArray &bytes, QString *error)
{
    int depth = 0;
    qsizetype at = 0;
    const auto skipPast = [&](const char *end) {
        const qsizetype found = bytes.indexOf(end, at);
        at = found < 0 ? bytes.size() : found + qsizetype(std::strlen(end));
    };
    while ((at = bytes.indexOf('<', at)) >= 0) {
        const QByteArrayView rest = QByteArrayView(bytes).sliced(at);
        if (rest.startsWith("<!--")) {
            skipPast("-->");
        } else if (rest.startsWith("<![CDATA[")) {
            skipPast("]]>");
        } else if (rest.startsWith("<?") || rest.startsWith("<!")) {
            skipPast(">");
        } else {
            const qsizetype close = bytes.indexOf('>', at);
            if (close < 0)
                break;
            const QByteArrayView tag = QByteArrayView(bytes).sliced(at + 1, close - at - 1);
            const bool closing = tag.startsWith('/');
            const QByteArrayView name = closing ? tag.sliced(1) : tag;
            const bool container = name.startsWith("array") || name.startsWith("dict");
            if (container && !tag.endsWith('/')) {
                if (closing) {
                    depth = std::max(0, depth - 1);
                } else if (++depth > PropertyList::kMaxDepth) {
                    setError(error, QStringLiteral("nested deeper than %1 levels").arg(PropertyList::kMaxDepth));
                    return false;
                }
            }
            at = close + 1;
        }
    }
    return true;
}

} // namespace

namespace PropertyList {

bool withinLimits(const QByteArray &bytes, QString *error)
{
    if (bytes.startsWith("bplist00"))
        return binaryWithinLimits(bytes, error);
    return xmlWithinLimits(bytes, error);
}

std::optional<QVariant> parse(const QByteArray &bytes, QString *error)
{
    if (bytes.isEmpty() || bytes.size() > std::numeric_limits<int32_t>::max()) {
        setError(error, bytes.isEmpty() ? QStringLiteral("empty") : QStringLiteral("too large"));
        return std::nullopt;
    }
    if (!withinLimits(bytes, error))
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
    if (!root) {
        setError(error, QStringLiteral("malformed"));
        return std::nullopt;
    }
    PlistPtr owner(root);
    return toVariant(root, 0);
}

std::optional<QVariant> parseFile(const QString &path, QString *error)
{
    // Non-blocking, so that a FIFO cannot hold the caller; only a regular
    // file is read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        setError(error, QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    QFile file;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > kMaxFileBytes
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        setError(error, QStringLiteral("not a regular file of at most %1 bytes").arg(kMaxFileBytes));
        ::close(fd);
        return std::nullopt;
    }
    const QByteArray bytes = readAtMost(file, kMaxFileBytes + 1, qint64(status.st_size));
    if (bytes.size() > kMaxFileBytes) {
        setError(error, QStringLiteral("larger than %1 bytes").arg(kMaxFileBytes));
        return std::nullopt;
    }
    return parse(bytes, error);
}

QByteArray toXml(const QVariant &value)
{
    PlistPtr root(fromVariant(value));
    char *out = nullptr;
    uint32_t length = 0;
    plist_to_xml(static_cast<plist_t>(root.get()), &out, &length);
    const QByteArray bytes(out, qsizetype(length));
    std::free(out);
    return bytes;
}

QByteArray toBinary(const QVariant &value)
{
    PlistPtr root(fromVariant(value));
    char *out = nullptr;
    uint32_t length = 0;
    plist_to_bin(static_cast<plist_t>(root.get()), &out, &length);
    const QByteArray bytes(out, qsizetype(length));
    std::free(out);
    return bytes;
}

} // namespace PropertyList
