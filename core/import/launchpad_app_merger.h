#pragma once

#include "launchpad_app_catalog.h"
#include "model/app_item.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Joins the system launcher's catalog with the scan of the application
// folders: launcher titles may rename scanned applications, and applications
// the launcher lists but the scan missed are added while their bundle exists
// outside the Trash.
namespace LaunchpadAppMerger {

using FallbackPath = std::function<std::optional<QString>(const QString &bundleID)>;
using FileExists = std::function<bool(const QString &path)>;

FileExists defaultFileExists();

QList<AppItem> merge(const QList<AppItem> &scanned, const LaunchpadAppCatalog &catalog,
                     const QStringList &launchpadOrder, bool useLaunchpadNames,
                     const QSet<QString> &excluding = {},
                     const FallbackPath &fallbackPath = [](const QString &) { return std::optional<QString>(); },
                     const FileExists &fileExists = defaultFileExists());

// A bundle path ending ".app" (exact case) that exists and lies in no Trash.
std::optional<QString> validAppPath(const std::optional<QString> &path, const FileExists &fileExists);
// Some path component, lower-cased, is ".trash" or ".trashes".
bool isInTrash(const QString &path);

} // namespace LaunchpadAppMerger
