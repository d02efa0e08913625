// The launcher view's subview tree, its placement for the current size, the
// tiles built from the session's model, and the geometry every tile passes
// through.

#include "launcher_view.h"

#include "launcher/centered_scale_effect.h"
#include "launcher/launcher_layout_plan.h"
#include "launcher/presentation_curve.h"
#include "session/launcher_session.h"
#include "tiles/app_tile.h"
#include "tiles/icon_provider.h"
#include "tiles/page_dots_view.h"
#include "tiles/wallpaper_backdrop.h"


#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>

#include <algorithm>
#include <cmath>

namespace {

QColor white(double alpha)
{
    return QColor(255, 255, 255, int(std::lround(std::clamp(alpha, 0.0, 1.0) * 255)));
}

QColor black(double alpha)
{
    return QColor(0, 0, 0, int(std::lround(std::clamp(alpha, 0.0, 1.0) * 255)));
}

// Styling of the glass layer over the wallpaper: a faint frosted tint.
constexpr double glassAlpha = 0.22;
constexpr double glassTint = 0.18;

} // namespace

void LauncherView::buildSubviews()
{
    const QPointer<LauncherView> weak(this);

    m_backdrop = new WallpaperBackdrop(this);
    m_backdrop->onReady = [weak] {
        if (weak)
            weak->folderOverlayBackdropChanged();
    };

    m_searchPlate = new SearchPlate(this);
    connect(m_searchPlate->field(), &QLineEdit::textEdited, this, &LauncherView::searchTextChanged);
    m_searchPlate->field()->installEventFilter(this);

    m_scrollContainer = GridTiles::makeScrollContainer(this);

    m_grid.tilesHost = new PageCanvas(this);
    m_grid.backdrop = m_backdrop;

    m_pageDots = new PageDotsView(this);
    m_pageDots->onClick = [weak](int index) {
        if (weak)
            weak->goToPage(index);
    };

    m_chrome.emplace(this, m_grid.session, [this] { openSettings(); });
    applyEditModeHint();
    m_insertionIndicator = TileDragController::makeDropMarker(this);

    // Above the drop marker, as the chrome has always been stacked.
    m_chrome->settingsButton()->raise();
    applySettingsAppearance();
}

void LauncherView::applySettingsAppearance()
{
    // The frosted glass, then the dim.
    m_backdrop->setTints({white(glassAlpha * glassTint), black(m_grid.session.settings().dim)});
    m_chrome->settingsButton()->show();
    applyEditModeHint();
}


void LauncherView::relayout()
{
    const Settings &settings = m_grid.session.settings();
    const QSizeF size = QSizeF(this->size());
    const LauncherLayoutPlan::Chrome chrome = LauncherLayoutPlan::chrome(size, settings.sideInset);

    m_backdrop->setGeometry(rect());

    m_searchPlate->setGeometry(chrome.searchPlate.toRect());
    layoutSearchContents();
    m_pageDots->setGeometry(chrome.pageDots.toRect());
    m_chrome->layout(chrome);
    m_scrollContainer->setGeometry(chrome.grid.toRect());

    m_grid.geometry = GridGeometry(settings.columns, settings.rows, chrome.grid, settings.iconScale);

    if (isFolderOpen())
        refreshFolderOverlayGeometry();
    rebuild();

    // After the tiles: building them starts the icon pool's threads, and
    // starting a thread waits while another thread is loading a library (both
    // take the dynamic loader's lock), as the backdrop's look-up does the
    // first time, when it loads GIO. Started first, it would hold the tiles up.
    if (LauncherLayoutPlan::backdropNeedsRefresh(m_backdropSize, size)) {
        m_backdropSize = size;
        m_backdrop->refresh();
    }
}

void LauncherView::rebuild()
{
    if (!m_built)
        return;
    // The pressed tile is about to go; its index would name another entry.
    clearPressedState();
    const bool turning = m_pages.turner().isTurning();
    if (!turning)
        setSlideOrigin(m_grid.tilesHost, 0);

    const LauncherGrid::Shown shown = m_grid.selectShownEntries(m_tileDrag.transientPageCount());
    m_pageDots->setCount(m_grid.pageCount);
    m_pageDots->setCurrent(m_grid.currentPage);
    m_pageDots->setVisible(!shown.dotsHidden);

    // Icons are cached no larger than a tile draws them (a merge target's
    // brief enlargement draws them slightly magnified).
    m_grid.icons.setPixelSide(TileGeometry::devicePixelSide(m_grid.geometry.iconSide(), m_grid.backingScale()));

    m_tiles.clear();
    m_tiles.placeCanvas(*this, *m_scrollContainer, *m_searchPlate, turning);
    m_tiles.build();
    m_insertionIndicator->hide();
    m_tiles.retainNearPageIcons(shown.pages);

    if (m_presentation.progress() < 1) {
        CenteredScaleEffect::refreshPictureOf(m_grid.tilesHost);
        CenteredScaleEffect::refreshPictureOf(m_scrollContainer);
        applyPresentationTransform();
    }
    if (isEditing() && m_options.freezeJiggle)
        m_tiles.applyJiggle(0);
}


void LauncherView::refreshIcons(const QString &appID)
{
    m_tiles.refreshIcons(appID);
    CenteredScaleEffect::refreshPictureOf(m_grid.tilesHost);
    CenteredScaleEffect::refreshPictureOf(m_scrollContainer);
}



// --- Tile geometry and transforms ------------------------------------------------






void LauncherView::applyPresentationTransform()
{
    const double scale = PresentationCurve::gridScale(m_presentation.progress());
    // In scroll mode the host is the scroll container's document: scaling
    // both would shrink the grid twice.
    CenteredScaleEffect::applyTo(m_grid.tilesHost, m_scrollContainer->widget() == m_grid.tilesHost ? 1.0 : scale,
                                 m_pictureReserve);
    CenteredScaleEffect::applyTo(m_scrollContainer, scale, m_pictureReserve);
}



