#include "tiles/affine_sampler.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <string>

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
}

} // namespace
