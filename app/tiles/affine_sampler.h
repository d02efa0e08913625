#pragma once

#include <QImage>
#include <QRect>
#include <QTransform>

#include <vector>

// Filtered drawing of a premultiplied picture under an affine transform into
// a plain buffer, for the pictures a tile moves on every frame of the edit
// wobble. QPainter's filtered path for a rotation gathers its four samples
// per pixel with vector gathers, which cost more than the rest of a frame on
// many processors; this walks each row with fixed-point steps instead.
//
// The sampling is QPainter's for a turned picture (SmoothPixmapTransform):
// each target pixel's centre is mapped back into the picture and the four
// nearest picture pixels are weighed by the distance, in sixteenths of a
// pixel inside the picture and in 1/256 at its edges, where whatever lies
// outside counts as transparent.
namespace AffineSampler {

// A picture made ready for drawing many times: premultiplied, with each
// row's first and last pixel that is not transparent, so that a draw skips
// the empty room around what is painted without weighing it.
struct Picture
{
    Picture() = default;
    explicit Picture(const QImage &source);

    QImage image; // Format_ARGB32_Premultiplied
    std::vector<int> left; // per row; left > right for a transparent row
    std::vector<int> right;
};

// Fills `target` (Format_ARGB32_Premultiplied) with the picture drawn under
// `sourceToTarget`, which maps picture pixels to target pixels; target
// pixels the picture does not reach become transparent. False, and `target`
// untouched, for an empty picture, another target format or a transform
// that cannot be inverted or is a projection.
// Uses the fastest way of weighing that the processor has (see Path).
bool draw(const Picture &picture, const QTransform &sourceToTarget, QImage &target);

// Lays the picture drawn under `sourceToFrame` over the pixels of `target`
// (Format_ARGB32_Premultiplied or Format_RGB32) inside `clip` (target
// pixels), as QPainter blends a premultiplied image onto them (source over,
// full opacity): the pixels are those draw() gives an image the size of
// `frame` that is then drawn at frame's top left, and those draw() leaves
// transparent are left alone. `sourceToFrame` maps picture pixels to the
// frame's. A draw cut into several clips gives the pixels of one. False,
// and `target` untouched, where draw() would refuse or for another format.
bool drawOver(const Picture &picture, const QTransform &sourceToFrame, QImage &target, const QRect &frame,
              const QRect &clip);

// The ways of weighing the four picture pixels inside the picture. All give
// the same pixels; they differ in how many they weigh at once.
enum class Path {
    Portable, // two at a time with SSE2 on x86, one at a time elsewhere
    Avx2, // eight at a time where a row walks the picture one pixel a step
};

// Whether this processor (and this build) can draw by `path`.
bool supports(Path path);

// draw() and drawOver() by the given path; false, and `target` untouched,
// where supports(path) is false.
bool draw(const Picture &picture, const QTransform &sourceToTarget, QImage &target, Path path);
bool drawOver(const Picture &picture, const QTransform &sourceToFrame, QImage &target, const QRect &frame,
              const QRect &clip, Path path);

} // namespace AffineSampler
