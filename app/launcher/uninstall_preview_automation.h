#pragma once

#include <QString>
#include <QStringList>

class EditModeController;
class LauncherGrid;
class PageTurner;
class QWidget;
class UninstallRequests;

// The launcher's uninstall entry points: the delete badge, the context menu
// and the automation previews all end in the confirmation that the owner set
// (UninstallRequests). It reads the grid and the edit mode's badge hit test.
class UninstallPreviewAutomation
{
public:
    // The view maps tile points and is the context of the deferred badge tap.
    UninstallPreviewAutomation(LauncherGrid &grid, EditModeController &editMode, PageTurner &turner, QWidget &view)
        : m_grid(grid), m_editMode(editMode), m_turner(turner), m_view(view)
    {
    }

    // Where uninstall requests go; set by the owner, not owned.
    void setRequests(UninstallRequests *requests) { m_requests = requests; }
    UninstallRequests *requests() const { return m_requests; }

    void uninstall(const QStringList &appIDs, bool previewOnly);
    // The delete badge of the tile at `index`; the confirmation runs after
    // the release has been handled.
    void badgeTapped(int index, bool previewOnly);
    // Automation: the application a query names, or the first delete badge,
    // in preview mode.
    void previewMatching(const QString &matching);
    void previewFirstBadge();

private:
    LauncherGrid &m_grid;
    EditModeController &m_editMode;
    PageTurner &m_turner;
    QWidget &m_view;
    UninstallRequests *m_requests = nullptr;
};
