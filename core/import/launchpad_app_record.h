#pragma once

#include <QString>

#include <optional>

// One application as the system launcher knows it: the title it shows and,
// when its bookmark still resolves, where the bundle lies.
struct LaunchpadAppRecord
{
    QString bundleID;
    QString title;
    std::optional<QString> path;

    friend bool operator==(const LaunchpadAppRecord &, const LaunchpadAppRecord &) = default;
};
