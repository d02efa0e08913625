#pragma once

#include "trash_service.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// The freedesktop.org Trash: each item is renamed into a "files" folder and
// described by a "<name>.trashinfo" record in the "info" folder beside it
// (original path, deletion time). Items on the home trash's device go to the
// home trash; items on another device go to that volume's own trash at its
// top folder (".Trash/$uid" when an administrator prepared ".Trash", else
// ".Trash-$uid"). A move is always a rename on one device, of the entry
// relative to its folder opened beforehand, into the trash folder opened
// the same way. An item with a file system mounted at or below it stays.
class FreedesktopTrash : public TrashService
{
public:
    using Clock = std::function<QDateTime()>;
    using MountPoints = std::function<QStringList()>;

    // `homeTrash`: the home trash folder, created when missing. `now`: the
    // local time written as the deletion date (the system clock when empty).
    // `mountPoints`: read before each move (this process's mount table when
    // empty).
    explicit FreedesktopTrash(QString homeTrash = defaultHomeTrash(), Clock now = {}, MountPoints mountPoints = {});

    // $XDG_DATA_HOME/Trash, or ~/.local/share/Trash when XDG_DATA_HOME is
    // unset, empty or relative.
    static QString defaultHomeTrash();

    const QString &homeTrash() const { return m_homeTrash; }

    QList<TrashOutcome> moveToTrash(const QStringList &paths) override;
    QList<TrashOutcome> moveToTrashWithin(const QString &root, const QStringList &paths) override;

private:
    // `root`: empty, or the folder the item must lie below.
    TrashOutcome moveOne(const QString &path, const QString &root) const;

    QString m_homeTrash;
    Clock m_now;
    MountPoints m_mountPoints;
};
