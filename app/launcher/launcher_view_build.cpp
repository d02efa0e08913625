// The launcher view's subview tree, its placement for the current size, the
// tiles built from the session's model, and the geometry every tile passes
// through.

#include "launcher_view.h"

#include "foundation/log.h"
#include "launcher/centered_scale_effect.h"
#include "launcher/fill_view.h"
#include "launcher/launcher_layout_plan.h"
#include "launcher/presentation_curve.h"
#include "launcher/search_icon_view.h"
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

// Scales a grid host about its centre; nothing (and no offscreen rendering)
// at full size.
void applyCenteredScale(QWidget *view, double scale)
{
    if (!view)
        return;
    auto *effect = dynamic_cast<CenteredScaleEffect *>(view->graphicsEffect());
    if (!(scale < 1 - 1e-9)) {
        if (effect)
            view->setGraphicsEffect(nullptr);
        return;
    }
    if (!effect) {
        effect = new CenteredScaleEffect(view);
        view->setGraphicsEffect(effect);
    }
    effect->setScale(scale);
}

// A scaled host's content changed: its picture is rendered again.
void refreshCenteredScalePicture(QWidget *view)
{
    if (auto *effect = dynamic_cast<CenteredScaleEffect *>(view ? view->graphicsEffect() : nullptr))
        effect->refreshPicture();
}

// Styling of the glass layer over the wallpaper: a faint frosted tint.
// Pages on either side of the current one whose icons stay decoded: a turn
// to a neighbour shows icons at once; a jump further reads them back from
// the disk cache.
constexpr int nearPages = 1;

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

    auto *plate = new FillView(this);
    // The plate holds the search field, which must stay clickable.
    plate->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    plate->setFillColor(QColor(30, 30, 34, 150));
    plate->setCornerRadius(21);
    plate->setBorder(white(0.18), 1);
    m_searchPlate = plate;
    m_searchIcon = new SearchIconView(m_searchPlate);

    m_searchField = new QLineEdit(m_searchPlate);
    m_searchField->setFrame(false);
    m_searchField->setFont(systemFont(15, QFont::Normal));
    m_searchField->setAlignment(Qt::AlignCenter);
    m_searchField->setTextMargins(0, 0, 0, 0);
    m_searchField->setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette fieldPalette = m_searchField->palette();
    fieldPalette.setColor(QPalette::Base, Qt::transparent);
    fieldPalette.setColor(QPalette::Window, Qt::transparent);
    fieldPalette.setColor(QPalette::Text, Qt::white);
    m_searchField->setPalette(fieldPalette);
    m_searchField->setAutoFillBackground(false);
    updateSearchPlaceholder();
    connect(m_searchField, &QLineEdit::textEdited, this, &LauncherView::searchTextChanged);
    m_searchField->installEventFilter(this);
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

    m_tilesHost = new FlippedView(this);

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
    m_backdrop->setTints({white(glassAlpha * glassTint), black(m_session.settings().dim)});
    m_settingsButton->show();
    applyEditModeHint();
}

void LauncherView::updateSearchPlaceholder()
{
    QPalette palette = m_searchField->palette();
    palette.setColor(QPalette::PlaceholderText, white(0.55));
    m_searchField->setPalette(palette);
    m_searchField->setPlaceholderText(L(QStringLiteral("搜索应用")));
}

void LauncherView::relayout()
{
    const Settings &settings = m_session.settings();
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

    m_geometry = GridGeometry(settings.columns, settings.rows, chrome.grid, settings.iconScale);

    if (m_folders.isOpen())
        refreshFolderOverlayGeometry();
    rebuild();
}

void LauncherView::rebuild()
{
    if (!m_built)
        return;
    // The pressed tile is about to go; its index would name another entry.
    clearPressedState();
    const bool turning = m_pageTurner->isTurning();
    if (!turning)
        setSlideOrigin(m_tilesHost, 0);

    const Settings settings = m_session.settings();
    const bool scroll = scrollMode();
    const QList<QList<LayoutEntry>> pages =
        m_query.isEmpty() ? m_session.displayPages()
                          : GridGeometry::chunk(m_session.searchEntries(m_query), settings.pageSize());

    // An entry that left the layout (uninstalled, merged into a folder) leaves
    // the selection too: coming back later, it must not be selected again.
    if (!m_selection.isEmpty()) {
        QSet<QString> present;
        for (const QList<LayoutEntry> &page : m_query.isEmpty() ? pages : m_session.displayPages()) {
            for (const LayoutEntry &entry : page)
                present.insert(entry.id);
        }
        m_selection.intersect(present);
    }

    const LauncherLayoutPlan::Selection shown =
        LauncherLayoutPlan::select(pages, scroll, m_tileDrag.transientPageCount(), m_currentPage);
    m_pageCount = shown.pageCount;
    m_currentPage = shown.currentPage;
    m_entries = shown.entries;

    m_pageDots->setCount(m_pageCount);
    m_pageDots->setCurrent(m_currentPage);
    m_pageDots->setVisible(!shown.dotsHidden);

    // Icons are cached no larger than a tile draws them (a merge target's
    // brief enlargement draws them slightly magnified).
    m_icons.setPixelSide(TileGeometry::devicePixelSide(m_geometry.iconSide(), backingScale()));

    // Tiles are never reused: every state that must survive is derived anew below.
    m_pageDrawnLogged = false;
    const QList<AppTile *> old = m_tiles;
    m_tiles.clear();
    m_tileFrames.clear();
    for (AppTile *tile : old)
        delete tile;

    if (!scroll) {
        if (m_scrollContainer->widget() == m_tilesHost)
            m_scrollContainer->takeWidget();
        m_scrollContainer->hide();
        if (m_tilesHost->parentWidget() != this)
            m_tilesHost->setParent(this);
        // A turn in progress keeps the host where the slide has put it.
        QRect frame = rect();
        if (turning)
            frame.moveLeft(m_tilesHost->x());
        m_tilesHost->setGeometry(frame);
        // Under the search plate: the full-size host must not take the
        // presses meant for the search field.
        m_tilesHost->stackUnder(m_searchPlate);
        m_tilesHost->show();
    } else {
        m_scrollContainer->show();
        const double visible = m_scrollContainer->viewport()->height();
        const double height =
            LauncherLayoutPlan::scrollDocumentHeight(int(m_entries.size()), columns(), m_geometry, visible);
        m_tilesHost->setGeometry(QRect(0, 0, int(std::lround(gridRect().width())), int(std::ceil(height))));
        if (m_scrollContainer->widget() != m_tilesHost)
            m_scrollContainer->setWidget(m_tilesHost);
        m_tilesHost->show();
    }

    IconProvider &icons = m_icons;
    for (int i = 0; i < m_entries.size(); ++i) {
        const LayoutEntry &entry = m_entries.at(i);
        const QRectF frame = tileFrame(i);
        auto *tile = new AppTile(frame, entry, m_session.titleFor(entry), m_tilesHost);
        TileState state = tile->state();
        state.iconSide = m_geometry.iconSide();
        state.showLabel = settings.showLabels;
        state.dimmed = m_session.isHidden(entry);
        state.selected = m_selection.contains(entry.id);
        state.dragging = m_tileDrag.draggingEntryID() && *m_tileDrag.draggingEntryID() == entry.id;
        if (const std::optional<AppItem> app = m_session.appFor(entry))
            state.icon = icons.icon(*app);
        if (entry.isFolder())
            state.folderPreview = folderPreview(entry);
        tile->setState(state);
        configureTileForEditMode(tile);
        if (m_options.dumpWindows)
            tile->onPainted = [this] { logWhenPageDrawn(); };
        tile->show();
        m_tiles.append(tile);
        m_tileFrames.append(frame);
    }

    m_insertionIndicator->hide();
    retainNearPageIcons(pages, scroll);

    if (m_presentation.progress() < 1) {
        refreshCenteredScalePicture(m_tilesHost);
        refreshCenteredScalePicture(m_scrollContainer);
        applyPresentationTransform();
    }
    if (isEditing() && m_options.freezeJiggle)
        applyEditModeTransforms(0);
}

void LauncherView::retainNearPageIcons(const QList<QList<LayoutEntry>> &pages, bool scroll)
{
    // A scrolling grid shows every entry; its icons all stay. Results of a
    // search change with every key: what they showed stays until the grid
    // pages again.
    if (scroll || !m_query.isEmpty())
        return;
    QSet<QString> keep;
    QList<AppItem> neighbours;
    const auto keepEntries = [&](const QList<LayoutEntry> &entries, bool load) {
        for (const LayoutEntry &entry : entries) {
            if (const std::optional<AppItem> app = m_session.appFor(entry)) {
                keep.insert(app->path);
                if (load)
                    neighbours.append(*app);
            }
            if (!entry.folder)
                continue;
            // The preview shows the first nine members.
            const QStringList &members = entry.folder->bundleIDs;
            for (qsizetype i = 0; i < std::min<qsizetype>(9, members.size()); ++i) {
                if (const std::optional<AppItem> member = m_session.app(members.at(i)))
                    keep.insert(member->path);
            }
        }
    };
    // What shows now, whatever page it came from (a page being left, a drag's
    // transient page).
    keepEntries(m_entries, false);
    for (const AppTile *tile : std::as_const(m_outgoingTiles))
        keepEntries({tile->entry()}, false);
    for (int page = m_currentPage - nearPages; page <= m_currentPage + nearPages; ++page) {
        if (page != m_currentPage && page >= 0 && page < pages.size())
            keepEntries(pages.at(page), true);
    }
    m_icons.retainOnly(keep);
    // The neighbours' icons load behind the page shown (it asked first), so
    // that a turn shows them at once.
    for (const AppItem &app : std::as_const(neighbours))
        m_icons.icon(app);
}

void LauncherView::refreshIcons(const QString &appID)
{
    const std::optional<AppItem> app = m_session.app(appID);
    if (!app)
        return;
    const QList<AppTile *> all = m_tiles + m_outgoingTiles;
    IconProvider &icons = m_icons;
    for (AppTile *tile : all) {
        if (tile->entry().appID == appID) {
            TileState state = tile->state();
            state.icon = icons.cachedIcon(*app);
            tile->setState(state);
            tile->update();
        }
    }
    // Folder previews draw from the icon cache, whichever member arrived.
    for (AppTile *tile : all) {
        if (tile->entry().isFolder()) {
            TileState state = tile->state();
            state.folderPreview = folderPreview(tile->entry());
            tile->setState(state);
            tile->update();
        }
    }
    refreshCenteredScalePicture(m_tilesHost);
    refreshCenteredScalePicture(m_scrollContainer);
}

void LauncherView::logWhenPageDrawn()
{
    if (m_pageDrawnLogged)
        return;
    for (const AppTile *tile : std::as_const(m_tiles)) {
        // A tile waits for an image only when its application is known:
        // one without stays blank for good.
        const bool waitsForImage = tile->entry().isFolder() || m_session.appFor(tile->entry()).has_value();
        if (!tile->painted() || (waitsForImage && !tile->paintedImage()))
            return;
    }
    m_pageDrawnLogged = true;
    // Automation waits for this line before it reads the screen: on a busy
    // machine the icons of a page arrive long after the page is shown.
    Log::write("[icons] drawn page=%d tiles=%d", m_currentPage, int(m_tiles.size()));
}

void LauncherView::openFolderDemo()
{
    const QList<LayoutEntry> all = m_session.layout().allEntries();
    for (const LayoutEntry &entry : all) {
        if (entry.isFolder()) {
            showFolderOverlay(entry, std::nullopt);
            return;
        }
    }
    QStringList ids;
    for (const LayoutEntry &entry : all) {
        if (entry.appID)
            ids.append(*entry.appID);
        if (ids.size() == 4)
            break;
    }
    if (ids.isEmpty())
        return;
    // Shown only in the overlay; the layout stays as it is.
    const LayoutFolder folder(LayoutFolder::newIdentifier(), L(QStringLiteral("常用工具")), ids);
    showFolderOverlay(LayoutEntry::makeFolder(folder), std::nullopt);
}

// --- Tile geometry and transforms ------------------------------------------------

QRectF LauncherView::snapToDevicePixels(const QRectF &rect) const
{
    return LauncherLayoutPlan::snapRect(rect, backingScale());
}

void LauncherView::setSlideOrigin(QWidget *view, double x)
{
    if (!view)
        return;
    const double snapped = LauncherLayoutPlan::snap(x, backingScale());
    view->move(int(std::lround(snapped)), view->y());
}

QRectF LauncherView::tileFrame(int index) const
{
    LauncherLayoutPlan::TileContext context;
    context.geometry = m_geometry;
    context.scrollMode = scrollMode();
    context.columns = columns();
    context.searching = !m_query.isEmpty();
    context.entryCount = int(m_entries.size());
    context.gridRect = gridRect();
    context.scale = backingScale();
    return LauncherLayoutPlan::tileFrame(context, index);
}

void LauncherView::configureTileForEditMode(AppTile *tile)
{
    if (!tile)
        return;
    TileState state = tile->state();
    state.badgePlacement = badgePlacement();
    const LayoutEntry &entry = tile->entry();
    state.showsDeleteBadge =
        isEditing() && UninstallEligibility::canUninstall(entry.isFolder(), m_session.appFor(entry));
    if (!state.showsDeleteBadge)
        state.deleteBadgePressed = false;
    tile->setState(state);
}

std::optional<QImage> LauncherView::folderPreview(const LayoutEntry &entry)
{
    if (!entry.folder)
        return std::nullopt;
    const QImage preview =
        m_icons.folderPreview(entry.folder->bundleIDs, m_geometry.iconSide() * 0.86, backingScale());
    if (preview.isNull())
        return std::nullopt;
    return preview;
}

void LauncherView::applyPresentationTransform()
{
    const double scale = PresentationCurve::gridScale(m_presentation.progress());
    // In scroll mode the host is the scroll container's document: scaling
    // both would shrink the grid twice.
    applyCenteredScale(m_tilesHost, m_scrollContainer->widget() == m_tilesHost ? 1.0 : scale);
    applyCenteredScale(m_scrollContainer, scale);
}

void LauncherView::applyEditModeTransforms(double time)
{
    for (int i = 0; i < m_tiles.size(); ++i) {
        const JiggleMotion motion(i, time);
        applyJiggle(m_tiles.at(i), motion.rotationRadians, motion.translationX, motion.translationY);
    }
    // Outgoing tiles continue the numbering so no two share a phase.
    const int base = int(m_tiles.size());
    for (int j = 0; j < m_outgoingTiles.size(); ++j) {
        const JiggleMotion motion(base + j, time);
        applyJiggle(m_outgoingTiles.at(j), motion.rotationRadians, motion.translationX, motion.translationY);
    }
}

double LauncherView::appliedCenteredScale(const QWidget *view)
{
    if (!view)
        return 1;
    const auto *effect = dynamic_cast<const CenteredScaleEffect *>(view->graphicsEffect());
    return effect ? effect->scale() : 1.0;
}

void LauncherView::updateSelectionDisplay()
{
    for (AppTile *tile : std::as_const(m_tiles)) {
        TileState state = tile->state();
        state.selected = m_selection.contains(tile->entry().id);
        tile->setState(state);
    }
}
