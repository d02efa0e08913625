#include "tiles/drag_image.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QDrag>
#include <QImage>
#include <QWidget>

#include <optional>
#include <string>

namespace {

constexpr double kSide = 74; // icon side on the grid, in points

QImage solid(QColor color, int side = 64)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

// The colour at a point of the picture given in points.
QColor at(const QImage &image, double x, double y)
{
    const double scale = image.devicePixelRatio();
    return image.pixelColor(int(x * scale), int(y * scale));
}

TEST(DragImageGeometry, EnlargesTheIconWithAShadowMargin)
{
    const DragImage::Geometry g = DragImage::Geometry::forIconSide(74);
    EXPECT_NEAR(g.side, 131.72, 1e-9);
    EXPECT_NEAR(g.iconSide, 87.32, 1e-9);
    EXPECT_NEAR(g.margin, 22.2, 1e-9);
    EXPECT_NEAR(g.shadowBlur, 13.9712, 1e-9);
    EXPECT_NEAR(g.shadowOffset, 8.732, 1e-9);
    EXPECT_NEAR(g.cornerRadius, 19.2104, 1e-9);
}

struct ContentRow
{
    const char *name;
    DragImage::Kind kind;
    std::optional<QColor> image; // the icon or the mosaic, a solid colour
    // What the middle of the icon shows; none: a white plate, greyed by the
    // shadow beneath it.
    std::optional<QColor> middle;
    int middleAlpha;
    int shadowCaster; // alpha of the layer under the shadow: the icon, or the plate
};

class DragImageContent : public testing::TestWithParam<ContentRow>
{
};

// Every kind of picture: what its middle shows, transparent corners, and the
// soft black shadow that falls below the icon and not above it.
TEST_P(DragImageContent, ShowsItsContentOnAShadowThatFallsDownwards)
{
    const ContentRow &row = GetParam();
    DragImage::Content content{row.kind, std::nullopt};
    if (row.image)
        content.image = solid(*row.image);
    const QImage image = DragImage::render(content, kSide, 2);
    const DragImage::Geometry g = DragImage::Geometry::forIconSide(kSide);
    ASSERT_EQ(image.width(), 264); // 131.72 points at scale 2, rounded up
    EXPECT_DOUBLE_EQ(image.devicePixelRatio(), 2);

    const double mid = g.margin + g.iconSide / 2;
    const QColor middle = at(image, mid, mid);
    if (row.middle) {
        EXPECT_NEAR(middle.alpha(), row.middleAlpha, 3);
        EXPECT_NEAR(middle.red(), row.middle->red(), 3);
        EXPECT_NEAR(middle.green(), row.middle->green(), 3);
        EXPECT_NEAR(middle.blue(), row.middle->blue(), 3);
    } else {
        EXPECT_GE(middle.alpha(), row.middleAlpha);
        EXPECT_LT(middle.alpha(), row.middleAlpha + 30);
        EXPECT_GT(middle.red(), 150);
        EXPECT_TRUE(middle.red() == middle.green() && middle.green() == middle.blue());
    }

    for (const QPointF corner : {QPointF(0.5, 0.5), QPointF(g.side - 0.5, 0.5), QPointF(0.5, g.side - 0.5),
                                 QPointF(g.side - 0.5, g.side - 0.5)})
        EXPECT_EQ(at(image, corner.x(), corner.y()).alpha(), 0) << corner.x() << "," << corner.y();

    // Just below the icon: black, as translucent as the shadow of what casts it.
    const double darkest = DragImage::shadowAlpha * row.shadowCaster;
    const double gap = g.shadowOffset * 0.6;
    const QColor below = at(image, mid, g.margin + g.iconSide + gap);
    EXPECT_GT(below.alpha(), darkest * 0.4);
    EXPECT_LT(below.alpha(), darkest + 2);
    EXPECT_LT(below.red() + below.green() + below.blue(), 30) << "black";
    // As far above it: far fainter, the shadow is dropped downwards.
    EXPECT_LT(at(image, mid, g.margin - gap).alpha(), below.alpha() / 2);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DragImageContent,
    testing::Values(ContentRow{"applicationIcon", DragImage::Kind::application, QColor(220, 30, 40),
                               QColor(220, 30, 40), 247, 247},
                    ContentRow{"applicationWithoutIcon", DragImage::Kind::application, std::nullopt, std::nullopt, 77,
                               77},
                    // The mosaic in its middle, the translucent plate and outline around.
                    ContentRow{"folderMosaic", DragImage::Kind::folder, QColor(30, 200, 60), QColor(30, 200, 60), 255,
                               61},
                    ContentRow{"emptyFolder", DragImage::Kind::folder, std::nullopt, std::nullopt, 61, 61}),
    [](const testing::TestParamInfo<ContentRow> &info) { return std::string(info.param.name); });

TEST(DragImage, AFolderIsOutlinedAboveItsPlate)
{
    const QImage image = DragImage::render(DragImage::Content{DragImage::Kind::folder, std::nullopt}, kSide, 2);
    const DragImage::Geometry g = DragImage::Geometry::forIconSide(kSide);
    const double mid = g.margin + g.iconSide / 2;
    // Half a point inside the left edge: the white outline over the plate.
    EXPECT_GT(at(image, g.margin + 0.5, mid).alpha(), at(image, mid, mid).alpha() + 40);
}

// Without a compositing manager a drag window shows every pixel that is not
// fully transparent over an opaque background: nothing translucent may reach
// it, or the shadow becomes a white square around the icon.
TEST(DragImage, ForADragWindowWithoutCompositingEveryPixelIsOpaqueOrClear)
{
    const QImage image =
        DragImage::render(DragImage::Content{DragImage::Kind::application, solid(QColor(220, 30, 40))}, kSide, 2);
    const DragImage::Geometry g = DragImage::Geometry::forIconSide(kSide);
    const double mid = g.margin + g.iconSide / 2;

    const QImage flat = DragImage::forDragWindow(image, false);
    ASSERT_EQ(flat.size(), image.size());
    EXPECT_DOUBLE_EQ(flat.devicePixelRatio(), 2);
    int translucent = 0;
    for (int y = 0; y < flat.height(); ++y)
        for (int x = 0; x < flat.width(); ++x)
            translucent += qAlpha(flat.pixel(x, y)) != 0 && qAlpha(flat.pixel(x, y)) != 255;
    EXPECT_EQ(translucent, 0);
    const QColor middle = at(flat, mid, mid);
    EXPECT_NEAR(middle.red(), 220, 5) << "the icon in its own colour";
    EXPECT_NEAR(middle.green(), 30, 5);
    EXPECT_NEAR(middle.blue(), 40, 5);
    EXPECT_EQ(at(flat, mid, g.margin + g.iconSide + g.shadowOffset * 0.6).alpha(), 0) << "no shadow";
    EXPECT_EQ(at(flat, 0.5, 0.5).alpha(), 0);

    // A compositor blends the picture as it is.
    EXPECT_EQ(DragImage::forDragWindow(image, true), image);
}

TEST(DragImage, TheDragsPictureFollowsWhetherTheSourcesWindowIsTranslucent)
{
    const QImage image = DragImage::render(DragImage::Content{}, kSide, 1);
    QWidget opaque;
    QWidget translucent;
    translucent.setAttribute(Qt::WA_TranslucentBackground);
    auto *child = new QWidget(&translucent);
    QDrag fromTranslucent(child);
    DragImage::attach(fromTranslucent, image, child);
    EXPECT_EQ(fromTranslucent.pixmap().toImage(), DragImage::forDragWindow(image, true));
    QDrag fromOpaque(&opaque);
    DragImage::attach(fromOpaque, image, &opaque);
    EXPECT_EQ(fromOpaque.pixmap().toImage(), DragImage::forDragWindow(image, false));
}

} // namespace
