// The launcher view's uninstall entry points: the delete badge, the context
// menu and the automation previews all end in the confirmation that the
// owner set (UninstallRequests).
#include "launcher/launcher_view.h"
#include "modal/uninstall_requests.h"

#include "session/launcher_session.h"
#include "tiles/app_tile.h"

#include "foundation/log.h"
#include "policy/uninstall_eligibility.h"

#include <QPointer>
#include <QTimer>

void LauncherView::uninstall(const QStringList &appIDs, bool previewOnly)
{
    if (m_uninstallRequests)
        m_uninstallRequests->uninstall(appIDs, previewOnly);
}

void LauncherView::handleBadgeTap(int index, bool previewOnly)
{
    if (index < 0 || index >= m_grid.entries.size())
        return;
    const LayoutEntry &entry = m_grid.entries.at(index);
    const std::optional<QString> appID = entry.appID;
    if (!appID)
        return;
    if (!UninstallEligibility::canUninstall(entry.isFolder(), m_grid.session.app(*appID)))
        return;
    // After the release has been handled: the confirmation runs modally.
    QPointer<LauncherView> self(this);
    QTimer::singleShot(0, this, [self, id = *appID, previewOnly] {
        if (self)
            self->uninstall({id}, previewOnly);
    });
}

void LauncherView::previewUninstallFromFirstBadge()
{
    if (!isEditing()) {
        Log::write("[edit-preview] no deletable badge");
        return;
    }
    int index = -1;
    for (int i = 0; i < m_grid.tiles.size(); ++i) {
        if (m_grid.tiles.at(i)->showsDeleteBadge()) {
            index = i;
            break;
        }
    }
    if (index < 0 || index >= m_grid.tileFrames.size()) {
        Log::write("[edit-preview] no deletable badge");
        return;
    }
    const QRectF frame = m_grid.tileFrames.at(index);
    const QRectF badge = m_grid.tiles.at(index)->deleteBadgeRect();
    QPointF press(frame.left() + badge.center().x(), frame.top() + badge.center().y());
    // The hit test adds the slide back.
    if (!scrollMode())
        press.rx() -= m_pages.turner().gridOffset();
    const QPointF inView = m_grid.tilesHost->mapTo(this, press);
    const std::optional<int> hit = m_editMode.badgeTileIndex(inView);
    if (hit == index) {
        Log::write("[edit-preview] badge hit idx=%d app=%@", index, m_grid.tiles.at(index)->title());
        handleBadgeTap(index, true);
        return;
    }
    Log::write("[edit-preview] badge hit-test failed idx=%d", index);
}

void LauncherView::previewUninstall(const QString &matching)
{
    const QString needle = matching.toLower();
    const QList<AppItem> &apps = m_grid.session.apps();
    const AppItem *found = nullptr;
    for (const AppItem &app : apps) {
        if (app.bundleID.toLower() == needle || app.name.toLower() == needle) {
            found = &app;
            break;
        }
    }
    if (found == nullptr) {
        for (const AppItem &app : apps) {
            if (app.bundleID.toLower().startsWith(needle) || app.name.toLower().contains(needle)) {
                found = &app;
                break;
            }
        }
    }
    if (found == nullptr || found->isSystemApp) {
        Log::write("[uninstall-preview] 找不到可卸载的应用: %@", matching);
        return;
    }
    Log::write("[uninstall-preview] 目标=%@ bundleID=%@", found->name, found->bundleID);
    uninstall({found->stableID()}, true);
}
