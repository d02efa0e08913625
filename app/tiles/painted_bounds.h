#pragma once

#include <QImage>
#include <QRect>

namespace PaintedBounds {

// The smallest rectangle of `area` (in the image's pixels) holding every
// pixel that is not fully transparent; empty when there is none. The image
// is premultiplied ARGB32, where a transparent pixel is all zero. Drawing
// only this part of a mostly empty picture (a tile's cell around its icon
// and name, a grid's gaps) spares the filtering of the empty rest.
QRect of(const QImage &image, const QRect &area);

} // namespace PaintedBounds
