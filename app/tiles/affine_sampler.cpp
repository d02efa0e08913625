#include "tiles/affine_sampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// AVX2 is chosen at run time, so the build does not ask for it: only the
// functions that use it are compiled for it.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define AFFINE_SAMPLER_AVX2 1
#include <immintrin.h>
#endif

namespace {

// Fixed point of the sample positions: 16 bits of fraction.
constexpr int kFixedOne = 1 << 16;

// a * (256 - t) + b * t, over 256, for the four channels at once.
inline quint32 blend256(quint32 a, quint32 b, quint32 t)
{
    const quint32 s = 256 - t;
    const quint32 redBlue = (((a & 0x00ff00ffu) * s + (b & 0x00ff00ffu) * t) >> 8) & 0x00ff00ffu;
    const quint32 alphaGreen = (((a >> 8) & 0x00ff00ffu) * s + ((b >> 8) & 0x00ff00ffu) * t) & 0xff00ff00u;
    return redBlue | alphaGreen;
}

// At the picture's edges: the distances in 1/256 of a pixel, each row
// weighed first, then the two rows.
inline quint32 edgeBilinear(quint32 tl, quint32 tr, quint32 bl, quint32 br, quint32 distX, quint32 distY)
{
    return blend256(blend256(tl, tr, distX), blend256(bl, br, distX), distY);
}

// Inside: the distances rounded to sixteenths of a pixel (0 to 16), the four
// weights taken at once, and the sum over 256 with the remainder dropped.
inline quint32 sixteenth(int fixed)
{
    return ((quint32(fixed & 0xffff) >> 8) + 8) >> 4;
}

#if defined(__SSE2__)
// The four pixels at p, p + 1, p + stride, p + stride + 1, all inside the
// picture: each pair of neighbours is one 8-byte load, and the channels are
// weighed in 16-bit lanes (255 * 256 at most).
inline quint32 inner(const quint32 *p, qsizetype stride, quint32 distX, quint32 distY)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)), zero);
    const __m128i bottom = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p + stride)), zero);
    const int both = int(distX * distY);
    const __m128i topWeights = _mm_unpacklo_epi64(_mm_set1_epi16(short(256 - 16 * int(distX + distY) + both)),
                                                  _mm_set1_epi16(short(16 * int(distX) - both)));
    const __m128i bottomWeights
        = _mm_unpacklo_epi64(_mm_set1_epi16(short(16 * int(distY) - both)), _mm_set1_epi16(short(both)));
    __m128i sum = _mm_add_epi16(_mm_mullo_epi16(top, topWeights), _mm_mullo_epi16(bottom, bottomWeights));
    sum = _mm_srli_epi16(_mm_add_epi16(sum, _mm_unpackhi_epi64(sum, sum)), 8);
    return quint32(_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum)));
}

// Two neighbouring target pixels whose samples start at picture pixels p
// and p + 1: each is weighed along its two picture rows first, then across
// them, which sums the same products as inner() (255 * 16 at most along a
// row, 255 * 256 across).
inline void innerPair(const quint32 *p, qsizetype stride, quint32 distX, quint32 distY, quint32 nextDistX,
                      quint32 nextDistY, quint32 *out)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i sixteen = _mm_set1_epi16(16);
    // Lanes 0 to 3 hold q[0], lanes 4 to 7 q[1].
    const auto load = [zero](const quint32 *q) {
        return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(q)), zero);
    };
    // Lanes 0 to 3 weigh for the first pixel, 4 to 7 for the second.
    const __m128i right = _mm_unpacklo_epi64(_mm_set1_epi16(short(distX)), _mm_set1_epi16(short(nextDistX)));
    const __m128i down = _mm_unpacklo_epi64(_mm_set1_epi16(short(distY)), _mm_set1_epi16(short(nextDistY)));
    const __m128i left = _mm_sub_epi16(sixteen, right);
    const __m128i up = _mm_sub_epi16(sixteen, down);
    const __m128i top = _mm_add_epi16(_mm_mullo_epi16(load(p), left), _mm_mullo_epi16(load(p + 1), right));
    const __m128i bottom
        = _mm_add_epi16(_mm_mullo_epi16(load(p + stride), left), _mm_mullo_epi16(load(p + stride + 1), right));
    const __m128i sum = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(top, up), _mm_mullo_epi16(bottom, down)), 8);
    _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_packus_epi16(sum, sum));
}
#else
inline quint32 inner(const quint32 *p, qsizetype stride, quint32 distX, quint32 distY)
{
    const quint32 tl = p[0];
    const quint32 tr = p[1];
    const quint32 bl = p[stride];
    const quint32 br = p[stride + 1];
    const quint32 both = distX * distY;
    const quint32 wTopLeft = 256 - 16 * distX - 16 * distY + both;
    const quint32 wTopRight = 16 * distX - both;
    const quint32 wBottomLeft = 16 * distY - both;
    const quint32 redBlue = (tl & 0x00ff00ffu) * wTopLeft + (tr & 0x00ff00ffu) * wTopRight
                            + (bl & 0x00ff00ffu) * wBottomLeft + (br & 0x00ff00ffu) * both;
    const quint32 alphaGreen = ((tl >> 8) & 0x00ff00ffu) * wTopLeft + ((tr >> 8) & 0x00ff00ffu) * wTopRight
                               + ((bl >> 8) & 0x00ff00ffu) * wBottomLeft + ((br >> 8) & 0x00ff00ffu) * both;
    return ((redBlue >> 8) & 0x00ff00ffu) | (alphaGreen & 0xff00ff00u);
}

inline void innerPair(const quint32 *p, qsizetype stride, quint32 distX, quint32 distY, quint32 nextDistX,
                      quint32 nextDistY, quint32 *out)
{
    out[0] = inner(p, stride, distX, distY);
    out[1] = inner(p + 1, stride, nextDistX, nextDistY);
}
#endif

// Makes the ends of a target row transparent, [0, from) and [to, columns),
// and perhaps some pixels between. Their lengths differ from row to row,
// which costs a call to memset a mispredicted branch or two each time;
// stores of 16 pixels at each end, enough for most rows, cost less.
inline void clearEnds(quint32 *out, int from, int to, int columns)
{
#if defined(__SSE2__)
    constexpr int kReach = 16;
    if (columns >= kReach) {
        const __m128i zero = _mm_setzero_si128();
        const auto clear = [&](int at) {
            for (int i = 0; i < kReach; i += 4)
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out + at + i), zero);
        };
        clear(0);
        for (int at = kReach; at < from; at += kReach)
            clear(std::min(at, columns - kReach));
        clear(columns - kReach);
        for (int at = to; at < columns - kReach; at += kReach)
            clear(at);
        return;
    }
#endif
    std::fill(out, out + from, 0u);
    std::fill(out + to, out + columns, 0u);
}

// x * a / 255 for the four channels at once, rounded as QPainter rounds it.
inline quint32 byteMul(quint32 x, quint32 a)
{
    quint32 redBlue = (x & 0x00ff00ffu) * a;
    redBlue = ((redBlue + ((redBlue >> 8) & 0x00ff00ffu) + 0x00800080u) >> 8) & 0x00ff00ffu;
    quint32 alphaGreen = ((x >> 8) & 0x00ff00ffu) * a;
    alphaGreen = (alphaGreen + ((alphaGreen >> 8) & 0x00ff00ffu) + 0x00800080u) & 0xff00ff00u;
    return redBlue | alphaGreen;
}

// One premultiplied pixel over another, as QPainter blends a premultiplied
// image (source over, full opacity): an opaque pixel replaces, a
// transparent one leaves the pixel under it as it is.
inline void over(quint32 source, quint32 &destination)
{
    if (source >= 0xff000000u)
        destination = source;
    else if (source != 0)
        destination = source + byteMul(destination, 255 - (source >> 24));
}

// out[0] to out[count - 1] laid over destination[0] to destination[count - 1].
using OverRun = void (*)(const quint32 *out, quint32 *destination, int count);

#if defined(__SSE2__)
// Four pixels at a time, the same arithmetic as over() in 16-bit lanes.
inline __m128i over4(__m128i source, __m128i destination)
{
    const __m128i alphas = _mm_srli_epi32(source, 24);
    const __m128i inverse = _mm_sub_epi16(_mm_set1_epi16(255), _mm_or_si128(alphas, _mm_slli_epi32(alphas, 16)));
    const __m128i half = _mm_set1_epi16(0x80);
    __m128i redBlue = _mm_mullo_epi16(_mm_and_si128(destination, _mm_set1_epi32(0x00ff00ff)), inverse);
    __m128i alphaGreen = _mm_mullo_epi16(_mm_srli_epi16(destination, 8), inverse);
    redBlue = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(redBlue, _mm_srli_epi16(redBlue, 8)), half), 8);
    alphaGreen = _mm_andnot_si128(_mm_set1_epi32(0x00ff00ff),
                                  _mm_add_epi16(_mm_add_epi16(alphaGreen, _mm_srli_epi16(alphaGreen, 8)), half));
    return _mm_add_epi8(source, _mm_or_si128(redBlue, alphaGreen));
}
#endif

void overRunPortable(const quint32 *out, quint32 *destination, int count)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i alphaMask = _mm_set1_epi32(int(0xff000000u));
    for (; i + 4 <= count; i += 4) {
        const __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i *>(out + i));
        const __m128i alphas = _mm_and_si128(source, alphaMask);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(alphas, alphaMask)) == 0xffff) {
            _mm_storeu_si128(reinterpret_cast<__m128i *>(destination + i), source);
        } else if (_mm_movemask_epi8(_mm_cmpeq_epi32(source, _mm_setzero_si128())) != 0xffff) {
            __m128i *at = reinterpret_cast<__m128i *>(destination + i);
            _mm_storeu_si128(at, over4(source, _mm_loadu_si128(at)));
        }
    }
#endif
    for (; i < count; ++i)
        over(out[i], destination[i]);
}

// The pixels of a row whose four samples all lie inside the picture: the
// first sampled at (fx, fy), `count` of them into out[0] to out[count - 1].
using InsideRun = void (*)(const quint32 *pixels, qsizetype stride, int fx, int fy, int stepX, int stepY, int count,
                           quint32 *out);

// One or two of those pixels, the first at (fx, fy), no more than `count`;
// returns how many.
inline int insideStep(const quint32 *pixels, qsizetype stride, int fx, int fy, int stepX, int stepY, int count,
                      quint32 *out)
{
    const int x = fx >> 16;
    const int y = fy >> 16;
    const quint32 *p = pixels + y * stride + x;
    const int nextX = fx + stepX;
    const int nextY = fy + stepY;
    // Turned a little, a row walks the picture one pixel a step and
    // mostly stays between the same two picture rows.
    if (count >= 2 && (nextX >> 16) == x + 1 && (nextY >> 16) == y) {
        innerPair(p, stride, sixteenth(fx), sixteenth(fy), sixteenth(nextX), sixteenth(nextY), out);
        return 2;
    }
    out[0] = inner(p, stride, sixteenth(fx), sixteenth(fy));
    return 1;
}

void insideRunPortable(const quint32 *pixels, qsizetype stride, int fx, int fy, int stepX, int stepY, int count,
                       quint32 *out)
{
    for (int column = 0; column < count;) {
        const int done = insideStep(pixels, stride, fx, fy, stepX, stepY, count - column, out + column);
        column += done;
        fx += done * stepX;
        fy += done * stepY;
    }
}

#if defined(AFFINE_SAMPLER_AVX2)
__attribute__((target("avx2"))) inline __m256i load(const quint32 *p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
}

// The sixteenths of eight positions (as sixteenth() gives them), both at
// once: across in the upper 16 bits of each 32-bit lane, along in the lower.
__attribute__((target("avx2"))) inline __m256i sixteenths(__m256i fx, __m256i fy)
{
    const __m256i fractions = _mm256_blend_epi16(fx, _mm256_slli_epi32(fy, 16), 0xaa);
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_srli_epi16(fractions, 8), _mm256_set1_epi16(8)), 4);
}

// Weighs four of eight pixels whose samples start at neighbouring picture
// pixels: `top` and `bottom` hold the bytes of p[k] and p[k + 1] in turn
// for each of the four, `right` the weights of the two as bytes for each of
// their channels, `down` the sixteenths across in 16-bit lanes. The
// channels are weighed in 16-bit lanes: 255 * 16 at most along a row,
// 255 * 256 across (which wraps in a signed lane but is right once shifted
// down unsigned).
__attribute__((target("avx2"))) inline __m256i weighFour(__m256i top, __m256i bottom, __m256i right, __m256i down)
{
    const __m256i upper = _mm256_maddubs_epi16(top, right);
    const __m256i lower = _mm256_maddubs_epi16(bottom, right);
    const __m256i sum
        = _mm256_add_epi16(_mm256_slli_epi16(upper, 4), _mm256_mullo_epi16(_mm256_sub_epi16(lower, upper), down));
    return _mm256_srli_epi16(sum, 8);
}

// Eight pixels whose samples start at eight neighbouring picture pixels:
// `top0` and `top1` hold the upper of each one's two picture rows at the
// pixel and the next, `bottom0` and `bottom1` the lower; `distances` their
// sixteenths (sixteenths()). Each pixel is weighed along its rows first,
// then across, summing the same products as inner() (and as innerPair(), in
// the same 16-bit lanes), so the pixels are the same to the bit.
__attribute__((target("avx2"))) inline __m256i weighEight(__m256i top0, __m256i top1, __m256i bottom0,
                                                          __m256i bottom1, __m256i distances)
{
    // The byte unpacks bring together the first two pixels of each 128-bit
    // half, then the last two: these spread each one's weights (the 16
    // bits along or across) over its four channels.
    const __m256i alongFirst = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5, //
                                                0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5);
    const __m256i alongLast = _mm256_setr_epi8(8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13, //
                                               8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13);
    const __m256i acrossFirst = _mm256_setr_epi8(2, 3, 2, 3, 2, 3, 2, 3, 6, 7, 6, 7, 6, 7, 6, 7, //
                                                 2, 3, 2, 3, 2, 3, 2, 3, 6, 7, 6, 7, 6, 7, 6, 7);
    const __m256i acrossLast = _mm256_setr_epi8(10, 11, 10, 11, 10, 11, 10, 11, 14, 15, 14, 15, 14, 15, 14, 15, //
                                                10, 11, 10, 11, 10, 11, 10, 11, 14, 15, 14, 15, 14, 15, 14, 15);
    // The weights of a pixel's two neighbours along a row as two bytes,
    // 16 - d in the lower and d in the upper: 255 * d + 16.
    const __m256i alongRow
        = _mm256_add_epi16(_mm256_mullo_epi16(distances, _mm256_set1_epi16(255)), _mm256_set1_epi16(16));
    const __m256i first = weighFour(_mm256_unpacklo_epi8(top0, top1), _mm256_unpacklo_epi8(bottom0, bottom1),
                                    _mm256_shuffle_epi8(alongRow, alongFirst),
                                    _mm256_shuffle_epi8(distances, acrossFirst));
    const __m256i last = weighFour(_mm256_unpackhi_epi8(top0, top1), _mm256_unpackhi_epi8(bottom0, bottom1),
                                   _mm256_shuffle_epi8(alongRow, alongLast), _mm256_shuffle_epi8(distances, acrossLast));
    // Packed back within each half: pixels 0 to 7 in order.
    return _mm256_packus_epi16(first, last);
}

// As insideRunPortable, eight pixels at a time wherever their samples start
// at eight neighbouring picture pixels: then the eight and the eight after
// them are one load per picture row. Turned a little, a row of eight
// mostly lies between the same two picture rows, and now and then moves on
// by one part way: then its pixels take their rows from three. Not inlined:
// on its own the loop keeps its constants in registers.
__attribute__((target("avx2"), noinline)) void insideRunAvx2(const quint32 *pixels, qsizetype stride, int fx, int fy,
                                                             int stepX, int stepY, int count, quint32 *out)
{
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i stepsX = _mm256_mullo_epi32(_mm256_set1_epi32(stepX), lanes);
    const __m256i stepsY = _mm256_mullo_epi32(_mm256_set1_epi32(stepY), lanes);
    const __m256i eightStepsX = _mm256_set1_epi32(8 * stepX);
    const __m256i eightStepsY = _mm256_set1_epi32(8 * stepY);
    // The eight positions from `column` on.
    __m256i fxs = _mm256_add_epi32(_mm256_set1_epi32(fx), stepsX);
    __m256i fys = _mm256_add_epi32(_mm256_set1_epi32(fy), stepsY);
    const int fx0 = fx;
    const int fy0 = fy;
    bool tail = false;
    int column = 0;
    while (column < count) {
        const int x = fx >> 16;
        const int y = fy >> 16;
        const int lastY = (fy + 7 * stepY) >> 16;
        // Positions only grow or only shrink along a row: if the eighth
        // sample is seven picture pixels on, every one between takes one
        // step of a pixel, and if it is at most a picture row away, those
        // between are in its row or in the first one's.
        if (count - column >= 8 && ((fx + 7 * stepX) >> 16) == x + 7 && unsigned(lastY - y + 1) <= 2) {
            const int upper = std::min(y, lastY);
            const quint32 *p = pixels + upper * stride + x;
            const __m256i distances = sixteenths(fxs, fys);
            // Each target row needs one picture row the row before did
            // not, and in the running program the other work of a frame
            // has pushed the pictures out of the nearer caches: asked for
            // a few rows ahead, it is there when its row comes.
            _mm_prefetch(reinterpret_cast<const char *>(p + 3 * stride), _MM_HINT_T0);
            __m256i result;
            if (lastY == y) {
                result = weighEight(load(p), load(p + 1), load(p + stride), load(p + stride + 1), distances);
            } else {
                // The pixels in the lower of the two rows take theirs
                // from one picture row further down; there is one, as
                // every sample lies inside.
                const __m256i lower = _mm256_cmpgt_epi32(_mm256_srai_epi32(fys, 16), _mm256_set1_epi32(upper));
                const __m256i middle0 = load(p + stride);
                const __m256i middle1 = load(p + stride + 1);
                result = weighEight(_mm256_blendv_epi8(load(p), middle0, lower),
                                    _mm256_blendv_epi8(load(p + 1), middle1, lower),
                                    _mm256_blendv_epi8(middle0, load(p + 2 * stride), lower),
                                    _mm256_blendv_epi8(middle1, load(p + 2 * stride + 1), lower), distances);
            }
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + column), result);
            column += 8;
            fx += 8 * stepX;
            fy += 8 * stepY;
            fxs = _mm256_add_epi32(fxs, eightStepsX);
            fys = _mm256_add_epi32(fys, eightStepsY);
            continue;
        }
        // Fewer than eight left: the last eight of the run again, if they
        // make a group; those weighed twice come out the same.
        if (count - column < 8 && count >= 8 && !tail) {
            tail = true;
            column = count - 8;
            fx = fx0 + column * stepX;
            fy = fy0 + column * stepY;
        } else {
            const int done = insideStep(pixels, stride, fx, fy, stepX, stepY, count - column, out + column);
            column += done;
            fx += done * stepX;
            fy += done * stepY;
        }
        fxs = _mm256_add_epi32(_mm256_set1_epi32(fx), stepsX);
        fys = _mm256_add_epi32(_mm256_set1_epi32(fy), stepsY);
    }
}
#endif

#if defined(AFFINE_SAMPLER_AVX2)
// As overRunPortable, eight pixels at a time.
__attribute__((target("avx2"), noinline)) void overRunAvx2(const quint32 *out, quint32 *destination, int count)
{
    const __m256i alphaMask = _mm256_set1_epi32(int(0xff000000u));
    const __m256i colourMask = _mm256_set1_epi32(0x00ff00ff);
    const __m256i half = _mm256_set1_epi16(0x80);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i source = load(out + i);
        const __m256i alphas = _mm256_and_si256(source, alphaMask);
        __m256i *at = reinterpret_cast<__m256i *>(destination + i);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(alphas, alphaMask)) == -1) {
            _mm256_storeu_si256(at, source);
        } else if (!_mm256_testz_si256(source, source)) {
            const __m256i under = _mm256_loadu_si256(at);
            const __m256i shifted = _mm256_srli_epi32(source, 24);
            const __m256i inverse
                = _mm256_sub_epi16(_mm256_set1_epi16(255), _mm256_or_si256(shifted, _mm256_slli_epi32(shifted, 16)));
            __m256i redBlue = _mm256_mullo_epi16(_mm256_and_si256(under, colourMask), inverse);
            __m256i alphaGreen = _mm256_mullo_epi16(_mm256_srli_epi16(under, 8), inverse);
            redBlue = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(redBlue, _mm256_srli_epi16(redBlue, 8)), half),
                                        8);
            alphaGreen = _mm256_andnot_si256(
                colourMask, _mm256_add_epi16(_mm256_add_epi16(alphaGreen, _mm256_srli_epi16(alphaGreen, 8)), half));
            _mm256_storeu_si256(at, _mm256_add_epi8(source, _mm256_or_si256(redBlue, alphaGreen)));
        }
    }
    for (; i < count; ++i)
        over(out[i], destination[i]);
}
#endif

// Where a target row meets the picture: its first sample's position, the
// columns whose samples reach pixels the picture holds ([reachBegin,
// reachEnd), the rest transparent), and those of them whose samples all lie
// inside the picture ([begin, end), the rest weighed as at its edge).
struct RowBounds
{
    int fx;
    int fy;
    int reachBegin;
    int begin;
    int end;
    int reachEnd;
};

// Where drawRows puts its pixels: the rows of a frame of `columns` x
// `rows` pixels, whose top left lies at `origin` in the target. The
// positions are stepped over the frame's rows, from its left end; only
// those inside `clip` (frame coordinates, inside the frame and the target)
// are written.
struct Destination
{
    quint32 *pixels; // the target's top row
    qsizetype stride; // target pixels from one row to the next
    QPoint origin;
    int columns;
    int rows;
    QRect clip;
};

// Room for one row's samples before they are laid over the target; one
// thread draws one row at a time.
quint32 *rowScratch(int columns)
{
    thread_local std::vector<quint32> row;
    if (row.size() < size_t(columns))
        row.resize(size_t(columns));
    return row.data();
}

// Draws the picture under `inverse` (frame pixels to picture pixels) into
// `destination`, with `run` for the pixels sampled inside the picture.
// Without `overRun` every frame pixel is replaced (those the picture does
// not reach become transparent); with it each row's samples are laid over
// the target's pixels by it, and those the picture does not reach are
// left alone. Inlined into one function for each way of weighing, so that
// where that is AVX2 the rest of a row (its bounds, its edge pixels) is
// compiled for it too.
template <InsideRun run, OverRun overRun>
[[gnu::always_inline]] inline void drawRows(const AffineSampler::Picture &picture, const QTransform &inverse,
                                            const Destination &destination)
{
    const QImage &source = picture.image;
    const int width = source.width();
    const int height = source.height();
    const qsizetype stride = source.bytesPerLine() / 4;
    const quint32 *pixels = reinterpret_cast<const quint32 *>(source.constBits());
    // A picture pixel, transparent outside the picture.
    const auto at = [&](int x, int y) -> quint32 {
        return x >= 0 && x < width && y >= 0 && y < height ? pixels[y * stride + x] : 0u;
    };
    const int stepX = int(inverse.m11() * kFixedOne);
    const int stepY = int(inverse.m12() * kFixedOne);
    const int columns = destination.columns;
    // Where all four samples lie inside the picture: no edge to check.
    const auto inside = [&](int fx, int fy) {
        return unsigned(fx >> 16) < unsigned(width - 1) && unsigned(fy >> 16) < unsigned(height - 1);
    };
    const auto edge = [&](int fx, int fy) -> quint32 {
        const int x = fx >> 16;
        const int y = fy >> 16;
        if (x < -1 || x >= width || y < -1 || y >= height)
            return 0;
        return edgeBilinear(at(x, y), at(x + 1, y), at(x, y + 1), at(x + 1, y + 1), quint32(fx & 0xffff) >> 8,
                            quint32(fy & 0xffff) >> 8);
    };
    // The columns c with low <= start + c * step < high, roughly: a column
    // too many or too few only moves a pixel to the checked path.
    const auto span = [](double start, double step, double low, double high, double &first, double &last) {
        if (step == 0) {
            if (start < low || start >= high)
                last = -1;
            return;
        }
        double a = (low - start) / step;
        double b = (high - start) / step;
        if (a > b)
            std::swap(a, b);
        first = std::max(first, std::ceil(a));
        last = std::min(last, std::floor(b) - 1);
    };
    const std::vector<int> &left = picture.left;
    const std::vector<int> &right = picture.right;
    const auto bounds = [&](int row) -> RowBounds {
        // The first pixel's centre in the picture, less half a pixel: the
        // picture pixel before it and the weight of the one after.
        const double centreY = row + 0.5;
        const int fx0 = int(std::floor((inverse.m21() * centreY + inverse.m11() * 0.5 + inverse.dx()) * kFixedOne))
                        - kFixedOne / 2;
        const int fy0 = int(std::floor((inverse.m22() * centreY + inverse.m12() * 0.5 + inverse.dy()) * kFixedOne))
                        - kFixedOne / 2;
        // The picture rows this target row reaches, and what they hold.
        const int fyLast = fy0 + (columns - 1) * stepY;
        const int rowFrom = std::max(0, (std::min(fy0, fyLast) >> 16));
        const int rowTo = std::min(height - 1, (std::max(fy0, fyLast) >> 16) + 1);
        int holdsFrom = width;
        int holdsTo = -1;
        for (int y = rowFrom; y <= rowTo; ++y) {
            holdsFrom = std::min(holdsFrom, left[y]);
            holdsTo = std::max(holdsTo, right[y]);
        }
        if (holdsTo < holdsFrom)
            return {fx0, fy0, 0, 0, 0, 0};
        double reachFirst = 0;
        double reachLast = columns - 1;
        span(fx0, stepX, double(holdsFrom - 1) * kFixedOne, double(holdsTo + 1) * kFixedOne, reachFirst, reachLast);
        // A column more each side: the bounds are rounded.
        const int reachBegin = int(std::clamp(reachFirst - 1, 0.0, double(columns)));
        const int reachEnd = int(std::clamp(reachLast + 2, double(reachBegin), double(columns)));

        double first = 0;
        double last = columns - 1;
        span(fx0, stepX, 0, double(width - 1) * kFixedOne, first, last);
        span(fy0, stepY, 0, double(height - 1) * kFixedOne, first, last);
        int begin = int(std::clamp(first, 0.0, double(columns)));
        int end = int(std::clamp(last + 1, double(begin), double(columns)));
        begin = std::clamp(begin, reachBegin, reachEnd);
        end = std::clamp(end, begin, reachEnd);
        while (begin < end && !inside(fx0 + begin * stepX, fy0 + begin * stepY))
            ++begin;
        while (end > begin && !inside(fx0 + (end - 1) * stepX, fy0 + (end - 1) * stepY))
            --end;
        return {fx0, fy0, reachBegin, begin, end, reachEnd};
    };
    // The columns [from, to) of a row, out[0] onwards; all reached by it.
    const auto sample = [&](const RowBounds &b, int from, int to, quint32 *out) {
        int column = from;
        int fx = b.fx + column * stepX;
        int fy = b.fy + column * stepY;
        for (const int stop = std::min(b.begin, to); column < stop; ++column, fx += stepX, fy += stepY)
            *out++ = edge(fx, fy);
        if (const int stop = std::min(b.end, to); column < stop) {
            run(pixels, stride, fx, fy, stepX, stepY, stop - column, out);
            out += stop - column;
            fx += (stop - column) * stepX;
            fy += (stop - column) * stepY;
            column = stop;
        }
        for (; column < to; ++column, fx += stepX, fy += stepY)
            *out++ = edge(fx, fy);
    };
    const QRect &clip = destination.clip;
    quint32 *scratch = nullptr;
    if constexpr (overRun != nullptr)
        scratch = rowScratch(clip.width());
    // The bounds of a band of rows are worked out before any of its rows is
    // drawn: each row's are a long chain of steps, and the processor can
    // overlap the chains of rows that no branch of the drawing separates.
    constexpr int kBand = 16;
    RowBounds band[kBand];
    for (int top = clip.top(); top <= clip.bottom(); top += kBand) {
        const int count = std::min(kBand, clip.bottom() + 1 - top);
        for (int i = 0; i < count; ++i)
            band[i] = bounds(top + i);
        for (int i = 0; i < count; ++i) {
            const RowBounds &b = band[i];
            quint32 *line = destination.pixels + (destination.origin.y() + top + i) * destination.stride;
            if constexpr (overRun == nullptr) {
                clearEnds(line, b.reachBegin, b.reachEnd, columns);
                sample(b, b.reachBegin, b.reachEnd, line + b.reachBegin);
            } else {
                const int from = std::max(b.reachBegin, clip.left());
                const int to = std::min(b.reachEnd, clip.right() + 1);
                if (from >= to)
                    continue;
                sample(b, from, to, scratch);
                overRun(scratch, line + destination.origin.x() + from, to - from);
            }
        }
    }
}

void drawRowsPortable(const AffineSampler::Picture &picture, const QTransform &inverse,
                      const Destination &destination)
{
    drawRows<insideRunPortable, nullptr>(picture, inverse, destination);
}

void overRowsPortable(const AffineSampler::Picture &picture, const QTransform &inverse,
                      const Destination &destination)
{
    drawRows<insideRunPortable, overRunPortable>(picture, inverse, destination);
}

#if defined(AFFINE_SAMPLER_AVX2)
__attribute__((target("avx2"))) void drawRowsAvx2(const AffineSampler::Picture &picture, const QTransform &inverse,
                                                  const Destination &destination)
{
    drawRows<insideRunAvx2, nullptr>(picture, inverse, destination);
}

__attribute__((target("avx2"))) void overRowsAvx2(const AffineSampler::Picture &picture, const QTransform &inverse,
                                                  const Destination &destination)
{
    drawRows<insideRunAvx2, overRunAvx2>(picture, inverse, destination);
}
#endif

// Whether the sampler can draw `picture` under `sourceToTarget` by `path`;
// its inverse, which maps target pixels to picture pixels, if so.
std::optional<QTransform> drawable(const AffineSampler::Picture &picture, const QTransform &sourceToTarget,
                                   AffineSampler::Path path)
{
    if (!AffineSampler::supports(path) || picture.image.isNull() || !sourceToTarget.isInvertible()
        || sourceToTarget.type() > QTransform::TxShear)
        return std::nullopt;
    return sourceToTarget.inverted();
}

} // namespace

namespace AffineSampler {

Picture::Picture(const QImage &source)
    : image(source.format() == QImage::Format_ARGB32_Premultiplied
                ? source
                : source.convertToFormat(QImage::Format_ARGB32_Premultiplied))
    , left(std::max(0, image.height()), image.width())
    , right(std::max(0, image.height()), -1)
{
    for (int y = 0; y < image.height(); ++y) {
        const quint32 *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        int l = 0;
        while (l < image.width() && line[l] == 0)
            ++l;
        if (l == image.width())
            continue;
        int r = image.width() - 1;
        while (line[r] == 0)
            --r;
        left[y] = l;
        right[y] = r;
    }
}

bool supports(Path path)
{
    switch (path) {
    case Path::Portable:
        return true;
    case Path::Avx2:
#if defined(AFFINE_SAMPLER_AVX2)
    {
        static const bool avx2 = __builtin_cpu_supports("avx2");
        return avx2;
    }
#else
        return false;
#endif
    }
    return false;
}

bool draw(const Picture &picture, const QTransform &sourceToTarget, QImage &target)
{
    static const Path fastest = supports(Path::Avx2) ? Path::Avx2 : Path::Portable;
    return draw(picture, sourceToTarget, target, fastest);
}

bool draw(const Picture &picture, const QTransform &sourceToTarget, QImage &target, Path path)
{
    if (target.format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    const std::optional<QTransform> inverse = drawable(picture, sourceToTarget, path);
    if (!inverse)
        return false;
    const Destination destination{reinterpret_cast<quint32 *>(target.bits()), target.bytesPerLine() / 4, QPoint(),
                                  target.width(), target.height(), target.rect()};
#if defined(AFFINE_SAMPLER_AVX2)
    if (path == Path::Avx2) {
        drawRowsAvx2(picture, *inverse, destination);
        return true;
    }
#endif
    drawRowsPortable(picture, *inverse, destination);
    return true;
}

bool drawOver(const Picture &picture, const QTransform &sourceToFrame, QImage &target, const QRect &frame,
              const QRect &clip)
{
    static const Path fastest = supports(Path::Avx2) ? Path::Avx2 : Path::Portable;
    return drawOver(picture, sourceToFrame, target, frame, clip, fastest);
}

bool drawOver(const Picture &picture, const QTransform &sourceToFrame, QImage &target, const QRect &frame,
              const QRect &clip, Path path)
{
    if (target.format() != QImage::Format_ARGB32_Premultiplied && target.format() != QImage::Format_RGB32)
        return false;
    const std::optional<QTransform> inverse = drawable(picture, sourceToFrame, path);
    if (!inverse)
        return false;
    const QRect within = clip & frame & target.rect();
    if (within.isEmpty())
        return true;
    const Destination destination{reinterpret_cast<quint32 *>(target.bits()), target.bytesPerLine() / 4,
                                  frame.topLeft(), frame.width(), frame.height(),
                                  within.translated(-frame.topLeft())};
#if defined(AFFINE_SAMPLER_AVX2)
    if (path == Path::Avx2) {
        overRowsAvx2(picture, *inverse, destination);
        return true;
    }
#endif
    overRowsPortable(picture, *inverse, destination);
    return true;
}

} // namespace AffineSampler
