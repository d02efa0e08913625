#include "x11/window_background.h"

#include <bit>
#include <cmath>

namespace {

// `value` in [0, 1] at the width and place of `mask`'s bits.
std::uint32_t channel(double value, std::uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const std::uint32_t maximum = mask >> shift;
    return (std::uint32_t(std::lround(value * maximum)) << shift) & mask;
}

} // namespace

std::uint32_t windowBackgroundPixel(const QColor &color, int depth, std::uint32_t redMask, std::uint32_t greenMask,
                                    std::uint32_t blueMask)
{
    const QColor rgb = color.toRgb();
    const double alpha = rgb.alphaF();
    std::uint32_t pixel = channel(rgb.redF() * alpha, redMask) | channel(rgb.greenF() * alpha, greenMask)
                          | channel(rgb.blueF() * alpha, blueMask);
    if (depth == 32) {
        const std::uint32_t alphaMask = ~(redMask | greenMask | blueMask);
        pixel |= channel(alpha, alphaMask);
    }
    return pixel;
}
