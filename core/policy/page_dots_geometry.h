#pragma once

#include <QPointF>
#include <QRectF>

#include <optional>

// The row of page dots, one per page, centred in its strip: where each dot
// stands and which dot a click hits. Drawing and hit-testing share it.
struct PageDotsGeometry
{
    static constexpr double diameter = 7;
    // Centre to centre; the space between two dots is gap - diameter.
    static constexpr double gap = 15;
    // Extra horizontal reach of a click around a dot.
    static constexpr double hitSlack = 3.5;

    static double totalWidth(int count);
    static double centerX(int index, int count, double width);
    static QRectF dotRect(int index, int count, double width, double height);
    // Only x is tested. None for a single dot (not clickable), no dots, a
    // click between dots, or a position that is not finite.
    static std::optional<int> index(const QPointF &point, int count, double width);
};
