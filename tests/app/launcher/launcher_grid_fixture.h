#pragma once

#include "launcher/launcher_grid.h"
#include "launcher/launcher_layout_plan.h"
#include "launcher/page_canvas.h"

#include "app/session/launcher_session_test_support.h"

#include "session/launch_options.h"
#include "tiles/app_tile.h"
#include "tiles/icon_provider.h"

#include <QWidget>

#include <memory>

// One part of the launcher view driven without the view: a real session, a
// plain widget standing in for the view with its page canvas, and a
// LauncherGrid showing the first page as tiles. Four columns and three rows;
// the applications are App00, App01, ….
class LauncherGridTest : public session_test::SessionTest
{
protected:
    void makeGrid(int apps, const QStringList &extra = {})
    {
        for (int i = 0; i < apps; ++i)
            makeApp(QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0')));
        const QStringList options = QStringList{"--columns", "4", "--rows", "3"} + extra;
        session = makeSession(options);
        session->start();
        launch = LaunchOptions::parse(QStringList{"tessellon", "--state-dir", stateDir()} + options);
        view = std::make_unique<QWidget>();
        view->resize(1200, 800);
        grid = std::make_unique<LauncherGrid>(*view, *session, icons, launch);
        grid->timeSource = [this] { return now; };
        const LauncherLayoutPlan::Chrome chrome = LauncherLayoutPlan::chrome(QSizeF(1200, 800), session->settings().sideInset);
        grid->geometry = GridGeometry(4, 3, chrome.grid, 1);
        grid->tilesHost = new PageCanvas(view.get());
        grid->tilesHost->setGeometry(view->rect());
        grid->selectShownEntries(0);
        for (int i = 0; i < grid->entries.size(); ++i) {
            const QRectF frame = grid->tileFrame(i);
            auto *tile = new AppTile(frame, grid->entries.at(i), grid->entries.at(i).id, grid->tilesHost);
            TileState state = tile->state();
            state.iconSide = grid->geometry.iconSide();
            tile->setState(state);
            grid->tiles.append(tile);
            grid->tileFrames.append(frame);
        }
    }

    // The middle of tile `index`'s icon, in the view's coordinates.
    QPointF iconCentre(int index) const
    {
        const QRectF frame = grid->tileFrames.at(index);
        return QPointF(frame.center().x(), frame.top() + grid->geometry.iconSide() / 2);
    }

    double now = 100;
    IconProvider icons;
    std::unique_ptr<LauncherSession> session;
    LaunchOptions launch;
    std::unique_ptr<QWidget> view;
    std::unique_ptr<LauncherGrid> grid;
};
