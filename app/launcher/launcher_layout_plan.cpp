#include "launcher_layout_plan.h"

#include <algorithm>
#include <climits>
#include <cmath>

LauncherLayoutPlan::Chrome LauncherLayoutPlan::chrome(const QSizeF &size, double sideInsetRatio)
{
    const double w = size.width();
    const double h = size.height();
    const double plateWidth = std::min(searchPlateMaximumWidth, searchPlateWidthRatio * w);
    Chrome chrome;
    chrome.searchPlate = QRectF((w - plateWidth) / 2, searchPlateTop, plateWidth, searchPlateHeight);
    chrome.pageDots = QRectF(0, h - pageDotsBottomOffset, w, pageDotsHeight);
    chrome.hintLabel = QRectF(0, h - hintBottomOffset, w, hintHeight);
    chrome.settingsButton =
        QRectF(w - settingsButtonRightOffset, settingsButtonTop, settingsButtonWidth, settingsButtonHeight);
    chrome.grid = GridGeometry::contentRectIn(QRectF(QPointF(0, 0), size), sideInsetRatio);
    return chrome;
}

QRectF LauncherLayoutPlan::settingsButtonFrame(const QRectF &planned, double titleWidth)
{
    if (!(titleWidth > planned.width()))
        return planned;
    return QRectF(planned.right() - titleWidth, planned.top(), titleWidth, planned.height());
}

bool LauncherLayoutPlan::backdropNeedsRefresh(const QSizeF &lastRefresh, const QSizeF &size)
{
    return std::abs(size.width() - lastRefresh.width()) > backdropTolerance ||
           std::abs(size.height() - lastRefresh.height()) > backdropTolerance;
}

LauncherLayoutPlan::Selection LauncherLayoutPlan::select(const QList<QList<LayoutEntry>> &pages, bool scrollMode,
                                                         int transientPageCount, int currentPage)
{
    Selection selection;
    const qsizetype transient = std::max(0, transientPageCount);
    selection.pageCount = scrollMode ? 1 : int(std::clamp<qsizetype>(pages.size() + transient, 1, INT_MAX));
    selection.currentPage = std::min(std::max(0, currentPage), selection.pageCount - 1);
    if (scrollMode) {
        for (const QList<LayoutEntry> &page : pages)
            selection.entries += page;
    } else if (selection.currentPage < pages.size()) {
        selection.entries = pages.at(selection.currentPage);
    }
    selection.dotsHidden = selection.pageCount < 2;
    return selection;
}

double LauncherLayoutPlan::snap(double value, double scale)
{
    const double s = (std::isfinite(scale) && scale > 0) ? scale : 1.0;
    return std::round(value * s) / s;
}

QRectF LauncherLayoutPlan::snapRect(const QRectF &rect, double scale)
{
    const double s = (std::isfinite(scale) && scale > 0) ? scale : 1.0;
    const double minimum = 1 / s;
    return QRectF(snap(rect.x(), s), snap(rect.y(), s), std::max(minimum, snap(rect.width(), s)),
                  std::max(minimum, snap(rect.height(), s)));
}

QRectF LauncherLayoutPlan::tileFrame(const TileContext &context, int index)
{
    const GridGeometry &g = context.geometry;
    const int columns = safeColumns(context.columns);
    const double cellWidth = g.cellSize.width();
    const double cellHeight = g.cellSize.height();
    if (context.scrollMode) {
        const int column = index % columns;
        const int row = index / columns;
        const QRectF frame((g.origin.x() - context.gridRect.left()) + column * (cellWidth + g.horizontalSpacing),
                           scrollTopPadding + row * (cellHeight + g.verticalSpacing), cellWidth, cellHeight);
        return snapRect(frame, context.scale);
    }
    QRectF frame = g.frame(index);
    const int n = context.entryCount;
    if (context.searching && n > 0 && n < columns) {
        const double full = columns * cellWidth + (columns - 1) * g.horizontalSpacing;
        const double used = n * cellWidth + (n - 1) * g.horizontalSpacing;
        frame.translate((full - used) / 2, 0);
    }
    return snapRect(frame, context.scale);
}

int LauncherLayoutPlan::scrollRows(int entryCount, int columns)
{
    const qint64 c = safeColumns(columns);
    const qint64 count = std::max(0, entryCount);
    return int(std::max<qint64>(1, (count + c - 1) / c));
}

double LauncherLayoutPlan::scrollDocumentHeight(int entryCount, int columns, const GridGeometry &geometry,
                                                double visibleHeight)
{
    const int rows = scrollRows(entryCount, columns);
    const double content =
        rows * (geometry.cellSize.height() + geometry.verticalSpacing) + scrollTopPadding + scrollBottomPadding;
    return std::max(visibleHeight, content);
}
