#pragma once

#include "model/app_item.h"

#include <QList>

#include <optional>

// Which selections may be uninstalled: user applications only, never a
// folder, a system application or an entry whose application is unknown.
class UninstallEligibility
{
public:
    UninstallEligibility() = delete;

    static bool canUninstall(bool isFolder, const std::optional<AppItem> &app);
    // False for an empty selection; otherwise every element must be an
    // application that canUninstall() accepts.
    static bool canUninstallAll(const QList<std::optional<AppItem>> &apps);
};
