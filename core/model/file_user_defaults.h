#pragma once

#include "memory_user_defaults.h"
#include "stored_file.h"

#include <optional>

// User defaults that persist across runs in one JSON file, by default
// $XDG_CONFIG_HOME/Tessellon/defaults.json. The file is read once, when the
// store is made; every change rewrites it atomically (or once at the end of a
// Batch). Two stores on the same file do not see each other's changes; the
// last write wins.
//
// The values are held as the in-memory store holds them; this class adds the
// file. A file that exists but cannot be read as a JSON object is logged, moved
// aside under a ".corrupt-<time>" name and replaced by an empty store; when it
// cannot be moved, changes stay in memory rather than overwrite it. A file that
// cannot be read at all (no permission, not a regular file) is kept in place
// and never overwritten in this run: changes stay in memory. A save whose
// write, sync or close fails leaves the file as it was.
//
// Foreign preference domains are read from "<domain>.json" beside the file, on
// every request; a domain without such a file (or with an unreadable one) is
// absent. setPersistentDomain() moves an unreadable domain file aside first. JSON has no integral
// double: 2.0 reads back as the integer 2, which every typed read accepts. A
// NaN or infinite double has no JSON form: it is kept for this store's life but
// is not written, so it is absent after the next start.
class FileUserDefaults : public MemoryUserDefaults
{
public:
    explicit FileUserDefaults(std::optional<QString> filePath = std::nullopt);
    ~FileUserDefaults() override;

    static QString defaultFilePath();
    QString filePath() const { return m_filePath; }

    // An invalid or null value removes the key.
    bool setObject(const QString &key, const QVariant &value) override;
    void removeObject(const QString &key) override;

    std::optional<QVariant> value(const QString &key, const QString &domain) const override;
    QVariantMap persistentDomain(const QString &domain) const override;
    bool setPersistentDomain(const QString &domain, const QVariantMap &values) override;

    bool synchronize() override;

    // How saves reach the disk; tests replace it to fail a write.
    void setWriter(StoredFile::Writer writer) { m_writer = std::move(writer); }

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
    StoredFile::Writer m_writer = StoredFile::Writer::system();
    int m_batchDepth = 0;
    bool m_dirty = false;
    // The file on disk could not be read nor moved aside: never replace it.
    bool m_writeBlocked = false;
};
