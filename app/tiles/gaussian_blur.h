#pragma once

#include <QImage>
#include <QList>

// A Gaussian blur on QImage, approximated by three successive box blurs per
// axis (each pass costs the same whatever the radius). Pixels outside the
// image count as transparent, so the edges fade out. Pure function of its
// input: safe on any thread.
class GaussianBlur
{
public:
    GaussianBlur() = delete;

    // `sigma` is the standard deviation in pixels. The result is
    // premultiplied ARGB32 of the input's size; sigma <= 0 only converts.
    static QImage apply(const QImage &image, double sigma);

    // The odd widths of the `passes` boxes whose succession matches a
    // Gaussian of that standard deviation.
    static QList<int> boxWidths(double sigma, int passes = 3);
};
