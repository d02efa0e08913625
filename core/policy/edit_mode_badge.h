#pragma once

#include "edit_mode_badge_placement.h"

#include <QPointF>
#include <QRectF>

// The square delete badge of a tile in edit mode, in the tile's top-down
// coordinates: centred on the icon artwork's chosen top corner, nudged
// outward, and kept one point inside the tile.
struct EditModeBadge
{
    static constexpr double crossArmRatio = 0.18;
    static constexpr double crossLineWidthRatio = 0.062;
    static constexpr double crossLineWidthMinimum = 1.1;
    // How far the visible artwork's corner sits inside the icon's square.
    static constexpr double artworkInsetRatio = 0.118;
    static constexpr double centerOverhangRatio = 0.02;

    QRectF rect;

    // Rectangles with a negative size are taken by their extent; NaN or
    // infinite coordinates count as 0, so the badge is always finite.
    EditModeBadge(const QRectF &iconRect, const QRectF &tileBounds, EditModeBadgePlacement placement);

    // Half-length of each stroke of the drawn cross.
    double crossArm() const { return rect.width() * crossArmRatio; }
    double crossLineWidth() const;
    // Whether the point lies in the badge grown by `slack` on every side
    // (edges included); a negative slack shrinks it.
    bool hitTest(QPointF point, double slack = 5) const;

    friend bool operator==(const EditModeBadge &, const EditModeBadge &) = default;
};
