#include "folders/folder_dots_geometry.h"

#include <algorithm>
#include <cmath>

QRectF FolderDotsGeometry::dotRect(int index, int pageCount, const QSizeF &size)
{
    const double firstCentre = (size.width() - pageCount * gap) / 2 + gap / 2;
    return QRectF(firstCentre + index * gap - diameter / 2, (size.height() - diameter) / 2, diameter, diameter);
}

std::optional<int> FolderDotsGeometry::pageAt(double x, int pageCount, double width)
{
    if (pageCount <= 1 || !std::isfinite(x))
        return std::nullopt;
    const double left = (width - pageCount * gap) / 2;
    const double index = std::floor((x - left) / gap);
    return int(std::clamp(index, 0.0, double(pageCount - 1)));
}
