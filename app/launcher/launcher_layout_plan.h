#pragma once

#include "model/layout_entry.h"
#include "policy/grid_geometry.h"

#include <QList>
#include <QRectF>
#include <QSizeF>

// The launcher view's placement decisions as plain functions: where the
// chrome goes for a view size, which entries a rebuild shows, where each tile
// sits (device-pixel aligned), and how tall the scrolling document is. The
// view only applies the results to its widgets.
class LauncherLayoutPlan
{
public:
    LauncherLayoutPlan() = delete;

    static constexpr double searchPlateMaximumWidth = 440;
    static constexpr double searchPlateWidthRatio = 0.4;
    static constexpr double searchPlateTop = 56;
    static constexpr double searchPlateHeight = 42;
    static constexpr double pageDotsBottomOffset = 84;
    static constexpr double pageDotsHeight = 24;
    static constexpr double hintBottomOffset = 40;
    static constexpr double hintHeight = 20;
    static constexpr double settingsButtonRightOffset = 96;
    static constexpr double settingsButtonTop = 62;
    static constexpr double settingsButtonWidth = 72;
    static constexpr double settingsButtonHeight = 28;
    static constexpr double scrollTopPadding = 24;
    static constexpr double scrollBottomPadding = 30;
    // The wallpaper is rendered again only when the size changes by more.
    static constexpr double backdropTolerance = 1;

    // Frames of the chrome in view coordinates.
    struct Chrome
    {
        QRectF searchPlate;
        QRectF pageDots;
        QRectF hintLabel;
        QRectF settingsButton;
        QRectF grid;
    };
    static Chrome chrome(const QSizeF &size, double sideInsetRatio);
    // The settings button's frame for a title that needs `titleWidth`: the
    // planned frame, grown leftwards (its right edge stays) when the title is
    // wider, so that no language's title is clipped.
    static QRectF settingsButtonFrame(const QRectF &planned, double titleWidth);

    static bool backdropNeedsRefresh(const QSizeF &lastRefresh, const QSizeF &size);

    // A column count that is safe to divide by: at least 1.
    static int safeColumns(int columns) { return columns < 1 ? 1 : columns; }

    // What one rebuild shows.
    struct Selection
    {
        int pageCount = 1;
        int currentPage = 0;
        QList<LayoutEntry> entries;
        bool dotsHidden = true;
    };
    // `pages` as the session gives them (a search already cut into pages);
    // `transientPageCount` empty pages a drag added after them.
    static Selection select(const QList<QList<LayoutEntry>> &pages, bool scrollMode, int transientPageCount,
                            int currentPage);

    // Device-pixel rounding: round(v × scale) / scale, halves away from zero.
    // A scale that is not a positive number counts as 1.
    static double snap(double value, double scale);
    // Origin and size snapped; width and height never below one device pixel.
    static QRectF snapRect(const QRectF &rect, double scale);

    struct TileContext
    {
        GridGeometry geometry{7, 5, QRectF()};
        bool scrollMode = false;
        int columns = 7;        // any value; fewer than 1 counts as 1
        bool searching = false; // a non-empty query is shown
        int entryCount = 0;
        QRectF gridRect;
        double scale = 2;
    };
    // The frame of tile `index` in the tiles host: the page's cell (a short
    // search row centred), or in scroll mode the cell of one long list whose
    // document starts scrollTopPadding above the first row.
    static QRectF tileFrame(const TileContext &context, int index);

    // Rows of a scrolling list, at least 1.
    static int scrollRows(int entryCount, int columns);
    // Never lower than the visible height.
    static double scrollDocumentHeight(int entryCount, int columns, const GridGeometry &geometry,
                                       double visibleHeight);
};
