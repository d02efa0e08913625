#include "tiles/gaussian_blur.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int channels = 4;
// Columns per strip of the vertical phase: a strip and its running sums stay
// in cache while all three passes run over it.
constexpr int stripPixels = 16;

// One box pass along a row of `width` pixels: out[x] = mean of
// in[x - r .. x + r], zero outside. Split at the ends so that the middle
// loop has no branches.
void boxRow(const float *in, float *out, int width, int radius)
{
    const float scale = 1.0f / float(2 * radius + 1);
    float s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    const int first = std::min(radius, width - 1);
    for (int x = 0; x <= first; ++x) {
        s0 += in[x * 4];
        s1 += in[x * 4 + 1];
        s2 += in[x * 4 + 2];
        s3 += in[x * 4 + 3];
    }
    const auto put = [&](int x) {
        float *o = out + x * 4;
        o[0] = s0 * scale;
        o[1] = s1 * scale;
        o[2] = s2 * scale;
        o[3] = s3 * scale;
    };
    const auto add = [&](int x) {
        const float *e = in + x * 4;
        s0 += e[0];
        s1 += e[1];
        s2 += e[2];
        s3 += e[3];
    };
    const auto remove = [&](int x) {
        const float *l = in + x * 4;
        s0 -= l[0];
        s1 -= l[1];
        s2 -= l[2];
        s3 -= l[3];
    };
    // x enters at x + radius + 1 (while inside) and leaves at x - radius
    // (once inside): three stretches, the middle one with both.
    const int middleStart = std::min(radius, width);
    const int middleEnd = std::max(middleStart, width - radius - 1);
    int x = 0;
    for (; x < middleStart; ++x) {
        put(x);
        if (x + radius + 1 < width)
            add(x + radius + 1);
    }
    for (; x < middleEnd; ++x) {
        put(x);
        add(x + radius + 1);
        remove(x - radius);
    }
    for (; x < width; ++x) {
        put(x);
        if (x + radius + 1 < width)
            add(x + radius + 1);
        if (x - radius >= 0)
            remove(x - radius);
    }
}

// One box pass down a strip of `height` rows of `span` floats each.
void boxStrip(const float *in, float *out, float *sum, int span, int height, int radius)
{
    const float scale = 1.0f / float(2 * radius + 1);
    std::fill(sum, sum + span, 0.0f);
    for (int y = 0; y <= std::min(radius, height - 1); ++y) {
        const float *row = in + std::size_t(y) * span;
        for (int i = 0; i < span; ++i)
            sum[i] += row[i];
    }
    for (int y = 0; y < height; ++y) {
        float *target = out + std::size_t(y) * span;
        for (int i = 0; i < span; ++i)
            target[i] = sum[i] * scale;
        const int entering = y + radius + 1;
        const int leaving = y - radius;
        if (entering < height) {
            const float *row = in + std::size_t(entering) * span;
            for (int i = 0; i < span; ++i)
                sum[i] += row[i];
        }
        if (leaving >= 0) {
            const float *row = in + std::size_t(leaving) * span;
            for (int i = 0; i < span; ++i)
                sum[i] -= row[i];
        }
    }
}

} // namespace

QList<int> GaussianBlur::boxWidths(double sigma, int passes)
{
    // Widths wl and wl + 2 (both odd), m passes of the smaller, chosen so that
    // the summed variances equal sigma^2.
    passes = std::max(1, passes);
    const double ideal = std::sqrt(12.0 * sigma * sigma / passes + 1.0);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    lower = std::max(1, lower);
    const int upper = lower + 2;
    const double idealCount = (12.0 * sigma * sigma - passes * lower * lower - 4.0 * passes * lower - 3.0 * passes)
        / (-4.0 * lower - 4.0);
    const int count = std::clamp(int(std::lround(idealCount)), 0, passes);
    QList<int> widths;
    for (int i = 0; i < passes; ++i)
        widths.append(i < count ? lower : upper);
    return widths;
}

QImage GaussianBlur::apply(const QImage &image, double sigma)
{
    QImage source = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (source.isNull() || !std::isfinite(sigma) || sigma <= 0)
        return source.convertToFormat(QImage::Format_ARGB32_Premultiplied);

    const int width = source.width();
    const int height = source.height();
    const QList<int> widths = boxWidths(sigma);
    const std::size_t stride = std::size_t(width) * channels;

    // Horizontal phase, row by row: all passes run on one row in cache.
    // Premultiplied channels blur independently and stay consistent.
    std::vector<float> middle(stride * height);
    std::vector<float> a(stride);
    std::vector<float> b(stride);
    for (int y = 0; y < height; ++y) {
        const uchar *line = source.constScanLine(y);
        for (std::size_t i = 0; i < stride; ++i)
            a[i] = float(line[i]);
        float *in = a.data();
        float *out = b.data();
        for (const int boxWidth : widths) {
            boxRow(in, out, width, (boxWidth - 1) / 2);
            std::swap(in, out);
        }
        std::copy(in, in + stride, middle.data() + y * stride);
    }

    // Vertical phase, strip by strip of columns.
    QImage result(width, height, QImage::Format_RGBA8888_Premultiplied);
    std::vector<float> stripA(std::size_t(stripPixels) * channels * height);
    std::vector<float> stripB(stripA.size());
    std::vector<float> sum(std::size_t(stripPixels) * channels);
    for (int x0 = 0; x0 < width; x0 += stripPixels) {
        const int span = std::min(stripPixels, width - x0) * channels;
        for (int y = 0; y < height; ++y) {
            const float *from = middle.data() + y * stride + std::size_t(x0) * channels;
            std::copy(from, from + span, stripA.data() + std::size_t(y) * span);
        }
        float *in = stripA.data();
        float *out = stripB.data();
        for (const int boxWidth : widths) {
            boxStrip(in, out, sum.data(), span, height, (boxWidth - 1) / 2);
            std::swap(in, out);
        }
        for (int y = 0; y < height; ++y) {
            uchar *line = result.scanLine(y) + std::size_t(x0) * channels;
            const float *row = in + std::size_t(y) * span;
            for (int i = 0; i < span; i += channels) {
                const float alpha = std::clamp(row[i + 3], 0.0f, 255.0f);
                line[i + 3] = uchar(alpha + 0.5f);
                for (int c = 0; c < 3; ++c)
                    line[i + c] = uchar(std::clamp(row[i + c], 0.0f, alpha) + 0.5f);
            }
        }
    }
    result.setDevicePixelRatio(image.devicePixelRatio());
    return result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
