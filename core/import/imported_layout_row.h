#pragma once

#include <QString>

// One application position read from another launcher's store, before its
// identifier text is resolved to an installed application.
struct ImportedLayoutRow
{
    QString bundleID; // bundle identifier, bundle path or application name, as stored
    double order = 0; // smaller first within a page
    QString page;     // page key; "" when the store gives none
    QString group;    // folder name; "" when none

    friend bool operator==(const ImportedLayoutRow &, const ImportedLayoutRow &) = default;
};
