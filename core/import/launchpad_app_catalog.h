#pragma once

#include "launchpad_app_record.h"

#include <QHash>
#include <QString>

#include <optional>

// The system launcher's applications, keyed exactly by bundle identifier.
struct LaunchpadAppCatalog
{
    QHash<QString, LaunchpadAppRecord> records;

    std::optional<LaunchpadAppRecord> recordFor(const QString &bundleID) const;
    bool isEmpty() const { return records.isEmpty(); }

    friend bool operator==(const LaunchpadAppCatalog &, const LaunchpadAppCatalog &) = default;
};
