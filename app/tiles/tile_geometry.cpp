#include "tiles/tile_geometry.h"

#include <algorithm>
#include <cmath>

QRectF TileGeometry::iconRect() const
{
    return QRectF((bounds.width() - iconSide) / 2, iconTop, iconSide, iconSide);
}

QRectF TileGeometry::labelRect() const
{
    return QRectF(labelInset, iconSide + labelGap, bounds.width() - 2 * labelInset, labelHeight);
}

QRectF TileGeometry::highlightPlate() const
{
    const double extra = showLabel ? highlightExtraWithLabel : highlightExtraWithoutLabel;
    return QRectF(1, 0, bounds.width() - 2, iconSide + extra);
}

QRectF TileGeometry::plateRect() const
{
    const double side = plateRatio * iconSide;
    return QRectF((bounds.width() - side) / 2, (iconSide - side) / 2 + iconTop, side, side);
}

QRectF TileGeometry::iconDestination(bool enlarged) const
{
    const double side = (enlarged ? mergeTargetIconScale : 1.0) * iconSide;
    return QRectF((bounds.width() - side) / 2, (iconSide - side) / 2 + iconTop, side, side);
}

EditModeBadge TileGeometry::deleteBadge(EditModeBadgePlacement placement) const
{
    return EditModeBadge(iconRect(), bounds, placement);
}

TileGeometry::MergePreview TileGeometry::mergePreview(const QRectF &r)
{
    MergePreview preview;
    const double plateWidth = 1.34 * r.width();
    const double plateHeight = 1.02 * r.height();
    preview.plate = QRectF(r.center().x() - plateWidth / 2, r.top() - 0.01 * r.height(), plateWidth, plateHeight);
    preview.cornerRadius = 0.24 * plateHeight;

    const double side = 0.52 * r.width();
    const double gap = 0.05 * r.width();
    const double x0 = preview.plate.center().x() - (2 * side + gap) / 2;
    const double y0 = preview.plate.center().y() - side / 2;
    preview.left = QRectF(x0, y0, side, side);
    preview.right = QRectF(x0 + side + gap, y0, side, side);
    return preview;
}

double TileGeometry::sanitizedScale(double scale)
{
    return std::isfinite(scale) && scale > 0 ? scale : scaleWithoutWindow;
}

double TileGeometry::snap(double value, double scale)
{
    const double s = sanitizedScale(scale);
    // std::round rounds halves away from zero: 2.5 device pixels become 3, -2.5 become -3.
    return std::round(value * s) / s;
}

QRectF TileGeometry::pixelAligned(const QRectF &rect, double scale)
{
    const double s = sanitizedScale(scale);
    const double minimum = 1 / s;
    return QRectF(snap(rect.x(), s), snap(rect.y(), s), std::max(minimum, snap(rect.width(), s)),
                  std::max(minimum, snap(rect.height(), s)));
}

int TileGeometry::devicePixelSide(double side, double scale)
{
    const double pixels = std::round(side * sanitizedScale(scale));
    // NaN fails both comparisons and ends at 1.
    if (!(pixels >= 1))
        return 1;
    if (pixels >= maximumDevicePixelSide)
        return maximumDevicePixelSide;
    return static_cast<int>(pixels);
}
