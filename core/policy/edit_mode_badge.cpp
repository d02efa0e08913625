#include "edit_mode_badge.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSideRatio = 0.16;
constexpr double kMinimumSide = 14;
constexpr double kMaximumSide = 22;
// Margin that keeps the badge off the tile's very edge.
constexpr double kTileMargin = 1;

double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

QRectF sanitized(const QRectF &rect)
{
    return QRectF(finiteOrZero(rect.x()), finiteOrZero(rect.y()), finiteOrZero(rect.width()),
                  finiteOrZero(rect.height()))
        .normalized();
}

} // namespace

EditModeBadge::EditModeBadge(const QRectF &iconRect, const QRectF &tileBounds, EditModeBadgePlacement placement)
{
    const QRectF icon = sanitized(iconRect);
    const QRectF tile = sanitized(tileBounds);
    const double width = icon.width();

    const double side = std::min(std::max(width * kSideRatio, kMinimumSide), kMaximumSide);
    const double inset = width * artworkInsetRatio;
    const double overhang = side * centerOverhangRatio;

    const double centerX = placement == EditModeBadgePlacement::topLeft ? icon.left() + inset - overhang
                                                                          : icon.right() - inset + overhang;
    const double centerY = icon.top() + inset - overhang;

    const double proposedX = centerX - side / 2;
    const double proposedY = centerY - side / 2;
    // The lower bound wins in a tile too small for the badge.
    const double x = std::max(tile.left() + kTileMargin, std::min(proposedX, tile.right() - side - kTileMargin));
    const double y = std::max(tile.top() + kTileMargin, std::min(proposedY, tile.bottom() - side - kTileMargin));
    rect = QRectF(x, y, side, side);
}

double EditModeBadge::crossLineWidth() const
{
    return std::max(crossLineWidthMinimum, rect.width() * crossLineWidthRatio);
}

bool EditModeBadge::hitTest(QPointF point, double slack) const
{
    const double left = rect.left() - slack;
    const double right = rect.right() + slack;
    const double top = rect.top() - slack;
    const double bottom = rect.bottom() + slack;
    return point.x() >= left && point.x() <= right && point.y() >= top && point.y() <= bottom;
}
