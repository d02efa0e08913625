#pragma once

#include "model/app_item.h"
#include "residue_safety.h"
#include "trash_outcome.h"
#include "uninstall_report.h"
#include "uninstall_residue.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Carries out a confirmed uninstall: the applications go to the Trash first;
// then each accepted leftover whose applications all went, checked again
// just before its own move. Nothing is ever deleted: every move is the
// Trash's, given as a function (the platform's Trash service).
class UninstallMover
{
public:
    // Answers with one outcome per given path (matched by path). `within` is
    // empty for the applications; for leftovers it is the Library folder,
    // below which every folder on the way must be opened without following
    // links (TrashService::moveToTrashWithin).
    using MoveToTrash = std::function<QList<TrashOutcome>(const QStringList &paths, const QString &within)>;

    // `safety` must outlive the mover; build it from the same home, installed
    // applications and protected folders as the scan.
    UninstallMover(const ResidueSafety &safety, MoveToTrash moveToTrash);

    // Synchronous; may run off the main thread when the Trash function may.
    UninstallReport run(const QList<AppItem> &apps, const QList<UninstallResidue> &residues) const;

    // The outcome for each of `paths`, in order, taken from `answers` by path;
    // a path the answers do not mention did not move.
    static QList<TrashOutcome> outcomesFor(const QStringList &paths, const QList<TrashOutcome> &answers);
    // Why a leftover stays although accepted, when some of its applications
    // were not moved (they are still installed and may need it).
    static std::optional<QString> heldBack(const UninstallResidue &residue, const QSet<QString> &removedAppIDs);

private:
    const ResidueSafety &m_safety;
    MoveToTrash m_moveToTrash;
};
