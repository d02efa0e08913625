#include "layout_backup.h"

#include "foundation/log.h"
#include "stored_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString LayoutBackup::pathFor(const QString &layoutPath)
{
    const QFileInfo info(layoutPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".previous.") + info.suffix());
}

bool LayoutBackup::keep(const QString &layoutPath)
{
    const StoredFile::Contents contents = StoredFile::read(layoutPath);
    if (contents.status == StoredFile::Status::missing)
        return true;
    if (contents.status != StoredFile::Status::ok) {
        Log::write("[store] layout backup skipped path=%@ error=%@", layoutPath, contents.error);
        return false;
    }
    // A link at the backup's place is removed, never written through.
    QString error;
    const QString backup = pathFor(layoutPath);
    if (QFileInfo(backup).isSymLink() && !QFile::remove(backup)) {
        Log::write("[store] layout backup failed path=%@ error=%@", backup, QStringLiteral("cannot remove link"));
        return false;
    }
    if (!StoredFile::writeAtomically(backup, contents.bytes, &error)) {
        Log::write("[store] layout backup failed path=%@ error=%@", backup, error);
        return false;
    }
    return true;
}
