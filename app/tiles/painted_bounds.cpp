#include "tiles/painted_bounds.h"

namespace {

// Most of a tile's rectangle is empty: the searches below OR whole blocks of
// pixels together without a branch, which the compiler turns into vector
// code, and look at single pixels only in the block that holds paint.
constexpr int kBlock = 16;

// The first painted pixel of line[from, to); `to` when there is none.
int firstPainted(const quint32 *line, int from, int to)
{
    int x = from;
    for (; x + kBlock <= to; x += kBlock) {
        quint32 bits = 0;
        for (int i = 0; i < kBlock; ++i)
            bits |= line[x + i];
        if (bits != 0)
            break;
    }
    for (; x < to; ++x) {
        if (line[x] != 0)
            return x;
    }
    return to;
}

// The last painted pixel of line[from, to); `from - 1` when there is none.
int lastPainted(const quint32 *line, int from, int to)
{
    int x = to;
    for (; x - kBlock >= from; x -= kBlock) {
        quint32 bits = 0;
        for (int i = 1; i <= kBlock; ++i)
            bits |= line[x - i];
        if (bits != 0)
            break;
    }
    for (; x > from; --x) {
        if (line[x - 1] != 0)
            return x - 1;
    }
    return from - 1;
}

} // namespace

QRect PaintedBounds::of(const QImage &image, const QRect &area)
{
    const QRect bounds = area.intersected(image.rect());
    if (bounds.isEmpty())
        return {};
    const int begin = bounds.left();
    const int end = bounds.right() + 1;
    auto row = [&](int y) { return reinterpret_cast<const quint32 *>(image.constScanLine(y)); };
    auto rowHasPaint = [&](int y) { return firstPainted(row(y), begin, end) < end; };
    int top = bounds.top();
    while (top <= bounds.bottom() && !rowHasPaint(top))
        ++top;
    if (top > bounds.bottom())
        return {};
    int bottom = bounds.bottom();
    while (!rowHasPaint(bottom))
        --bottom;
    int left = bounds.right();
    int right = bounds.left();
    for (int y = top; y <= bottom; ++y) {
        const quint32 *line = row(y);
        left = firstPainted(line, begin, left);
        right = lastPainted(line, right + 1, end);
    }
    if (right < left)
        right = left; // a single column
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

