#include "import_summary.h"

#include "localization/l10n.h"

QString ImportSummary::statusText() const
{
    const QStringList shown = folderNames.mid(0, 3);
    if (shown.isEmpty())
        return L("%d 个应用 · %d 个分组", appCount, folderCount);
    const QString suffix = folderCount > shown.size() ? L(" 等") : QString();
    return L("%d 个应用 · %d 个分组（%@%@）", appCount, folderCount, shown.join(L("、")), suffix);
}
