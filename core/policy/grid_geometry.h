#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <algorithm>
#include <optional>

// One page of the icon grid: from a grid size, a content rectangle and an
// icon scale, the spacing, cell size, origin and icon side, and the questions
// the views ask of a page. Flipped coordinates: y grows downwards, row 0 is
// the top row. Cells are numbered row by row from the top-left cell.
struct GridGeometry
{
    static constexpr double systemIconSide = 132;
    static constexpr int defaultColumns = 7;
    static constexpr int defaultRows = 5;
    static constexpr double defaultSideInsetRatio = 0.16;
    static constexpr double defaultTopInset = 138;
    static constexpr double defaultBottomInset = 112;

    int columns = defaultColumns;
    int rows = defaultRows;
    QRectF contentRect;
    QSizeF cellSize;
    double horizontalSpacing = 0;
    double verticalSpacing = 0;
    QPointF origin;
    double iconScale = 1;

    // Fewer than one column or row counts as one; the icon scale is kept
    // within 0.75 ... 1.25 (NaN counts as 1). A content rectangle too small
    // for its spacings, empty, negative or not finite yields cells of zero
    // size, never negative ones.
    GridGeometry(int columns, int rows, const QRectF &contentRect, double iconScale = 1);
    explicit GridGeometry(const QRectF &contentRect)
        : GridGeometry(defaultColumns, defaultRows, contentRect)
    {
    }

    // columns × rows, at least 1 (and at most INT_MAX).
    int pageSize() const;
    double iconSide() const;

    // Indices past the last row give rectangles below the grid.
    QRectF frame(int index) const;
    // The cell that contains the point (maximum edges exclusive); none in the
    // spacing, outside the grid or for a point that is not finite.
    std::optional<int> index(const QPointF &point) const;
    // The slot a dropped entry goes to, always within 0 ... entryCount (0 for
    // a negative count). A point on the right half of a cell inserts after it.
    int insertionIndex(const QPointF &point, int entryCount) const;

    // The part of a cell that counts as a hit on its tile: the icon (widened
    // horizontally by the slack) and, with a label, the label below it.
    static QRectF iconHitRect(const QRectF &cell, double iconSide, bool hasLabel, double slack = 0);
    // The grid area of a view: side margins, top and bottom insets, and a cap
    // on very wide screens.
    static QRectF contentRectIn(const QRectF &bounds, double sideInsetRatio = defaultSideInsetRatio,
                                double topInset = defaultTopInset, double bottomInset = defaultBottomInset);

    // Consecutive pages of max(1, pageSize) items; an empty list gives one
    // empty page, a non-empty one never an empty page.
    template <typename T>
    static QList<QList<T>> chunk(const QList<T> &items, int pageSize)
    {
        const qsizetype size = std::max(1, pageSize);
        if (items.isEmpty())
            return {QList<T>()};
        QList<QList<T>> pages;
        pages.reserve((items.size() + size - 1) / size);
        for (qsizetype start = 0; start < items.size(); start += size)
            pages.append(items.mid(start, size));
        return pages;
    }

    friend bool operator==(const GridGeometry &, const GridGeometry &) = default;
};
