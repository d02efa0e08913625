#pragma once

#include <QColor>

#include <cstdint>

// The pixel value an X window of `depth` bits, with a TrueColor visual of the
// given channel masks, needs for the server to fill it with `color`.
//
// A 32-bit window has an alpha channel (the bits no colour mask takes) and
// holds premultiplied colour, as compositing managers expect. A window
// without alpha shows `color` as it would look over black: what an X server
// without a compositing manager shows of a translucent window, so the two
// kinds of window look alike there.
std::uint32_t windowBackgroundPixel(const QColor &color, int depth, std::uint32_t redMask, std::uint32_t greenMask,
                                    std::uint32_t blueMask);
