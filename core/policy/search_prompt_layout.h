#pragma once

#include <QRectF>
#include <QSizeF>

// Places the magnifier and the text field inside the search plate so that
// icon and text together stay centred on the plate whatever the text's width.
// Top-down plate coordinates.
struct SearchPromptLayout
{
    static constexpr double iconSide = 18;
    static constexpr double gap = 9;
    static constexpr double fieldInset = iconSide + gap;
    static constexpr double fieldHeight = 28;
    static constexpr double minimumSideInset = 14;
    static constexpr double textBaselineOffset = 4.75;
    static constexpr double defaultPlateHeight = 42;

    QSizeF plateSize;
    QRectF iconFrame;
    QRectF fieldFrame;
    double textWidth = 0;
    double textLeft = 0;
    bool isClamped = false;

    // Plate sizes below 1 (or not finite) count as 1; a negative or NaN
    // measured width as 0.
    SearchPromptLayout(double plateWidth, double plateHeight, double measuredTextWidth);

    double textVisualCenter() const { return fieldFrame.center().y() - textBaselineOffset; }
    double iconToTextGap() const { return textLeft - iconFrame.right(); }
    double groupCenter() const { return (iconFrame.left() + textLeft + textWidth) / 2; }
};
