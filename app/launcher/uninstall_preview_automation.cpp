#include "launcher/uninstall_preview_automation.h"

#include "launcher/edit_mode_controller.h"
#include "launcher/launcher_grid.h"
#include "launcher/page_canvas.h"
#include "modal/uninstall_requests.h"
#include "paging/page_turner.h"
#include "session/launcher_session.h"
#include "tiles/app_tile.h"

#include "foundation/log.h"
#include "policy/uninstall_eligibility.h"

#include <QTimer>
#include <QWidget>

void UninstallPreviewAutomation::uninstall(const QStringList &appIDs, bool previewOnly)
{
    if (m_requests)
        m_requests->uninstall(appIDs, previewOnly);
}

void UninstallPreviewAutomation::badgeTapped(int index, bool previewOnly)
{
    if (index < 0 || index >= m_grid.entries.size())
        return;
    const LayoutEntry &entry = m_grid.entries.at(index);
    const std::optional<QString> appID = entry.appID;
    if (!appID)
        return;
    if (!UninstallEligibility::canUninstall(entry.isFolder(), m_grid.session.app(*appID)))
        return;
    // After the release has been handled: the confirmation runs modally. The
    // view owns this part, so the view as context keeps `this` alive.
    QTimer::singleShot(0, &m_view, [this, id = *appID, previewOnly] { uninstall({id}, previewOnly); });
}

void UninstallPreviewAutomation::previewFirstBadge()
{
    if (!m_editMode.isEditing()) {
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
    if (!m_grid.scrollMode())
        press.rx() -= m_turner.gridOffset();
    const QPointF inView = m_grid.tilesHost->mapTo(&m_view, press);
    const std::optional<int> hit = m_editMode.badgeTileIndex(inView);
    if (hit == index) {
        Log::write("[edit-preview] badge hit idx=%d app=%@", index, m_grid.tiles.at(index)->title());
        badgeTapped(index, true);
        return;
    }
    Log::write("[edit-preview] badge hit-test failed idx=%d", index);
}

void UninstallPreviewAutomation::previewMatching(const QString &matching)
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
