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
};
