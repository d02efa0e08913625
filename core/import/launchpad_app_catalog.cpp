#include "launchpad_app_catalog.h"

std::optional<LaunchpadAppRecord> LaunchpadAppCatalog::recordFor(const QString &bundleID) const
{
    const auto it = records.constFind(bundleID);
    if (it == records.constEnd())
        return std::nullopt;
    return *it;
}
