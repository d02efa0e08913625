#pragma once

#include "user_defaults.h"

#include <optional>

// User defaults that persist across runs in one JSON file, by default
// $XDG_CONFIG_HOME/Tessellon/defaults.json. The file is read once, when the
// store is made; every change rewrites it atomically (or once at the end of a
// Batch). Two stores on the same file do not see each other's changes; the
// last write wins.
//
// A file that exists but cannot be read as a JSON object is logged, moved
// aside under a ".corrupt-<time>" name and replaced by an empty store; when it
// cannot be moved, changes stay in memory rather than overwrite it.
//
// Foreign preference domains are read from "<domain>.json" beside the file, on
// every request; a domain without such a file (or with an unreadable one) is
// absent. setPersistentDomain() moves an unreadable domain file aside first. JSON has no integral
// double: 2.0 reads back as the integer 2, which every typed read accepts. A
// NaN or infinite double has no JSON form: it is kept for this store's life but
// is not written, so it is absent after the next start.
class FileUserDefaults : public UserDefaults
{
public:
    explicit FileUserDefaults(std::optional<QString> filePath = std::nullopt);
    ~FileUserDefaults() override;

    static QString defaultFilePath();
    QString filePath() const { return m_filePath; }

    std::optional<QVariant> object(const QString &key) const override;
    // An invalid or null value removes the key.
    bool setObject(const QString &key, const QVariant &value) override;
    void removeObject(const QString &key) override;
    QVariantMap dictionaryRepresentation() const override { return m_values; }

    std::optional<QVariant> value(const QString &key, const QString &domain) const override;
    QVariantMap persistentDomain(const QString &domain) const override;
    bool setPersistentDomain(const QString &domain, const QVariantMap &values) override;

    bool synchronize() override;

protected:
    void beginBatch() override { ++m_batchDepth; }
    void endBatch() override;

private:
    void changed();
    // The file of a foreign domain; empty for a name that is not a plain file name.
    QString domainFilePath(const QString &domain) const;
    // Reads a JSON object file. A file that exists but is not one is logged and,
    // with `setAsideIfBad`, moved aside; `ok` is false when it could not be
    // moved, so it must not be replaced.
    static QVariantMap readObjectFile(const QString &path, bool *ok, bool setAsideIfBad);

    QString m_filePath;
    QVariantMap m_values;
    int m_batchDepth = 0;
    bool m_dirty = false;
    // The file on disk could not be read nor moved aside: never replace it.
    bool m_writeBlocked = false;
};
