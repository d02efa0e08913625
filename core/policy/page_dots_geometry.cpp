#include "page_dots_geometry.h"

#include <cmath>

double PageDotsGeometry::totalWidth(int count)
{
    if (count < 1)
        return 0;
    if (count == 1)
        return diameter;
    // In doubles: the count of dots must not overflow the width arithmetic.
    return double(count) * diameter + (double(count) - 1) * (gap - diameter);
}

double PageDotsGeometry::centerX(int index, int count, double width)
{
    return (width - totalWidth(count)) / 2 + double(index) * gap + diameter / 2;
}

QRectF PageDotsGeometry::dotRect(int index, int count, double width, double height)
{
    return QRectF(centerX(index, count, width) - diameter / 2, (height - diameter) / 2, diameter, diameter);
}

std::optional<int> PageDotsGeometry::index(const QPointF &point, int count, double width)
{
    if (count <= 1)
        return std::nullopt;
    const double reach = diameter / 2 + hitSlack;
    // The hit zones (14 wide, 15 apart) never overlap, so only the one or two
    // dots nearest to the point can be hit; no need to walk every dot.
    const double position = (point.x() - centerX(0, count, width)) / gap;
    if (!std::isfinite(position))
        return std::nullopt;
    const double nearest = std::floor(position);
    for (double candidate : {nearest, nearest + 1}) {
        if (candidate < 0 || candidate >= count)
            continue;
        const int i = int(candidate);
        if (std::abs(point.x() - centerX(i, count, width)) <= reach)
            return i;
    }
    return std::nullopt;
}
