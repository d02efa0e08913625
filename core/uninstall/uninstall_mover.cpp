#include "uninstall_mover.h"

#include <QDir>

namespace {

TrashOutcome stayed(const QString &path, const QString &reason)
{
    TrashOutcome outcome;
    outcome.path = path;
    outcome.reason = reason;
    return outcome;
}

} // namespace

UninstallMover::UninstallMover(const ResidueSafety &safety, MoveToTrash moveToTrash)
    : m_safety(safety), m_moveToTrash(std::move(moveToTrash))
{
}

QList<TrashOutcome> UninstallMover::outcomesFor(const QStringList &paths, const QList<TrashOutcome> &answers)
{
    QList<TrashOutcome> outcomes;
    for (const QString &path : paths) {
        const auto it = std::find_if(answers.cbegin(), answers.cend(),
                                     [&](const TrashOutcome &answer) { return answer.path == path; });
        outcomes.append(it != answers.cend() ? *it : stayed(path, QStringLiteral("no answer from the Trash")));
    }
    return outcomes;
}

std::optional<QString> UninstallMover::heldBack(const UninstallResidue &residue, const QSet<QString> &removedAppIDs)
{
    if (residue.owners.isEmpty())
        return QStringLiteral("belongs to no application being removed");
    for (const QString &owner : residue.owners) {
        if (!removedAppIDs.contains(owner))
            return QStringLiteral("its application was not moved: ") + owner;
    }
    return std::nullopt;
}

UninstallReport UninstallMover::run(const QList<AppItem> &apps, const QList<UninstallResidue> &residues) const
{
    QStringList appPaths;
    for (const AppItem &app : apps)
        appPaths.append(app.path);
    QStringList movable;
    for (const QString &path : appPaths) {
        if (QDir::isAbsolutePath(path) && QDir::cleanPath(path) == path && path != QLatin1String("/"))
            movable.append(path);
    }
    const QList<TrashOutcome> answers = movable.isEmpty() ? QList<TrashOutcome>() : m_moveToTrash(movable, QString());
    QList<TrashOutcome> appResults = outcomesFor(appPaths, answers);
    for (TrashOutcome &result : appResults) {
        if (!movable.contains(result.path))
            result = stayed(result.path, QStringLiteral("not a standardized absolute path"));
    }

    QSet<QString> removed;
    for (qsizetype i = 0; i < apps.size(); ++i) {
        if (appResults.at(i).moved)
            removed.insert(apps.at(i).stableID());
    }

    QList<TrashOutcome> residueResults;
    for (const UninstallResidue &residue : residues) {
        if (const std::optional<QString> reason = heldBack(residue, removed)) {
            residueResults.append(stayed(residue.path, *reason));
            continue;
        }
        // The disk may have changed since the scan: a link swapped in, a
        // folder moved. Checked per path, right before that path moves.
        if (const std::optional<QString> reason = m_safety.refusal(residue.path)) {
            residueResults.append(stayed(residue.path, *reason));
            continue;
        }
        residueResults.append(outcomesFor({residue.path}, m_moveToTrash({residue.path}, m_safety.libraryPath())).constFirst());
    }
    return UninstallReport(apps, appResults, residues, residueResults);
}
