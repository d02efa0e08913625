#pragma once

#include <QRectF>
#include <QSizeF>

#include <optional>

// The page dots of an open folder, centred in their strip.
struct FolderDotsGeometry
{
    static constexpr double diameter = 6.5;
    static constexpr double gap = 16; // between neighbouring centres

    // The dot of page `index` in a strip of `size`.
    static QRectF dotRect(int index, int pageCount, const QSizeF &size);
    // The page a click at `x` selects: the whole strip is the hit area, left of
    // the first dot is page 0, right of the last is the last page. None with
    // fewer than two pages.
    static std::optional<int> pageAt(double x, int pageCount, double width);
};
