#include "grid_geometry.h"

#include <climits>
#include <cmath>

namespace {

double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

// Sizes of a rectangle as the layout may use them: never negative, never
// anything but a number.
double usableLength(double length)
{
    return std::isfinite(length) ? std::max(0.0, length) : 0.0;
}

} // namespace

GridGeometry::GridGeometry(int columns_, int rows_, const QRectF &contentRect_, double iconScale_)
    : columns(std::max(1, columns_)), rows(std::max(1, rows_)), contentRect(contentRect_),
      iconScale(std::isnan(iconScale_) ? 1.0 : std::min(std::max(iconScale_, 0.75), 1.25))
{
    const double w = usableLength(contentRect.width());
    const double h = usableLength(contentRect.height());
    const double minX = finiteOr(contentRect.x(), 0);
    const double minY = finiteOr(contentRect.y(), 0);

    horizontalSpacing = std::max(12.0, w * 0.018);
    verticalSpacing = std::max(14.0, h * 0.04);

    // A rectangle narrower than its spacings leaves no room for cells: they
    // shrink to nothing rather than turning inside out.
    const double cellWidth = std::max(0.0, (w - horizontalSpacing * (columns - 1)) / columns);
    const double cellHeight =
        std::max(0.0, std::min((h - verticalSpacing * (rows - 1)) / rows, cellWidth * 1.36));
    cellSize = QSizeF(cellWidth, cellHeight);

    const double gridWidth = cellWidth * columns + horizontalSpacing * (columns - 1);
    const double gridHeight = cellHeight * rows + verticalSpacing * (rows - 1);
    origin = QPointF(minX + (w - gridWidth) / 2, minY + (h - gridHeight) / 2);
}

int GridGeometry::pageSize() const
{
    const qint64 size = qint64(columns) * qint64(rows);
    return int(std::min<qint64>(std::max<qint64>(1, size), INT_MAX));
}

double GridGeometry::iconSide() const
{
    return std::min(std::min(cellSize.width() * 0.6, systemIconSide) * iconScale,
                    std::max(48.0, cellSize.height() - 50));
}

QRectF GridGeometry::frame(int index) const
{
    const int row = index / columns;
    const int column = index % columns;
    return QRectF(origin.x() + column * (cellSize.width() + horizontalSpacing),
                  origin.y() + row * (cellSize.height() + verticalSpacing), cellSize.width(), cellSize.height());
}

std::optional<int> GridGeometry::index(const QPointF &point) const
{
    const double column = std::floor((point.x() - origin.x()) / (cellSize.width() + horizontalSpacing));
    const double row = std::floor((point.y() - origin.y()) / (cellSize.height() + verticalSpacing));
    // Written so that NaN fails every test before anything becomes an int.
    if (!(column >= 0 && column < columns && row >= 0 && row < rows))
        return std::nullopt;
    const qint64 cell = qint64(row) * columns + qint64(column);
    if (cell > INT_MAX)
        return std::nullopt;
    const int candidate = int(cell);
    const QRectF rect = frame(candidate);
    if (point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top() && point.y() < rect.bottom())
        return candidate;
    return std::nullopt;
}

int GridGeometry::insertionIndex(const QPointF &point, int entryCount) const
{
    const double pitchX = cellSize.width() + horizontalSpacing;
    const double pitchY = cellSize.height() + verticalSpacing;

    double column = std::floor((point.x() - origin.x()) / pitchX);
    if (std::isnan(column))
        column = 0;
    column = std::min(std::max(column, 0.0), double(columns - 1));
    const double centreX = origin.x() + column * pitchX + cellSize.width() / 2;
    const double slot = point.x() >= centreX - 0.5 ? column + 1 : column;

    double row = std::floor((point.y() - origin.y()) / pitchY);
    if (std::isnan(row))
        row = 0;
    row = std::max(0.0, row);

    // In doubles: far below the grid the row is unbounded and must not
    // overflow an int before the clamp to the entry count.
    const double target = row * columns + slot;
    const double clamped = std::max(0.0, std::min(target, double(entryCount)));
    return int(clamped);
}

QRectF GridGeometry::iconHitRect(const QRectF &cell, double iconSide, bool hasLabel, double slack)
{
    if (!(cell.width() > 0) || !(cell.height() > 0))
        return cell;
    const double side = usableLength(iconSide);
    const double reach = finiteOr(slack, 0);
    // A negative slack may narrow the box, but never past nothing.
    const double width = std::max(0.0, std::min(cell.width(), side + 2 * reach));
    const double height = std::min(cell.height(), side + (hasLabel ? 26 : 2));
    return QRectF(cell.center().x() - width / 2, cell.top(), width, height);
}

QRectF GridGeometry::contentRectIn(const QRectF &bounds, double sideInsetRatio, double topInset, double bottomInset)
{
    const double w = std::isfinite(bounds.width()) ? std::max(1.0, bounds.width()) : 1.0;
    const double h = std::isfinite(bounds.height()) ? std::max(1.0, bounds.height()) : 1.0;
    const double minX = finiteOr(bounds.x(), 0);
    const double minY = finiteOr(bounds.y(), 0);
    const double top = finiteOr(topInset, defaultTopInset);
    const double bottom = finiteOr(bottomInset, defaultBottomInset);

    const double r = std::min(std::max(finiteOr(sideInsetRatio, defaultSideInsetRatio), 0.02), 0.28);
    const double cap = w / h > 1.9 ? h * 1.35 : w;
    const double width = std::min(w, std::max(w * 0.44, std::min(w * (1 - 2 * r), cap)));
    const double height = std::max(220.0, h - top - bottom);
    return QRectF(minX + (w - width) / 2, minY + top, width, height);
}
