#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

// Property lists (XML or binary) as Qt values: dictionaries become QVariantMap,
// arrays QVariantList, strings QString, integers qint64, reals double,
// Booleans bool, data QByteArray, dates QDateTime (UTC) and UIDs quint64.
namespace PropertyList {

// Containers nested deeper than this are refused: the parser recurses once
// per level, so a hostile list would otherwise exhaust the stack.
constexpr int kMaxDepth = 256;
// A binary list may share one container between many parents; the parser
// copies it each time. More references than this in the unfolded tree are
// refused, which bounds the work per list.
constexpr qint64 kMaxReferences = qint64(4) * 1024 * 1024;
// Files larger than this are not read.
constexpr qint64 kMaxFileBytes = qint64(64) * 1024 * 1024;

// Either format, detected from the bytes. Nothing for malformed input, and for
// a list nested deeper than kMaxDepth or unfolding beyond kMaxReferences,
// which are refused before the parser sees them. `error` says why.
std::optional<QVariant> parse(const QByteArray &bytes, QString *error = nullptr);
// Reads and parses a regular file of at most kMaxFileBytes (a FIFO or device
// is never read); nothing when it cannot be read or parsed.
std::optional<QVariant> parseFile(const QString &path, QString *error = nullptr);

// Whether a list is within kMaxDepth and kMaxReferences, checked without
// recursion: a binary list by walking its object table, an XML one by its
// container tags. Sets `error` when it is not.
bool withinLimits(const QByteArray &bytes, QString *error = nullptr);

// Writers, used to build fixtures and demo bundles. Unsupported value types
// are written as strings.
QByteArray toXml(const QVariant &value);
QByteArray toBinary(const QVariant &value);

} // namespace PropertyList
