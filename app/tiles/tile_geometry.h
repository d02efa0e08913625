#pragma once

#include "policy/edit_mode_badge.h"
#include "policy/edit_mode_badge_placement.h"

#include <QRectF>

// Where everything of a tile goes, in the tile's top-down coordinates, and
// how rectangles are aligned to device pixels. Plain values, so the layout
// can be checked without painting.
struct TileGeometry
{
    static constexpr double defaultIconSide = 88;
    // Folder plate, icon placeholder and drag placeholder: a share of the icon side.
    static constexpr double plateRatio = 0.86;
    static constexpr double plateCornerRatio = 0.22;
    static constexpr double iconTop = 4;
    static constexpr double labelGap = 10;
    static constexpr double labelInset = 2;
    static constexpr double labelHeight = 38;
    static constexpr double highlightExtraWithLabel = 46;
    static constexpr double highlightExtraWithoutLabel = 8;
    static constexpr double highlightCornerRadius = 14;
    // An application icon grows by this factor while another tile hovers over it.
    static constexpr double mergeTargetIconScale = 1.1;
    // Larger rasters are never made, whatever side is asked for: a bad grid
    // value must not allocate gigabytes.
    static constexpr int maximumDevicePixelSide = 4096;
    // The rendering scale of a view that is in no window.
    static constexpr double scaleWithoutWindow = 2;

    // The tile's own rectangle, origin normally (0, 0).
    QRectF bounds;
    double iconSide = defaultIconSide;
    bool showLabel = true;

    TileGeometry(const QRectF &bounds, double iconSide, bool showLabel)
        : bounds(bounds), iconSide(iconSide), showLabel(showLabel)
    {
    }

    // ((W - s) / 2, 4, s, s).
    QRectF iconRect() const;
    // (2, s + 10, W - 4, 38): one line, centred, truncated at the tail.
    QRectF labelRect() const;
    // (1, 0, W - 2, s + 46), or s + 8 high without a label.
    QRectF highlightPlate() const;
    // The square of side 0.86 s centred on the icon rectangle: folder plate,
    // icon placeholder and drag placeholder.
    QRectF plateRect() const;
    double plateCornerRadius() const { return plateRect().width() * plateCornerRatio; }
    // Where an application icon goes before snapping; enlarged about the
    // icon rectangle's centre for a merge target.
    QRectF iconDestination(bool enlarged) const;
    EditModeBadge deleteBadge(EditModeBadgePlacement placement) const;

    // The folder-to-be drawn over a tile while another hovers on it: a plate
    // wider than the icon and the two icons side by side (before snapping).
    struct MergePreview
    {
        QRectF plate;
        double cornerRadius = 0;
        QRectF left;
        QRectF right;
    };
    static MergePreview mergePreview(const QRectF &iconRect);

    // A usable scale: non-finite or non-positive values count as the scale
    // of a view in no window.
    static double sanitizedScale(double scale);
    // round(v x s) / s, halves away from zero.
    static double snap(double value, double scale);
    // Origin and size snapped separately; no side below one device pixel.
    static QRectF pixelAligned(const QRectF &rect, double scale);
    // The side in device pixels of a raster for `side` points: at least 1,
    // at most maximumDevicePixelSide.
    static int devicePixelSide(double side, double scale);
};
