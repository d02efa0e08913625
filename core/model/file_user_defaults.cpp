#include "file_user_defaults.h"

#include "foundation/log.h"
#include "json_writer.h"
#include "stored_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStandardPaths>

#include <cmath>

namespace {

// JSON null stands for nothing; a non-finite double cannot be written. Both are
// left out of the file.
bool isWritable(const QVariant &value)
{
    if (value.typeId() == QMetaType::Double)
        return std::isfinite(value.toDouble());
    return true;
}

QByteArray encodeValues(const QVariantMap &values)
{
    JsonWriter writer(JsonWriter::Style::pretty, JsonWriter::Slashes::plain);
    writer.beginObject();
    for (const QString &name : JsonWriter::sortedKeys(values.keys())) {
        const QVariant value = values.value(name);
        if (!isWritable(value))
            continue;
        writer.key(name);
        writer.writeVariant(value);
    }
    writer.endObject();
    QByteArray bytes = writer.take();
    bytes.append('\n');
    return bytes;
}

QVariantMap decodedValues(const QJsonObject &object)
{
    QVariantMap values;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (it.value().isNull())
            continue;
        if (std::optional<QVariant> stored = UserDefaults::normalized(it.value().toVariant()))
            values.insert(it.key(), *stored);
    }
    return values;
}

} // namespace

FileUserDefaults::FileUserDefaults(std::optional<QString> filePath)
    : m_filePath(filePath && !filePath->isEmpty() ? QFileInfo(*filePath).absoluteFilePath() : defaultFilePath())
{
    bool ok = true;
    replaceValues(readObjectFile(m_filePath, &ok, true));
    m_writeBlocked = !ok;
}

FileUserDefaults::~FileUserDefaults()
{
    if (m_dirty)
        synchronize();
}

QString FileUserDefaults::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/Tessellon/defaults.json");
}

QVariantMap FileUserDefaults::readObjectFile(const QString &path, bool *ok, bool setAsideIfBad)
{
    *ok = true;
    const StoredFile::Contents contents = StoredFile::read(path);
    if (contents.status == StoredFile::Status::missing)
        return {};
    QString reason = contents.error;
    if (contents.status == StoredFile::Status::unreadable) {
        // No permission, or no regular file: not corrupt, so never moved, and
        // never replaced by this store.
        *ok = false;
        Log::write("[settings] unreadable defaults file=%@ reason=%@ kept in place; changes are kept in memory", path,
                   reason);
        return {};
    }
    if (contents.status == StoredFile::Status::ok) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(contents.bytes, &error);
        if (error.error == QJsonParseError::NoError && document.isObject())
            return decodedValues(document.object());
        reason = error.error != QJsonParseError::NoError ? error.errorString() : QStringLiteral("not an object");
    }
    if (!setAsideIfBad) {
        Log::write("[settings] unreadable defaults file=%@ reason=%@", path, reason);
        return {};
    }
    const QString backup = StoredFile::setAside(path);
    if (backup.isEmpty()) {
        *ok = false;
        Log::write("[settings] unreadable defaults file=%@ reason=%@ backup=none; changes are kept in memory",
                   path, reason);
    } else {
        Log::write("[settings] unreadable defaults file=%@ reason=%@ backup=%@", path, reason, backup);
    }
    return {};
}

bool FileUserDefaults::setObject(const QString &key, const QVariant &value)
{
    const std::optional<QVariant> before = object(key);
    if (!MemoryUserDefaults::setObject(key, value))
        return false;
    // A value set again as it stands writes nothing: each write is a new
    // file and two flushes to disk, and some values are set on every start.
    if (object(key) != before)
        changed();
    return true;
}

void FileUserDefaults::removeObject(const QString &key)
{
    if (!contains(key))
        return;
    MemoryUserDefaults::removeObject(key);
    changed();
}

void FileUserDefaults::changed()
{
    m_dirty = true;
    if (m_batchDepth == 0)
        synchronize();
}

void FileUserDefaults::endBatch()
{
    if (m_batchDepth > 0 && --m_batchDepth == 0 && m_dirty)
        synchronize();
}

bool FileUserDefaults::synchronize()
{
    if (!m_dirty)
        return true;
    if (m_writeBlocked)
        return false;
    QString error;
    if (!StoredFile::writeAtomically(m_filePath, encodeValues(dictionaryRepresentation()), &error, m_writer)) {
        Log::write("[settings] defaults save failed file=%@ error=%@", m_filePath, error);
        return false;
    }
    m_dirty = false;
    return true;
}

QString FileUserDefaults::domainFilePath(const QString &domain) const
{
    if (domain.isEmpty() || domain.startsWith(QLatin1Char('.')) || domain.contains(QLatin1Char('/'))
        || domain.contains(QLatin1Char('\\')) || domain.contains(QChar(0)))
        return QString();
    const QString path = QFileInfo(m_filePath).absolutePath() + QLatin1Char('/') + domain + QStringLiteral(".json");
    // The store's own file is not a foreign domain.
    if (QFileInfo(path).absoluteFilePath() == m_filePath)
        return QString();
    return path;
}

QVariantMap FileUserDefaults::persistentDomain(const QString &domain) const
{
    const QString path = domainFilePath(domain);
    if (path.isEmpty())
        return {};
    // Another application's file: read, never moved.
    bool ok = true;
    return readObjectFile(path, &ok, false);
}

std::optional<QVariant> FileUserDefaults::value(const QString &key, const QString &domain) const
{
    const QVariantMap values = persistentDomain(domain);
    const auto it = values.constFind(key);
    if (it == values.cend())
        return std::nullopt;
    return *it;
}

bool FileUserDefaults::setPersistentDomain(const QString &domain, const QVariantMap &values)
{
    const QString path = domainFilePath(domain);
    if (path.isEmpty()) {
        Log::write("[settings] invalid domain name=%@", domain);
        return false;
    }
    const std::optional<QVariant> stored = normalized(QVariant(values));
    if (!stored) {
        Log::write("[settings] unsupported value domain=%@", domain);
        return false;
    }
    bool ok = true;
    readObjectFile(path, &ok, true); // sets an unreadable file aside before it is replaced
    if (!ok)
        return false;
    if (values.isEmpty())
        return !QFileInfo::exists(path) || QFile::remove(path);
    QString error;
    if (!StoredFile::writeAtomically(path, encodeValues(stored->toMap()), &error, m_writer)) {
        Log::write("[settings] defaults save failed file=%@ error=%@", path, error);
        return false;
    }
    return true;
}
