#pragma once

#include <QStringList>

// Where the launcher view sends an uninstall request: the confirmation lives
// outside the view, which only knows which applications were asked for.
class UninstallRequests
{
public:
    virtual ~UninstallRequests() = default;
    // Opens the confirmation for `appIDs` (stable identifiers); in preview
    // mode nothing is moved and no setting is written.
    virtual void uninstall(const QStringList &appIDs, bool previewOnly) = 0;
};
