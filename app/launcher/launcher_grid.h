#pragma once

#include "paging/frame_clock.h"

#include "model/layout_entry.h"
#include "policy/grid_geometry.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QString>

#include <optional>

class AppTile;
class IconProvider;
class LauncherSession;
class PageCanvas;
class WallpaperBackdrop;
class PageTurner;
class QWidget;
struct LaunchOptions;

// The grid on screen as every part of the launcher view sees it: the entries
// shown with their tiles and frames, the page, the query, the selection and
// the geometry, and the questions each part asks of them (where a point falls
// on the grid, where a slot lies). The view builds it; paging, edit mode, the
// tile drag, folder hosting and the context menu read it and change only what
// their job is, then tell the view through their own small host.
//
// Points are in the launcher view's coordinates; tile frames are in the page
// canvas's, which a turn may have slid sideways.
class LauncherGrid
{
public:
    // The view, the session, the icons and the options outlive the grid.
    LauncherGrid(QWidget &view, LauncherSession &session, IconProvider &icons, const LaunchOptions &options);

    LauncherGrid(const LauncherGrid &) = delete;
    LauncherGrid &operator=(const LauncherGrid &) = delete;

    // --- What the grid lives in -------------------------------------------------------
    QWidget &view;
    LauncherSession &session;
    IconProvider &icons;
    const LaunchOptions &options;
    // The canvas of the page shown (set once the view has built its subviews).
    PageCanvas *tilesHost = nullptr;
    // The backdrop under the pages (set with tilesHost).
    WallpaperBackdrop *backdrop = nullptr;
    // The turner whose slide offsets the canvas (none: never offset).
    const PageTurner *turner = nullptr;
    // Replaces the media time (tests); the system's when empty.
    FrameClock::TimeSource timeSource;

    // --- What it shows ----------------------------------------------------------------
    GridGeometry geometry{7, 5, QRectF(0, 0, 1200, 700), 1};
    QList<LayoutEntry> entries;
    QList<AppTile *> tiles;
    QList<QRectF> tileFrames;
    int pageCount = 1;
    int currentPage = 0;
    QString query;
    QSet<QString> selection;
    // The page a turn is leaving: its canvas below the shown one, and its tiles.
    PageCanvas *outgoingHost = nullptr;
    QList<AppTile *> outgoingTiles;

    // What the grid chose its entries from.
    struct Shown
    {
        // The layout's pages, or the search results cut into pages.
        QList<QList<LayoutEntry>> pages;
        bool dotsHidden = false;
    };
    // Takes what the grid shows from the session: the current page's entries
    // (the search results, or the whole list in scroll mode), with
    // `transientPages` empty pages opened at the end; clamps the page, and
    // drops from the selection what left the layout.
    Shown selectShownEntries(int transientPages);

    // --- Derived ------------------------------------------------------------------------
    double now() const;
    bool scrollMode() const;
    // The settings' column count, never below 1 (nothing divides by it otherwise).
    int columns() const;
    int pageCapacity() const;
    bool searching() const { return !query.isEmpty(); }
    bool showsLabels() const;
    // Scroll mode or a search: one flat list instead of pages.
    bool flat() const { return scrollMode() || searching(); }
    QRectF gridRect() const;
    // The window's device pixel ratio; 2 when the view is in no window.
    double backingScale() const;

    // --- Geometry and hit tests ---------------------------------------------------------
    // Where tile `index` of the shown entries stands, in the canvas's coordinates.
    QRectF tileFrame(int index) const;
    // A view point on the grid at rest: a sliding page is hit where its
    // tiles stand once the slide is over.
    QPointF gridPoint(const QPointF &point) const;
    std::optional<int> tileIndex(const QPointF &point) const;
    // As tileIndex, but a point in a cell's margin hits nothing.
    std::optional<int> hitTileIndex(const QPointF &point) const;
    // The slot a point inserts at (never none).
    int insertionIndex(const QPointF &point) const;
    // The frame of slot `index` of the shown page, in the view's coordinates.
    QRectF slotFrame(int index) const;
    // A view point in `tile`'s own coordinates.
    QPointF pointInTile(const AppTile *tile, const QPointF &point) const;
};
