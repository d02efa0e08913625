#pragma once

#include "model/app_item.h"
#include "trash_outcome.h"
#include "uninstall_residue.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The outcome of one uninstall, path by path: what the user is told and what
// leaves the grid come from these results, never from counts alone.
class UninstallReport
{
public:
    // One outcome per application and per accepted leftover, in input order.
    // A leftover held back (its application stayed, or its path changed since
    // the scan) has an outcome that is not moved, with the reason.
    UninstallReport(QList<AppItem> apps, QList<TrashOutcome> appResults, QList<UninstallResidue> residues,
                    QList<TrashOutcome> residueResults);

    const QList<AppItem> &apps() const { return m_apps; }
    const QList<TrashOutcome> &appResults() const { return m_appResults; }
    const QList<UninstallResidue> &residues() const { return m_residues; }
    const QList<TrashOutcome> &residueResults() const { return m_residueResults; }

    // The stableID of every application whose own bundle was moved.
    const QSet<QString> &removedAppIDs() const { return m_removedAppIDs; }

    int appTotal() const { return int(m_apps.size()); }
    int appMoved() const;
    int residueTotal() const { return int(m_residues.size()); }
    int residueMoved() const;
    bool incomplete() const { return appMoved() < appTotal() || residueMoved() < residueTotal(); }

    // The alert's title and lines in the current interface language. The
    // title says the uninstall failed when no application moved, and that
    // some items remain when anything else stayed.
    QString title() const;
    QStringList lines() const;
    QString informativeText() const { return lines().join(QLatin1Char('\n')); }
    // One line per path that stayed, with its reason.
    QStringList failureLogLines() const;

private:
    QList<AppItem> m_apps;
    QList<TrashOutcome> m_appResults;
    QList<UninstallResidue> m_residues;
    QList<TrashOutcome> m_residueResults;
    QSet<QString> m_removedAppIDs;
};
