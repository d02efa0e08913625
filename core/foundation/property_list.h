#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

// Property lists (XML or binary) as Qt values: dictionaries become QVariantMap,
// arrays QVariantList, strings QString, integers qint64, reals double,
// Booleans bool, data QByteArray, dates QDateTime (UTC) and UIDs quint64.
namespace PropertyList {

// Either format, detected from the bytes. Nothing for malformed input.
std::optional<QVariant> parse(const QByteArray &bytes);
// Reads and parses a file; nothing when it cannot be read or parsed.
std::optional<QVariant> parseFile(const QString &path);

// Writers, used to build fixtures and demo bundles. Unsupported value types
// are written as strings.
QByteArray toXml(const QVariant &value);
QByteArray toBinary(const QVariant &value);

} // namespace PropertyList
