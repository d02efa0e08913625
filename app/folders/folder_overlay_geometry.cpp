#include "folders/folder_overlay_geometry.h"

#include "policy/grid_geometry.h"

#include <algorithm>
#include <cmath>

FolderOverlayGeometry::FolderOverlayGeometry(const QSizeF &bounds, int itemCount, double sideInsetRatio,
                                             double gridIconSide)
    : m_itemCount(std::max(0, itemCount))
    , m_bounds(bounds)
{
    const double width = bounds.width();
    const double height = bounds.height();

    // Only the horizontal extent of the launcher grid's content is shared.
    const QRectF content = GridGeometry::contentRectIn(QRectF(QPointF(0, 0), bounds), sideInsetRatio);
    const double rowHeight = std::max(96.0, 0.155 * height);
    const double panelHeight = std::min(topPad + displayRows() * rowHeight + bottomPad, 0.88 * height);
    const double panelY = (height - panelHeight) / 2 - 6;
    m_panel = QRectF(content.x(), panelY, content.width(), panelHeight);

    m_cornerRadius = std::min(28.0, std::max(18.0, 0.018 * width));

    m_gridInset = m_panel.width() * gridInsetRatio;
    m_cellWidth = (m_panel.width() - 2 * m_gridInset) / columns;
    // Rows shrink to fit when the panel height is capped.
    m_cellRowHeight = std::max(60.0, (m_panel.height() - topPad - bottomPad) / displayRows());
    m_tileIconSide = std::min({m_cellWidth * 0.55, m_cellRowHeight * 0.56, gridIconSide * 1.12});

    const double titleWidth = std::min(titleMaxWidth, m_panel.width());
    m_title = QRectF((width - titleWidth) / 2, std::max(4.0, m_panel.y() - 34), titleWidth, titleHeight);
    m_dots = QRectF(0, m_panel.height() - bottomPad + 10, m_panel.width(), 14);
}

int FolderOverlayGeometry::pageCount(int itemCount)
{
    return std::max(1, (std::max(0, itemCount) + pageSize - 1) / pageSize);
}

int FolderOverlayGeometry::displayRows(int itemCount)
{
    return std::min(rowsPerPage, std::max(1, (std::max(0, itemCount) + columns - 1) / columns));
}

int FolderOverlayGeometry::clampPage(int page) const
{
    return std::clamp(page, 0, pageCount() - 1);
}

int FolderOverlayGeometry::cellCount(int page) const
{
    if (page < 0)
        return 0;
    const qint64 start = qint64(page) * pageSize;
    return int(std::clamp<qint64>(m_itemCount - start, 0, pageSize));
}

QList<QRectF> FolderOverlayGeometry::tileFrames(int page) const
{
    QList<QRectF> frames;
    const int count = cellCount(page);
    frames.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int column = i % columns;
        const int row = i / columns;
        frames.append(QRectF(m_gridInset + column * m_cellWidth, topPad + row * m_cellRowHeight, m_cellWidth,
                             m_cellRowHeight));
    }
    return frames;
}

QRectF FolderOverlayGeometry::iconRect(const QRectF &cell, double iconSide)
{
    return QRectF(cell.x() + (cell.width() - iconSide) / 2,
                  cell.y() + (cell.height() - iconSide - labelHeight - labelGap) / 2, iconSide, iconSide);
}

QRectF FolderOverlayGeometry::hitRect(const QRectF &cell, double iconSide)
{
    const double w = std::min(cell.width(), iconSide);
    const double h = std::min(cell.height(), iconSide + 21);
    const double top = std::max(cell.y(), cell.y() + (cell.height() - iconSide - labelHeight - labelGap) / 2);
    return QRectF(cell.center().x() - w / 2, top, w, h);
}

std::optional<int> FolderOverlayGeometry::hitIndex(const QList<QRectF> &cells, const QPointF &panelPoint,
                                                   double iconSide)
{
    // Closed rectangles, as the platform's point test: the edges belong to the cell.
    const auto holds = [](const QRectF &rect, const QPointF &p) {
        return p.x() >= rect.left() && p.x() <= rect.right() && p.y() >= rect.top() && p.y() <= rect.bottom();
    };
    for (int i = 0; i < cells.size(); ++i) {
        if (!holds(cells.at(i), panelPoint))
            continue;
        if (holds(hitRect(cells.at(i), iconSide), panelPoint))
            return i;
        return std::nullopt;
    }
    return std::nullopt;
}

double FolderOverlayGeometry::labelFontSize(double iconSide)
{
    return std::min(12.5, std::max(10.0, 0.16 * iconSide));
}
