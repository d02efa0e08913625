// The launcher view's subview tree, its placement for the current size, the
// tiles built from the session's model, and the geometry every tile passes
// through.

#include "launcher_view.h"

#include "foundation/log.h"
#include "launcher/centered_scale_effect.h"
#include "launcher/fill_view.h"
#include "launcher/launcher_layout_plan.h"
#include "launcher/presentation_curve.h"
#include "launcher/search_plate.h"
#include "session/launcher_session.h"
#include "tiles/app_tile.h"
#include "tiles/icon_provider.h"
#include "tiles/page_dots_view.h"
#include "tiles/wallpaper_backdrop.h"

#include "localization/l10n.h"
#include "policy/jiggle_motion.h"
#include "policy/uninstall_eligibility.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

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

// Sizes in points are logical pixels (a point size would be scaled by the
// screen's 96 dpi, a third larger than the layout means).
QFont systemFont(double size, QFont::Weight weight)
{
    QFont font(QApplication::font().family());
    font.setPixelSize(int(std::lround(size)));
    font.setWeight(weight);
    return font;
}

QRect widgetRect(const QRectF &rect)
{
    return rect.toRect();
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
    m_searchPlate->installEventFilter(this);

    m_scrollContainer = new QScrollArea(this);
    m_scrollContainer->setFrameShape(QFrame::NoFrame);
    m_scrollContainer->setWidgetResizable(false);
    m_scrollContainer->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollContainer->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollContainer->setAutoFillBackground(false);
    m_scrollContainer->viewport()->setAutoFillBackground(false);
    QPalette scrollPalette = m_scrollContainer->palette();
    scrollPalette.setColor(QPalette::Window, Qt::transparent);
    scrollPalette.setColor(QPalette::Base, Qt::transparent);
    m_scrollContainer->setPalette(scrollPalette);
    m_scrollContainer->hide();

    m_grid.tilesHost = new PageCanvas(this);

    m_pageDots = new PageDotsView(this);
    m_pageDots->onClick = [weak](int index) {
        if (weak)
            weak->goToPage(index);
    };

    m_hintLabel = new QLabel(this);
    m_hintLabel->setFont(systemFont(11.5, QFont::Normal));
    m_hintLabel->setAlignment(Qt::AlignCenter);
    m_hintLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette hintPalette = m_hintLabel->palette();
    hintPalette.setColor(QPalette::WindowText, white(0.62));
    m_hintLabel->setPalette(hintPalette);
    applyEditModeHint();

    auto *indicator = new FillView(this);
    indicator->setFillColor(white(0.09));
    indicator->setBorder(white(0.38), 1.5);
    indicator->setCornerRadius(14);
    indicator->hide();
    m_insertionIndicator = indicator;

    m_settingsButton = new QPushButton(L(QStringLiteral("设置")), this);
    m_settingsButton->setFlat(true);
    m_settingsButton->setFocusPolicy(Qt::NoFocus);
    m_settingsButton->setFont(systemFont(12, QFont::Medium));
    QPalette buttonPalette = m_settingsButton->palette();
    buttonPalette.setColor(QPalette::ButtonText, white(0.72));
    buttonPalette.setColor(QPalette::Button, Qt::transparent);
    m_settingsButton->setPalette(buttonPalette);
    connect(m_settingsButton, &QPushButton::clicked, this, [this] { openSettings(); });

    applySettingsAppearance();
}

void LauncherView::applySettingsAppearance()
{
    // The frosted glass, then the dim.
    m_backdrop->setTints({white(glassAlpha * glassTint), black(m_grid.session.settings().dim)});
    m_settingsButton->show();
    applyEditModeHint();
}


void LauncherView::relayout()
{
    const Settings &settings = m_grid.session.settings();
    const QSizeF size = QSizeF(this->size());
    const LauncherLayoutPlan::Chrome chrome = LauncherLayoutPlan::chrome(size, settings.sideInset);

    m_backdrop->setGeometry(rect());
    if (LauncherLayoutPlan::backdropNeedsRefresh(m_backdropSize, size)) {
        m_backdropSize = size;
        m_backdrop->refresh();
    }

    m_searchPlate->setGeometry(widgetRect(chrome.searchPlate));
    layoutSearchContents();
    m_pageDots->setGeometry(widgetRect(chrome.pageDots));
    m_hintLabel->setGeometry(widgetRect(chrome.hintLabel));
    m_settingsButton->setGeometry(widgetRect(
        LauncherLayoutPlan::settingsButtonFrame(chrome.settingsButton, m_settingsButton->sizeHint().width())));
    m_scrollContainer->setGeometry(widgetRect(chrome.grid));

    m_grid.geometry = GridGeometry(settings.columns, settings.rows, chrome.grid, settings.iconScale);

    if (isFolderOpen())
        refreshFolderOverlayGeometry();
    rebuild();
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

    const bool scroll = m_grid.scrollMode();
    const LauncherGrid::Shown shown = m_grid.selectShownEntries(m_tileDrag.transientPageCount());
    m_pageDots->setCount(m_grid.pageCount);
    m_pageDots->setCurrent(m_grid.currentPage);
    m_pageDots->setVisible(!shown.dotsHidden);

    // Icons are cached no larger than a tile draws them (a merge target's
    // brief enlargement draws them slightly magnified).
    m_grid.icons.setPixelSide(TileGeometry::devicePixelSide(m_grid.geometry.iconSide(), m_grid.backingScale()));

    m_tiles.clear();
    if (!scroll) {
        if (m_scrollContainer->widget() == m_grid.tilesHost)
            m_scrollContainer->takeWidget();
        m_scrollContainer->hide();
        if (m_grid.tilesHost->parentWidget() != this)
            m_grid.tilesHost->setParent(this);
        // A turn in progress keeps the host where the slide has put it.
        QRect frame = rect();
        if (turning)
            frame.moveLeft(m_grid.tilesHost->x());
        m_grid.tilesHost->setGeometry(frame);
        // Under the search plate: the full-size host must not take the
        // presses meant for the search field.
        m_grid.tilesHost->stackUnder(m_searchPlate);
        m_grid.tilesHost->show();
    } else {
        m_scrollContainer->show();
        const double visible = m_scrollContainer->viewport()->height();
        const double height =
            LauncherLayoutPlan::scrollDocumentHeight(int(m_grid.entries.size()), m_grid.columns(), m_grid.geometry, visible);
        m_grid.tilesHost->setGeometry(QRect(0, 0, int(std::lround(m_grid.gridRect().width())), int(std::ceil(height))));
        if (m_scrollContainer->widget() != m_grid.tilesHost)
            m_scrollContainer->setWidget(m_grid.tilesHost);
        m_grid.tilesHost->show();
    }

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
    CenteredScaleEffect::applyTo(m_grid.tilesHost, m_scrollContainer->widget() == m_grid.tilesHost ? 1.0 : scale);
    CenteredScaleEffect::applyTo(m_scrollContainer, scale);
}



