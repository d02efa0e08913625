#pragma once

#include <QString>
#include <QStringList>

// What applying an imported layout did, and its one-line result for the user.
struct ImportSummary
{
    int pageCount = 0;
    int folderCount = 0;
    QStringList folderNames;
    int appCount = 0;

    // Computed in the current interface language on every call.
    QString statusText() const;

    friend bool operator==(const ImportSummary &, const ImportSummary &) = default;
};
