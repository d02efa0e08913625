#include "uninstall_report.h"

#include "localization/l10n.h"

#include <algorithm>

namespace {

int movedCount(const QList<TrashOutcome> &results)
{
    return int(std::count_if(results.cbegin(), results.cend(), [](const TrashOutcome &r) { return r.moved; }));
}

} // namespace

UninstallReport::UninstallReport(QList<AppItem> apps, QList<TrashOutcome> appResults, QList<UninstallResidue> residues,
                                 QList<TrashOutcome> residueResults)
    : m_apps(std::move(apps)), m_appResults(std::move(appResults)), m_residues(std::move(residues)),
      m_residueResults(std::move(residueResults))
{
    for (qsizetype i = 0; i < m_apps.size() && i < m_appResults.size(); ++i) {
        if (m_appResults.at(i).moved)
            m_removedAppIDs.insert(m_apps.at(i).stableID());
    }
}

int UninstallReport::appMoved() const
{
    return movedCount(m_appResults);
}

int UninstallReport::residueMoved() const
{
    return movedCount(m_residueResults);
}

QString UninstallReport::title() const
{
    // Not one application went: nothing was uninstalled, whatever else moved.
    if (appTotal() > 0 && appMoved() == 0)
        return L(QStringLiteral("卸载失败"));
    return incomplete() ? L(QStringLiteral("卸载完成（有项目未清理）")) : L(QStringLiteral("卸载完成"));
}

QStringList UninstallReport::lines() const
{
    QStringList lines;
    lines.append(L(QStringLiteral("已将 %d/%d 个应用移到废纸篓。"), appMoved(), appTotal()));
    if (residueTotal() > 0)
        lines.append(L(QStringLiteral("已清理 %d/%d 项残留文件。"), residueMoved(), residueTotal()));
    if (incomplete())
        lines.append(L(QStringLiteral("部分内容可能被占用或无权访问，未能移除（详见 Tessellon 在标准错误输出中的日志）。")));
    lines.append(L(QStringLiteral("已移除的内容都可以在废纸篓中恢复。")));
    return lines;
}

QStringList UninstallReport::failureLogLines() const
{
    QStringList lines;
    for (const TrashOutcome &result : m_appResults) {
        if (!result.moved)
            lines.append(QStringLiteral("[Tessellon] 卸载应用失败: ") + result.path + QStringLiteral(": ") + result.reason);
    }
    for (const TrashOutcome &result : m_residueResults) {
        if (!result.moved)
            lines.append(QStringLiteral("[Tessellon] 清理残留失败: ") + result.path + QStringLiteral(": ") + result.reason);
    }
    return lines;
}
