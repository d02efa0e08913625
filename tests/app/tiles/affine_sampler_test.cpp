#include "tiles/affine_sampler.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

// The sampled drawing of a turned picture must give what QPainter's
// filtered drawing gives under the same transform, including at the
// picture's edges. (Merely shifted, QPainter does not filter: the tile
// leaves such a picture to it.)
namespace {

struct SampleCase
{
    const char *name;
    QSize size; // the picture, in pixels
    double degrees;
    QPointF shift; // in target pixels
    double scale; // target pixels per picture pixel (a device pixel ratio over another)
    // A transparent pixel all round, as a tile's picture has: where a picture
    // has none, QPainter repeats its edge pixels up to a hard edge, the
    // sampler fades them out over a pixel.
    bool border;
};

class AffineSampling : public ::testing::TestWithParam<SampleCase>
{
};

// Sharp edges, a gradient, text-like strokes and translucent parts.
QImage picture(const SampleCase &c)
{
    QImage image(c.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const QRectF inner = c.border ? QRectF(image.rect()).adjusted(1, 1, -1, -1) : QRectF(image.rect());
    QLinearGradient gradient(inner.topLeft(), inner.bottomRight());
    gradient.setColorAt(0, QColor(250, 40, 30));
    gradient.setColorAt(1, QColor(20, 90, 240, 160));
    painter.fillRect(inner, gradient);
    painter.setClipRect(inner); // the border stays transparent
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(inner.adjusted(inner.width() / 5, inner.height() / 5, -inner.width() / 4, -inner.height() / 3),
                        5, 5);
    painter.fillPath(path, QColor(255, 255, 255, 220));
    painter.setPen(QPen(QColor(0, 0, 0, 200), 1));
    painter.drawLine(inner.topLeft() + QPointF(2, 3), inner.bottomRight() - QPointF(3, 7));
    painter.end();
    return image;
}

TEST_P(AffineSampling, MatchesQPainterFilteredDrawing)
{
    const SampleCase &c = GetParam();
    const QImage source = picture(c);
    // About the picture's centre, as a tile turns; the target has room
    // around it for the turned corners and the shift.
    const QSize targetSize(int(std::ceil(c.size.width() * c.scale)) + 12,
                           int(std::ceil(c.size.height() * c.scale)) + 12);
    QTransform transform = QTransform::fromScale(c.scale, c.scale);
    transform.translate(-c.size.width() / 2.0, -c.size.height() / 2.0);
    QTransform turn;
    turn.rotate(c.degrees);
    transform = transform * turn
                * QTransform::fromTranslate(targetSize.width() / 2.0 + c.shift.x(),
                                            targetSize.height() / 2.0 + c.shift.y());

    QImage expected(targetSize, QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    {
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setTransform(transform);
        painter.drawImage(QPointF(0, 0), source);
    }
    QImage actual(targetSize, QImage::Format_ARGB32_Premultiplied);
    actual.fill(QColor(1, 2, 3, 4)); // every pixel must be written
    ASSERT_TRUE(AffineSampler::draw(AffineSampler::Picture(source), transform, actual));

    int differing = 0;
    int largest = 0;
    for (int y = 0; y < targetSize.height(); ++y) {
        for (int x = 0; x < targetSize.width(); ++x) {
            const QRgb a = actual.pixel(x, y);
            const QRgb e = expected.pixel(x, y);
            const int difference = std::max({std::abs(qRed(a) - qRed(e)), std::abs(qGreen(a) - qGreen(e)),
                                             std::abs(qBlue(a) - qBlue(e)), std::abs(qAlpha(a) - qAlpha(e))});
            largest = std::max(largest, difference);
            // Both weigh in steps finer than a sixteenth of a pixel; a few
            // levels apart is rounding, more is a pixel out of place.
            if (difference > 3)
                ++differing;
        }
    }
    EXPECT_LE(largest, 255 / 16 + 1);
    // QPainter weighs the last few pixels of a run in finer steps: a small
    // picture differs in a few pixels more than its share.
    EXPECT_LT(differing, targetSize.width() * targetSize.height() / 200 + 16) << "largest difference " << largest;
}

INSTANTIATE_TEST_SUITE_P(
    Poses, AffineSampling,
    ::testing::Values(SampleCase{"WobbleRight", {109, 117}, 0.8, {0.6, -0.4}, 1.0, true},
                      SampleCase{"WobbleLeftAtScale2", {218, 233}, -0.55, {-0.3, 0.25}, 1.0, true},
                      SampleCase{"OddSize", {37, 23}, 0.3, {0.25, 0.75}, 1.0, true},
                      SampleCase{"SmallPicture", {9, 7}, -0.8, {0.5, 0.5}, 1.0, true},
                      SampleCase{"BarelyTurned", {64, 48}, 0.02, {0.5, 0.125}, 1.0, true},
                      SampleCase{"Upscaled", {45, 51}, 0.7, {0.1, 0.2}, 1.5, true},
                      SampleCase{"Downscaled", {90, 101}, -0.4, {0.3, 0.1}, 0.5, true},
                      SampleCase{"Steep", {80, 80}, 12, {3, 2}, 1.0, true},
                      SampleCase{"Quarter", {40, 30}, 90, {0, 0}, 1.0, true}),
    [](const ::testing::TestParamInfo<SampleCase> &info) { return std::string(info.param.name); });

// The AVX2 path weighs eight pixels at once wherever a row walks the picture
// a pixel a step between the same two picture rows, and leaves the rest to
// the portable path's code: the two must agree to the bit whichever pixels
// fall into groups of eight, at the ends of a row's inside run too.
struct PathCase
{
    const char *name;
    QSize size; // the picture, in pixels
    int margin; // transparent pixels all round; with none, the picture's own pixels meet its edges
    double degrees;
    QPointF shift; // in target pixels
    double scale; // target pixels per picture pixel
    // The share of the target's width and height drawn, from its top left:
    // below 1 rows end inside the picture, as in a repaint of part of a tile.
    double kept;
};

class SamplingPaths : public ::testing::TestWithParam<PathCase>
{
};

// Every pixel different from its neighbours, so that a pixel weighed from
// the wrong picture pixels or with the wrong weights shows; some
// translucent, as a tile's shadows and edges are.
QImage noise(QSize size, int margin)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QRandomGenerator random(size.width() * 1000 + size.height());
    for (int y = margin; y < size.height() - margin; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = margin; x < size.width() - margin; ++x) {
            const quint32 alpha = random.bounded(3) ? 255 : random.bounded(256);
            line[x] = alpha << 24 | random.bounded(alpha + 1) << 16 | random.bounded(alpha + 1) << 8
                      | random.bounded(alpha + 1);
        }
    }
    return image;
}

// A target whose rows lie apart in memory, with the room between them
// marked, to show a write past the end of a row.
struct PaddedTarget
{
    static constexpr int kPadding = 9; // more than a group of eight
    static constexpr quint32 kMark = 0xdeadbeefu;

    PaddedTarget(QSize size, QColor fill)
        : memory(size_t(size.width() + kPadding) * size_t(size.height()), kMark)
        , image(reinterpret_cast<uchar *>(memory.data()), size.width(), size.height(),
                (size.width() + kPadding) * 4, QImage::Format_ARGB32_Premultiplied)
    {
        for (int y = 0; y < size.height(); ++y)
            std::fill_n(reinterpret_cast<quint32 *>(image.scanLine(y)), size.width(), fill.rgba());
    }

    bool paddingIntact() const
    {
        for (int y = 0; y < image.height(); ++y) {
            const quint32 *after = reinterpret_cast<const quint32 *>(image.constScanLine(y)) + image.width();
            if (std::any_of(after, after + kPadding, [](quint32 pixel) { return pixel != kMark; }))
                return false;
        }
        return true;
    }

    std::vector<quint32> memory;
    QImage image;
};

TEST_P(SamplingPaths, Avx2GivesThePortablePixels)
{
    if (!AffineSampler::supports(AffineSampler::Path::Avx2))
        GTEST_SKIP() << "no AVX2 on this processor";
    const PathCase &c = GetParam();
    const AffineSampler::Picture picture(noise(c.size, c.margin));
    const QSize whole(int(std::ceil(c.size.width() * c.scale)) + 6, int(std::ceil(c.size.height() * c.scale)) + 6);
    const QSize targetSize(std::max(1, int(whole.width() * c.kept)), std::max(1, int(whole.height() * c.kept)));
    QTransform transform = QTransform::fromTranslate(-c.size.width() / 2.0, -c.size.height() / 2.0)
                           * QTransform::fromScale(c.scale, c.scale) * QTransform().rotate(c.degrees)
                           * QTransform::fromTranslate(whole.width() / 2.0 + c.shift.x(),
                                                       whole.height() / 2.0 + c.shift.y());

    // Filled apart, so that a pixel one path leaves unwritten shows.
    PaddedTarget portable(targetSize, QColor(1, 2, 3, 4));
    PaddedTarget avx2(targetSize, QColor(5, 6, 7, 8));
    ASSERT_TRUE(AffineSampler::draw(picture, transform, portable.image, AffineSampler::Path::Portable));
    ASSERT_TRUE(AffineSampler::draw(picture, transform, avx2.image, AffineSampler::Path::Avx2));
    EXPECT_TRUE(portable.paddingIntact());
    EXPECT_TRUE(avx2.paddingIntact()) << "written past the end of a row";

    int differing = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < targetSize.height(); ++y) {
        for (int x = 0; x < targetSize.width(); ++x) {
            if (portable.image.pixel(x, y) != avx2.image.pixel(x, y)) {
                if (differing++ == 0)
                    first = QPoint(x, y);
            }
        }
    }
    EXPECT_EQ(differing, 0) << "first at " << first.x() << ", " << first.y() << ": portable " << std::hex
                            << portable.image.pixel(first) << ", AVX2 " << avx2.image.pixel(first);
}

INSTANTIATE_TEST_SUITE_P(
    Poses, SamplingPaths,
    ::testing::Values(
        // A tile's wobble: turned at most 0.8 degrees, drifting by parts of a pixel.
        PathCase{"WobbleRight", {109, 117}, 1, 0.8, {0.6, -0.4}, 1, 1},
        PathCase{"WobbleLeft", {104, 124}, 1, -0.8, {-0.3, 0.25}, 1, 1},
        PathCase{"WobbleAtScale2", {218, 233}, 1, -0.55, {0.45, 0.9}, 1, 1},
        // Rows that end inside the picture, at the target's end: turned a
        // few degrees, the rows' runs inside it come in every length.
        PathCase{"WobbleClipped", {218, 233}, 1, 0.35, {0.2, -0.7}, 1, 0.6},
        PathCase{"TurnedClipped", {100, 100}, 0, 4, {0.3, 0.6}, 1, 0.7},
        PathCase{"UnturnedClipped", {64, 40}, 0, 0, {0.4, 0.2}, 1, 0.5},
        PathCase{"NoMarginRight", {64, 48}, 0, 0.8, {0.3, 0.7}, 1, 1},
        PathCase{"NoMarginLeftOddWidth", {61, 47}, 0, -0.8, {0.9, 0.1}, 1, 1},
        PathCase{"BarelyTurned", {150, 40}, 0, 0.02, {0.5, 0.125}, 1, 1},
        // Unturned every row is one run of groups: where the last group
        // ends against the end of the run matters.
        PathCase{"Unturned", {37, 23}, 0, 0, {0.25, 0.75}, 1, 1},
        PathCase{"NineWide", {9, 12}, 0, 0, {0.5, 0.5}, 1, 1},
        PathCase{"SixteenWide", {17, 5}, 0, 0, {0.7, 0.3}, 1, 1},
        // Rows too short for a group.
        PathCase{"SevenWide", {7, 30}, 0, 0.3, {0.2, 0.4}, 1, 1},
        PathCase{"Tiny", {5, 4}, 1, -0.8, {0.5, 0.5}, 1, 1},
        // Steps of a little more or less than a pixel: now and then a step
        // skips a picture pixel or stays on one.
        PathCase{"SlightlyShrunk", {120, 60}, 0, 0.5, {0.3, 0.6}, 0.97, 1},
        PathCase{"SlightlyEnlarged", {120, 60}, 1, -0.5, {0.6, 0.3}, 1.03, 1},
        PathCase{"Steep", {80, 80}, 0, 12, {3, 2}, 1, 1},
        PathCase{"SteepLeft", {81, 79}, 1, -20, {-1, 0.5}, 1, 1},
        PathCase{"Quarter", {40, 30}, 1, 90, {0, 0}, 1, 1},
        PathCase{"Half", {40, 30}, 0, 180, {0.5, 0.5}, 1, 1},
        PathCase{"Upscaled", {45, 51}, 1, 0.7, {0.1, 0.2}, 2, 1},
        PathCase{"Downscaled", {90, 101}, 0, -0.4, {0.3, 0.1}, 0.5, 1}),
    [](const ::testing::TestParamInfo<PathCase> &info) { return std::string(info.param.name); });

// Laid straight over a target's pixels, the picture must give what the
// tile's drawing gave before: the picture drawn into a buffer the size of
// its frame, then that buffer blended onto the target by QPainter at the
// frame's place, through the paint's clip. Frames that reach past the
// target's edges, clips of a part or of several parts, and targets with
// and without alpha.
struct OverCase
{
    const char *name;
    double degrees;
    QPointF shift; // in target pixels
    double scale; // target pixels per picture pixel
    QPoint frameAt; // the frame's top left in the target
    QList<QRect> clip; // in target pixels; empty: the whole target
    QImage::Format format;
};

class SamplingOver : public ::testing::TestWithParam<OverCase>
{
};

// What lies under the picture: every pixel different, some of them
// translucent where the format has alpha.
QImage underlay(QSize size, QImage::Format format)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(7);
    const bool alpha = format == QImage::Format_ARGB32_Premultiplied;
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const quint32 a = !alpha || random.bounded(2) ? 255 : random.bounded(256);
            line[x] = a << 24 | random.bounded(a + 1) << 16 | random.bounded(a + 1) << 8 | random.bounded(a + 1);
        }
    }
    return image.convertToFormat(format);
}

TEST_P(SamplingOver, GivesTheBlendOfTheDrawnFrame)
{
    const OverCase &c = GetParam();
    const QSize size(61, 73);
    const AffineSampler::Picture picture(noise(size, 1));
    const QSize frameSize(int(std::ceil(size.width() * c.scale)) + 4, int(std::ceil(size.height() * c.scale)) + 4);
    const QRect frame(c.frameAt, frameSize);
    const QTransform sourceToFrame
        = QTransform::fromTranslate(-size.width() / 2.0, -size.height() / 2.0) * QTransform::fromScale(c.scale, c.scale)
          * QTransform().rotate(c.degrees)
          * QTransform::fromTranslate(frameSize.width() / 2.0 + c.shift.x(), frameSize.height() / 2.0 + c.shift.y());
    const QImage under = underlay(QSize(120, 100), c.format);
    QRegion clip;
    for (const QRect &rect : c.clip)
        clip += rect;
    if (c.clip.isEmpty())
        clip = under.rect();

    QImage buffer(frameSize, QImage::Format_ARGB32_Premultiplied);
    ASSERT_TRUE(AffineSampler::draw(picture, sourceToFrame, buffer));
    QImage expected = under.copy();
    {
        QPainter painter(&expected);
        painter.setClipRegion(clip);
        painter.drawImage(frame.topLeft(), buffer);
    }

    for (const AffineSampler::Path path : {AffineSampler::Path::Portable, AffineSampler::Path::Avx2}) {
        if (!AffineSampler::supports(path))
            continue;
        SCOPED_TRACE(path == AffineSampler::Path::Avx2 ? "AVX2" : "portable");
        QImage actual = under.copy();
        for (const QRect &rect : clip)
            ASSERT_TRUE(AffineSampler::drawOver(picture, sourceToFrame, actual, frame, rect, path));
        int differing = 0;
        QPoint first(-1, -1);
        for (int y = 0; y < actual.height(); ++y) {
            for (int x = 0; x < actual.width(); ++x) {
                if (actual.pixel(x, y) != expected.pixel(x, y) && differing++ == 0)
                    first = QPoint(x, y);
            }
        }
        EXPECT_EQ(differing, 0) << "first at " << first.x() << ", " << first.y() << ": " << std::hex
                                << actual.pixel(first) << " for " << expected.pixel(first);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, SamplingOver,
    ::testing::Values(
        OverCase{"Inside", 0.8, {0.6, -0.4}, 1, {20, 10}, {}, QImage::Format_ARGB32_Premultiplied},
        OverCase{"InsideOpaqueTarget", -0.8, {-0.3, 0.25}, 1, {20, 10}, {}, QImage::Format_RGB32},
        OverCase{"ClippedToPart", 0.55, {0.2, 0.7}, 1, {30, 12}, {QRect(41, 30, 23, 37)},
                 QImage::Format_ARGB32_Premultiplied},
        // Rows cut on both sides and bands cut off above and below, as a
        // paint region of several rectangles does.
        OverCase{"ClippedToSeveralParts", -0.35, {0.45, 0.1}, 1, {25, 8},
                 {QRect(0, 0, 120, 20), QRect(30, 40, 9, 30), QRect(60, 40, 50, 3), QRect(50, 75, 70, 25)},
                 QImage::Format_RGB32},
        OverCase{"OffTheLeftAndTop", 0.8, {0.3, 0.6}, 1, {-30, -25}, {}, QImage::Format_ARGB32_Premultiplied},
        OverCase{"OffTheRightAndBottom", -0.6, {0.9, 0.2}, 1, {80, 55}, {QRect(70, 20, 50, 80)},
                 QImage::Format_RGB32},
        OverCase{"Steep", 12, {3, 2}, 1, {20, 10}, {QRect(10, 30, 100, 40)}, QImage::Format_ARGB32_Premultiplied},
        OverCase{"AtScale2", 0.5, {0.25, -0.5}, 2, {-20, -30}, {}, QImage::Format_ARGB32_Premultiplied},
        OverCase{"ClipMissesTheFrame", 0.8, {0.5, 0.5}, 1, {20, 10}, {QRect(100, 90, 20, 10)},
                 QImage::Format_RGB32}),
    [](const ::testing::TestParamInfo<OverCase> &info) { return std::string(info.param.name); });

TEST(AffineSampling, RefusesWhatItCannotDraw)
{
    QImage target(8, 8, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::red);
    const AffineSampler::Picture picture(QImage(4, 4, QImage::Format_ARGB32));
    EXPECT_FALSE(AffineSampler::draw(picture, QTransform::fromScale(0, 1), target));
    EXPECT_FALSE(AffineSampler::draw(AffineSampler::Picture(), QTransform(), target));
    QImage other(8, 8, QImage::Format_RGB32);
    EXPECT_FALSE(AffineSampler::draw(picture, QTransform(), other));
    EXPECT_EQ(target.pixel(3, 3), QColor(Qt::red).rgba());
    // Laid over a target, only onto formats it blends as QPainter does.
    QImage straight(8, 8, QImage::Format_ARGB32);
    straight.fill(Qt::red);
    EXPECT_FALSE(AffineSampler::drawOver(picture, QTransform().rotate(1), straight, straight.rect(), straight.rect()));
    EXPECT_FALSE(AffineSampler::drawOver(picture, QTransform::fromScale(0, 1), target, target.rect(), target.rect()));
    EXPECT_EQ(straight.pixel(3, 3), QColor(Qt::red).rgba());
    EXPECT_EQ(target.pixel(3, 3), QColor(Qt::red).rgba());
}

} // namespace
