#include "uninstall_eligibility.h"

#include <algorithm>

bool UninstallEligibility::canUninstall(bool isFolder, const std::optional<AppItem> &app)
{
    if (isFolder)
        return false;
    return app.has_value() && !app->isSystemApp;
}

bool UninstallEligibility::canUninstallAll(const QList<std::optional<AppItem>> &apps)
{
    if (apps.isEmpty())
        return false;
    return std::all_of(apps.cbegin(), apps.cend(),
                       [](const std::optional<AppItem> &app) { return canUninstall(false, app); });
}
