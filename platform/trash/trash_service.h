#pragma once

#include "uninstall/trash_outcome.h"

#include <QList>
#include <QStringList>

// Moves files and folders to the desktop's Trash, from where the user can put
// them back. A path that cannot be moved there stays where it is: it is
// never deleted instead, nor copied.
class TrashService
{
public:
    virtual ~TrashService() = default;

    // One outcome per given path, in order, each telling where the item went
    // or why it stayed.
    virtual QList<TrashOutcome> moveToTrash(const QStringList &paths) = 0;
    // The same for paths that must lie below the folder `root`: every folder
    // from `root` down to each item is opened without following links, and
    // the item moves from the folder so opened, so a folder swapped for a link
    // on the way moves nothing from where the link leads.
    virtual QList<TrashOutcome> moveToTrashWithin(const QString &root, const QStringList &paths) = 0;
};
