#include "model/layout_entry.h"
#include "model/layout_folder.h"
#include "tiles/app_tile.h"
#include "tiles/tile_geometry.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

namespace {

// Sets one field of the tile's state, the others as they are.
template <typename Field, typename Value>
void assignState(AppTile &tile, Field TileState::*field, Value &&value)
{
    TileState state = tile.state();
    state.*field = std::forward<Value>(value);
    tile.setState(state);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string rectText(const QRectF &r)
{
    return QString("(%1, %2, %3, %4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

void expectRect(const QRectF &actual, const QRectF &expected)
{
    constexpr double eps = 1e-9;
    EXPECT_TRUE(std::abs(actual.x() - expected.x()) < eps && std::abs(actual.y() - expected.y()) < eps
                && std::abs(actual.width() - expected.width()) < eps
                && std::abs(actual.height() - expected.height()) < eps)
        << "actual " << rectText(actual) << " expected " << rectText(expected);
}

QImage solidImage(QColor color, int side = 256)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

LayoutEntry folderEntry()
{
    LayoutFolder folder;
    folder.id = QStringLiteral("f1");
    folder.name = QStringLiteral("Tools");
    return LayoutEntry::makeFolder(folder);
}

// ---------------------------------------------------------------- geometry

struct GeometryCase
{
    const char *name;
    double width;
    double iconSide;
    bool showLabel;
    QRectF icon;
    QRectF label;
    QRectF highlight;
    QRectF plate;
    QRectF enlarged;
};

class TileGeometryTest : public ::testing::TestWithParam<GeometryCase>
{
};

TEST_P(TileGeometryTest, PlacesEveryPart)
{
    const GeometryCase &c = GetParam();
    const TileGeometry g(QRectF(0, 0, c.width, 150), c.iconSide, c.showLabel);
    expectRect(g.iconRect(), c.icon);
    expectRect(g.labelRect(), c.label);
    expectRect(g.highlightPlate(), c.highlight);
    expectRect(g.plateRect(), c.plate);
    EXPECT_NEAR(g.plateCornerRadius(), 0.22 * c.plate.width(), 1e-9);
    expectRect(g.iconDestination(false), c.icon);
    expectRect(g.iconDestination(true), c.enlarged);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TileGeometryTest,
    ::testing::Values(
        // Plate side 0.86 x 88 = 75.68, centred on the icon; the enlarged icon
        // (96.8) grows about the icon's centre and may start above the tile.
        GeometryCase{"DefaultWithLabel", 120, 88, true, QRectF(16, 4, 88, 88), QRectF(2, 98, 116, 38),
                     QRectF(1, 0, 118, 134), QRectF(22.16, 10.16, 75.68, 75.68), QRectF(11.6, -0.4, 96.8, 96.8)},
        GeometryCase{"WithoutLabel", 120, 88, false, QRectF(16, 4, 88, 88), QRectF(2, 98, 116, 38),
                     QRectF(1, 0, 118, 96), QRectF(22.16, 10.16, 75.68, 75.68), QRectF(11.6, -0.4, 96.8, 96.8)},
        GeometryCase{"SmallIcon", 100, 50, true, QRectF(25, 4, 50, 50), QRectF(2, 60, 96, 38), QRectF(1, 0, 98, 96),
                     QRectF(28.5, 7.5, 43, 43), QRectF(22.5, 1.5, 55, 55)}),
    [](const ::testing::TestParamInfo<GeometryCase> &info) { return std::string(info.param.name); });

struct BadgeCase
{
    const char *name;
    double width;
    EditModeBadgePlacement placement;
    QRectF expected;
};

class TileBadgeTest : public ::testing::TestWithParam<BadgeCase>
{
};

// Side min(max(0.16 x 88, 14), 22) = 14.08; centre 0.118 x 88 inside the
// icon's corner, pushed out by 0.02 x side; kept 1 point inside the tile.
TEST_P(TileBadgeTest, SitsOnTheChosenIconCorner)
{
    const BadgeCase &c = GetParam();
    AppTile tile(QRectF(0, 0, c.width, 150), LayoutEntry::app("a"), "A");
    assignState(tile, &TileState::badgePlacement, c.placement);
    expectRect(tile.deleteBadgeRect(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TileBadgeTest,
    ::testing::Values(BadgeCase{"TopLeft", 120, EditModeBadgePlacement::topLeft,
                                QRectF(19.0624, 7.0624, 14.08, 14.08)},
                      BadgeCase{"TopRight", 120, EditModeBadgePlacement::topRight,
                                QRectF(86.8576, 7.0624, 14.08, 14.08)},
                      // The icon overhangs a 60-point tile: the badge is held 1 point inside.
                      BadgeCase{"ClampedLeft", 60, EditModeBadgePlacement::topLeft, QRectF(1, 7.0624, 14.08, 14.08)},
                      BadgeCase{"ClampedRight", 60, EditModeBadgePlacement::topRight,
                                QRectF(44.92, 7.0624, 14.08, 14.08)}),
    [](const ::testing::TestParamInfo<BadgeCase> &info) { return std::string(info.param.name); });

TEST(TileGeometry, MergePreviewCentresTwoIconsOnAWidePlate)
{
    const TileGeometry::MergePreview p = TileGeometry::mergePreview(QRectF(16, 4, 88, 88));
    // Plate 1.34 x 88 wide, 1.02 x 88 high, starting 0.88 above the icon.
    expectRect(p.plate, QRectF(60 - 58.96, 3.12, 117.92, 89.76));
    EXPECT_NEAR(p.cornerRadius, 0.24 * 89.76, 1e-9);
    // Squares of 0.52 x 88 with a gap of 0.05 x 88, centred as a pair.
    const double side = 45.76;
    const double x0 = 60 - (2 * side + 4.4) / 2;
    const double y0 = 3.12 + 89.76 / 2 - side / 2;
    expectRect(p.left, QRectF(x0, y0, side, side));
    expectRect(p.right, QRectF(x0 + side + 4.4, y0, side, side));
}

// ---------------------------------------------------------------- snapping

struct SnapCase
{
    const char *name;
    double value;
    double scale;
    double expected;
};

class SnapTest : public ::testing::TestWithParam<SnapCase>
{
};

TEST_P(SnapTest, RoundsHalvesAwayFromZero)
{
    const SnapCase &c = GetParam();
    EXPECT_NEAR(TileGeometry::snap(c.value, c.scale), c.expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SnapTest,
    ::testing::Values(SnapCase{"Scale2", 10.26, 2, 10.5}, SnapCase{"Scale1", 10.26, 1, 10},
                      SnapCase{"Scale1_5", 10.26, 1.5, 10}, SnapCase{"Scale1_5Up", 10.4, 1.5, 10 + 2.0 / 3},
                      SnapCase{"HalfPixelUp", 1.25, 2, 1.5}, SnapCase{"NegativeHalfPixelAwayFromZero", -1.25, 2, -1.5},
                      SnapCase{"HalfAtScale1", 2.5, 1, 3}, SnapCase{"NegativeHalfAtScale1", -2.5, 1, -3},
                      SnapCase{"ThirdAtScale1_5", 1.0 / 3, 1.5, 2.0 / 3},
                      SnapCase{"InvalidScaleCountsAs2", 10.26, 0, 10.5},
                      SnapCase{"NaNScaleCountsAs2", 10.26, kNaN, 10.5}),
    [](const ::testing::TestParamInfo<SnapCase> &info) { return std::string(info.param.name); });

struct AlignCase
{
    const char *name;
    QRectF rect;
    double scale;
    QRectF expected;
};

class PixelAlignTest : public ::testing::TestWithParam<AlignCase>
{
};

TEST_P(PixelAlignTest, SnapsOriginAndSizeSeparatelyNeverBelowOnePixel)
{
    const AlignCase &c = GetParam();
    expectRect(TileGeometry::pixelAligned(c.rect, c.scale), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PixelAlignTest,
    ::testing::Values(AlignCase{"ThinAtScale2", QRectF(10.26, 3.3, 0.1, 0.2), 2, QRectF(10.5, 3.5, 0.5, 0.5)},
                      AlignCase{"ThinAtScale1", QRectF(10.26, 3.3, 0.1, 0.2), 1, QRectF(10, 3, 1, 1)},
                      AlignCase{"ThinAtScale1_5", QRectF(10.26, 3.3, 0.1, 0.2), 1.5,
                                QRectF(10, 10.0 / 3, 2.0 / 3, 2.0 / 3)},
                      // Size and origin snap separately: the right edge may move by more than half a pixel.
                      AlignCase{"EnlargedIconAtScale2", QRectF(11.6, -0.4, 96.8, 96.8), 2,
                                QRectF(11.5, -0.5, 97, 97)},
                      AlignCase{"EnlargedIconAtScale1_5", QRectF(11.6, -0.4, 96.8, 96.8), 1.5,
                                QRectF(34.0 / 3, -2.0 / 3, 290.0 / 3, 290.0 / 3)}),
    [](const ::testing::TestParamInfo<AlignCase> &info) { return std::string(info.param.name); });

TEST(TileGeometry, DevicePixelSideIsAtLeastOneAndBounded)
{
    EXPECT_EQ(TileGeometry::devicePixelSide(88, 2), 176);
    EXPECT_EQ(TileGeometry::devicePixelSide(88, 1.5), 132);
    EXPECT_EQ(TileGeometry::devicePixelSide(88, 1), 88);
    EXPECT_EQ(TileGeometry::devicePixelSide(0.75, 2), 2); // 1.5 rounds up
    EXPECT_EQ(TileGeometry::devicePixelSide(0, 2), 1);
    EXPECT_EQ(TileGeometry::devicePixelSide(-5, 2), 1);
    EXPECT_EQ(TileGeometry::devicePixelSide(kNaN, 2), 1);
    EXPECT_EQ(TileGeometry::devicePixelSide(1e12, 2), TileGeometry::maximumDevicePixelSide);
}

// ---------------------------------------------------------------- the widget

TEST(AppTile, StartsWithTheInitialStateAndFractionalFrame)
{
    AppTile tile(QRectF(10.5, 20.25, 120, 150), LayoutEntry::app("com.example.a"), "Example");
    EXPECT_EQ(tile.entry().id, "app:com.example.a");
    EXPECT_EQ(tile.title(), "Example");
    EXPECT_DOUBLE_EQ(tile.iconSide(), 88);
    EXPECT_TRUE(tile.showLabel());
    EXPECT_FALSE(tile.selected() || tile.mergeTarget() || tile.dimmed() || tile.dragging() || tile.showsDeleteBadge()
                 || tile.deleteBadgePressed());
    EXPECT_FALSE(tile.icon() || tile.folderPreview() || tile.mergePreviewIcon());
    EXPECT_EQ(tile.badgePlacement(), EditModeBadgePlacement::topLeft);
    EXPECT_TRUE(tile.testAttribute(Qt::WA_TransparentForMouseEvents));

    expectRect(tile.frame(), QRectF(10.5, 20.25, 120, 150));
    expectRect(tile.bounds(), QRectF(0, 0, 120, 150));
    // The widget covers the frame and a margin for small transforms.
    EXPECT_EQ(tile.geometry(), QRect(8, 18, 125, 155));
    // Moving by whole pixels keeps the fraction.
    tile.move(tile.pos() + QPoint(100, 0));
    expectRect(tile.frame(), QRectF(110.5, 20.25, 120, 150));
}

// A slide moves the widget itself, so the whole tile shows where it slides
// to; the frame stays where the tile rests, and a new frame keeps the slide.
TEST(AppTile, ASlideMovesTheWholeWidgetAndKeepsTheFrame)
{
    AppTile tile(QRectF(10.5, 20.25, 120, 150), LayoutEntry::app("a"), "A");
    tile.setSlide(-60.25);
    expectRect(tile.frame(), QRectF(10.5, 20.25, 120, 150));
    EXPECT_EQ(tile.geometry(), QRect(-52, 18, 125, 155));
    tile.setFrame(QRectF(200, 20.25, 120, 150));
    EXPECT_EQ(tile.geometry(), QRect(137, 18, 125, 155));
    tile.setSlide(0);
    expectRect(tile.frame(), QRectF(200, 20.25, 120, 150));
    EXPECT_EQ(tile.geometry(), QRect(198, 18, 124, 155));
    EXPECT_EQ(tile.slide(), 0);
}

TEST(AppTile, NonFiniteFrameIsKeptUsable)
{
    AppTile tile(QRectF(kNaN, 5, -3, kNaN), LayoutEntry::app("a"), "A");
    expectRect(tile.frame(), QRectF(0, 5, 0, 0));
}

TEST(AppTile, RendersAtScaleTwoInNoWindowAndAtTheWindowsScaleInOne)
{
    AppTile loose(QRectF(0, 0, 120, 150), LayoutEntry::app("a"), "A");
    EXPECT_DOUBLE_EQ(loose.renderScale(), 2);
    const QImage icon = solidImage(Qt::red);
    assignState(loose, &TileState::icon, icon);
    const QImage raster = loose.rasterized(icon, 88);
    EXPECT_EQ(raster.size(), QSize(176, 176));
    EXPECT_DOUBLE_EQ(raster.devicePixelRatio(), 2);
    EXPECT_EQ(loose.rasterized(icon, 0).size(), QSize(1, 1));

    QWidget window;
    window.resize(300, 300);
    auto *tile = new AppTile(QRectF(0, 0, 120, 150), LayoutEntry::app("a"), "A", &window);
    window.show();
    ASSERT_NE(window.windowHandle(), nullptr);
    EXPECT_DOUBLE_EQ(tile->renderScale(), window.windowHandle()->devicePixelRatio());
    assignState(*tile, &TileState::icon, icon);
    const int expected = TileGeometry::devicePixelSide(88, tile->renderScale());
    EXPECT_EQ(tile->rasterized(icon, 88).size(), QSize(expected, expected));
}

TEST(AppTile, IconCacheFollowsImageIdentityAndHoldsFourSizes)
{
    AppTile tile(QRectF(0, 0, 120, 150), LayoutEntry::app("a"), "A");
    const QImage icon = solidImage(Qt::red);
    assignState(tile, &TileState::icon, icon);
    tile.rasterized(icon, 88);
    tile.rasterized(icon, 44);
    EXPECT_EQ(tile.rasterizedIconSides(), (QList<int>{88, 176}));

    // A copy shares the image: same icon, cache kept.
    const QImage copy = icon;
    assignState(tile, &TileState::icon, copy);
    EXPECT_EQ(tile.rasterizedIconSides().size(), 2);

    // An equal but distinct image empties the cache.
    assignState(tile, &TileState::icon, icon.copy());
    EXPECT_TRUE(tile.rasterizedIconSides().isEmpty());

    // Other images (the incoming icon of a merge preview) are never stored.
    tile.rasterized(solidImage(Qt::blue), 88);
    EXPECT_TRUE(tile.rasterizedIconSides().isEmpty());

    const QImage own = *tile.icon();
    for (double side : {10.0, 20.0, 30.0, 40.0})
        tile.rasterized(own, side);
    EXPECT_EQ(tile.rasterizedIconSides(), (QList<int>{20, 40, 60, 80}));
    // A cached size is returned as it is, the cache unchanged.
    EXPECT_EQ(tile.rasterized(own, 20).cacheKey(), tile.rasterized(own, 20).cacheKey());
    // A fifth size starts afresh with only itself.
    tile.rasterized(own, 50);
    EXPECT_EQ(tile.rasterizedIconSides(), (QList<int>{100}));

    // A null image is no icon at all.
    assignState(tile, &TileState::icon, QImage());
    EXPECT_FALSE(tile.icon().has_value());
}

class CountingTile : public AppTile
{
public:
    using AppTile::AppTile;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        ++paints;
        AppTile::paintEvent(event);
    }
};

TEST(AppTile, StateFieldsRedrawOnlyOnChange)
{
    QWidget window;
    window.resize(200, 200);
    auto *tile = new CountingTile(QRectF(0, 0, 120, 150), LayoutEntry::app("a"), "A", &window);
    window.show();
    QApplication::processEvents();
    const auto paintsAfter = [&](auto act) {
        QApplication::processEvents();
        tile->paints = 0;
        act();
        QApplication::processEvents();
        return tile->paints;
    };

    EXPECT_GT(paintsAfter([&] { assignState(*tile, &TileState::dimmed, true); }), 0);
    EXPECT_EQ(paintsAfter([&] { assignState(*tile, &TileState::dimmed, true); }), 0);
    EXPECT_GT(paintsAfter([&] { assignState(*tile, &TileState::selected, true); }), 0);
    EXPECT_GT(paintsAfter([&] { assignState(*tile, &TileState::mergeTarget, true); }), 0);
    EXPECT_GT(paintsAfter([&] { assignState(*tile, &TileState::dragging, true); }), 0);
    EXPECT_GT(paintsAfter([&] { assignState(*tile, &TileState::showsDeleteBadge, true); }), 0);
    EXPECT_GT(paintsAfter([&] { assignState(*tile, &TileState::deleteBadgePressed, true); }), 0);
    EXPECT_GT(paintsAfter([&] { assignState(*tile, &TileState::badgePlacement, EditModeBadgePlacement::topRight); }), 0);
    EXPECT_EQ(paintsAfter([&] { assignState(*tile, &TileState::badgePlacement, EditModeBadgePlacement::topRight); }), 0);
    const QImage incoming = solidImage(Qt::blue);
    EXPECT_GT(paintsAfter([&] { assignState(*tile, &TileState::mergePreviewIcon, incoming); }), 0);
    EXPECT_EQ(paintsAfter([&] { assignState(*tile, &TileState::mergePreviewIcon, incoming); }), 0);
    EXPECT_GT(paintsAfter([&] { assignState(*tile, &TileState::mergePreviewIcon, incoming.copy()); }), 0);
    // These have no observers: their owner redraws when it needs to.
    EXPECT_EQ(paintsAfter([&] {
                  assignState(*tile, &TileState::title, "B");
                  assignState(*tile, &TileState::iconSide, 60);
                  assignState(*tile, &TileState::showLabel, false);
                  assignState(*tile, &TileState::icon, solidImage(Qt::red));
                  assignState(*tile, &TileState::folderPreview, solidImage(Qt::green));
              }),
              0);
}

// ---------------------------------------------------------------- rendering

const QColor kBackground(60, 60, 60);

// Renders the tile on an opaque grey at `scale` device pixels per point.
QImage renderTile(AppTile &tile, double scale)
{
    const QSize logical = tile.size();
    QImage image(QSize(std::lround(logical.width() * scale), std::lround(logical.height() * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(kBackground);
    tile.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The pixel under a point in tile coordinates (the frame sits at whole pixels).
QColor probe(const QImage &image, const AppTile &tile, QPointF point)
{
    const double scale = image.devicePixelRatio();
    const QPointF inWidget = point + (tile.frame().topLeft() - QPointF(tile.pos()));
    return image.pixelColor(static_cast<int>(std::floor(inWidget.x() * scale)),
                            static_cast<int>(std::floor(inWidget.y() * scale)));
}

// Grey level of a background pixel under white of this alpha.
int overlaid(double alpha)
{
    return static_cast<int>(std::lround(60 + alpha * (255 - 60)));
}

void expectGrey(const QColor &color, int level, int tolerance = 3)
{
    EXPECT_NEAR(color.red(), level, tolerance);
    EXPECT_NEAR(color.green(), level, tolerance);
    EXPECT_NEAR(color.blue(), level, tolerance);
}

// The badge's disc: grey 0.97 at alpha 0.98 over anything.
void expectDisc(const QColor &color)
{
    EXPECT_GT(color.red(), 235);
    EXPECT_GT(color.green(), 235);
    EXPECT_GT(color.blue(), 235);
}

struct AreaStats
{
    int bright = 0; // nearly white: glyphs
    int dark = 0;   // darker than the background: shadow
    double minX = 1e9;
    double maxX = -1e9;
};

AreaStats scanArea(const QImage &image, const AppTile &tile, const QRectF &area, int brightLevel = 200)
{
    AreaStats stats;
    const double scale = image.devicePixelRatio();
    const QPointF offset = tile.frame().topLeft() - QPointF(tile.pos());
    const QRectF device((area.topLeft() + offset) * scale, area.size() * scale);
    for (int y = std::max(0, int(device.top())); y < std::min(image.height(), int(device.bottom())); ++y) {
        for (int x = std::max(0, int(device.left())); x < std::min(image.width(), int(device.right())); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() >= brightLevel && c.green() >= brightLevel && c.blue() >= brightLevel) {
                ++stats.bright;
                stats.minX = std::min(stats.minX, x / scale - offset.x());
                stats.maxX = std::max(stats.maxX, x / scale - offset.x());
            }
            if (c.red() < 50 && c.green() < 50 && c.blue() < 50)
                ++stats.dark;
        }
    }
    return stats;
}

int darkestIn(const QImage &image, const AppTile &tile, const QRectF &area)
{
    const double scale = image.devicePixelRatio();
    const QPointF offset = tile.frame().topLeft() - QPointF(tile.pos());
    const QRectF device((area.topLeft() + offset) * scale, area.size() * scale);
    int darkest = 255;
    for (int y = int(device.top()); y < int(device.bottom()); ++y)
        for (int x = int(device.left()); x < int(device.right()); ++x)
            darkest = std::min(darkest, image.pixelColor(x, y).green());
    return darkest;
}

class RenderedTile : public ::testing::TestWithParam<double>
{
protected:
    // A 120 x 150 tile at whole pixels, icon side 88, an opaque red icon.
    std::unique_ptr<AppTile> makeTile(const LayoutEntry &entry = LayoutEntry::app("com.example.safari"),
                                      const QString &title = "Safari")
    {
        auto tile = std::make_unique<AppTile>(QRectF(0, 0, 120, 150), entry, title);
        assignState(*tile, &TileState::icon, solidImage(Qt::red));
        return tile;
    }
    double scale() const { return GetParam(); }
    const QRectF betweenIconAndLabel = QRectF(8, 94, 1, 1); // inside the highlight plate only
};

TEST_P(RenderedTile, PlainApplicationShowsIconAndShadowedLabel)
{
    auto tile = makeTile();
    const QImage image = renderTile(*tile, scale());
    EXPECT_EQ((probe(image, *tile, QPointF(60, 48))).rgb(), QColor(Qt::red).rgb());
    expectGrey(probe(image, *tile, betweenIconAndLabel.topLeft()), 60, 0);

    const AreaStats label = scanArea(image, *tile, QRectF(0, 98, 120, 44));
    EXPECT_GT(label.bright, 20);
    EXPECT_GT(label.dark, 5) << "the text has a dark shadow";
    // Centred: the glyphs' extent is symmetric about the middle.
    EXPECT_NEAR((label.minX + label.maxX) / 2, 60, 3);
    // Nothing of the label above its rectangle.
    EXPECT_EQ(scanArea(image, *tile, QRectF(0, 93, 120, 4)).bright, 0);
}

TEST_P(RenderedTile, LongTitleIsTruncatedInsideTheLabelRect)
{
    auto tile = makeTile(LayoutEntry::app("x"), QString("An Application With A Very Long Name Indeed").repeated(2));
    const QImage image = renderTile(*tile, scale());
    const AreaStats label = scanArea(image, *tile, QRectF(-2, 98, 124, 44));
    EXPECT_GE(label.minX, 2);
    EXPECT_LE(label.maxX, 118);
    EXPECT_GT(label.maxX - label.minX, 90) << "a long title fills the width";
    // One line only: no glyphs in the lower part of the label rectangle.
    EXPECT_EQ(scanArea(image, *tile, QRectF(0, 125, 120, 11)).bright, 0);
}

TEST_P(RenderedTile, MergeTargetGetsThePlateAndAnEnlargedIcon)
{
    auto tile = makeTile();
    const QImage before = renderTile(*tile, scale());
    expectGrey(probe(before, *tile, QPointF(13, 48)), 60, 0);

    assignState(*tile, &TileState::mergeTarget, true);
    const QImage image = renderTile(*tile, scale());
    expectGrey(probe(image, *tile, betweenIconAndLabel.topLeft()), overlaid(0.2));
    // The plate's stroke, white 0.65 two points wide on its edge; its inner
    // half lies over the fill.
    expectGrey(probe(image, *tile, QPointF(60, 133.8)), std::lround(overlaid(0.2) + 0.65 * (255 - overlaid(0.2))), 6);
    // The icon grows by 10 % about its centre: 11.6 .. 108.4.
    EXPECT_EQ((probe(image, *tile, QPointF(13, 48))).rgb(), QColor(Qt::red).rgb());
    EXPECT_EQ((probe(image, *tile, QPointF(107.5, 48))).rgb(), QColor(Qt::red).rgb());
}

TEST_P(RenderedTile, DimmingFadesIconAndLabelButNotPlateOrBadge)
{
    auto tile = makeTile();
    assignState(*tile, &TileState::dimmed, true);
    assignState(*tile, &TileState::mergeTarget, true);
    assignState(*tile, &TileState::showsDeleteBadge, true);
    const QImage image = renderTile(*tile, scale());
    // The red icon at alpha 0.42 over the plate's grey.
    const QColor icon = probe(image, *tile, QPointF(60, 48));
    const int plate = overlaid(0.2);
    EXPECT_NEAR(icon.red(), std::lround(plate + 0.42 * (255 - plate)), 3);
    EXPECT_NEAR(icon.green(), std::lround(plate * 0.58), 3);
    // The plate is drawn at full strength under the dimmed content.
    expectGrey(probe(image, *tile, betweenIconAndLabel.topLeft()), overlaid(0.2));
    // Text alpha 0.8 inside the context alpha 0.42: no glyph gets near white.
    // (Inside the plate's stroke.)
    const AreaStats label = scanArea(image, *tile, QRectF(6, 98, 108, 28), 180);
    EXPECT_EQ(label.bright, 0);
    EXPECT_GT(scanArea(image, *tile, QRectF(6, 98, 108, 28), 130).bright, 10);
    // The badge is not dimmed: its disc is nearly white.
    const QRectF badge = tile->deleteBadgeRect();
    expectDisc(probe(image, *tile, badge.center() + QPointF(0, 0.35 * badge.height())));
}

TEST_P(RenderedTile, DeleteBadgeDiscCrossAndPressedState)
{
    auto tile = makeTile();
    assignState(*tile, &TileState::showsDeleteBadge, true);
    const QRectF badge = tile->deleteBadgeRect();
    const QPointF onDisc = badge.center() + QPointF(0, 0.35 * badge.height());
    const QPointF nearRim = QPointF(badge.center().x(), badge.top() + 0.75);

    const QRectF middle(badge.center() - QPointF(2, 2), QSizeF(4, 4));

    QImage image = renderTile(*tile, scale());
    expectDisc(probe(image, *tile, onDisc));
    const int cross = darkestIn(image, *tile, middle);
    EXPECT_GT(probe(image, *tile, nearRim).green(), 150) << "the disc reaches its rim";

    assignState(*tile, &TileState::deleteBadgePressed, true);
    image = renderTile(*tile, scale());
    const int pressedCross = darkestIn(image, *tile, middle);
    EXPECT_LT(pressedCross, cross - 15) << "pressing darkens the cross";
    if (scale() == 2) {
        // Strokes of 2.2 device pixels cover whole pixels: grey 0.28, then 0.16.
        EXPECT_NEAR(cross, 71, 8);
        EXPECT_NEAR(pressedCross, 41, 8);
    }
    // The pressed disc is a point smaller on every side: the rim shows the icon.
    const QColor rim = probe(image, *tile, nearRim);
    EXPECT_GT(rim.red(), 150);
    EXPECT_LT(rim.green(), 120);

    assignState(*tile, &TileState::deleteBadgePressed, false);
    assignState(*tile, &TileState::badgePlacement, EditModeBadgePlacement::topRight);
    image = renderTile(*tile, scale());
    const QRectF right = tile->deleteBadgeRect();
    EXPECT_GT(right.left(), 60);
    expectDisc(probe(image, *tile, right.center() + QPointF(0, 0.35 * right.height())));
    EXPECT_EQ((probe(image, *tile, onDisc)).rgb(), QColor(Qt::red).rgb()) << "no badge left on the left corner";
}

TEST_P(RenderedTile, DraggingDrawsOnlyThePlaceholder)
{
    auto tile = makeTile();
    assignState(*tile, &TileState::dragging, true);
    assignState(*tile, &TileState::mergeTarget, true);
    assignState(*tile, &TileState::dimmed, true);
    assignState(*tile, &TileState::showsDeleteBadge, true);
    assignState(*tile, &TileState::mergePreviewIcon, solidImage(Qt::blue));
    const QImage image = renderTile(*tile, scale());
    expectGrey(probe(image, *tile, QPointF(60, 48)), overlaid(0.05));
    expectGrey(probe(image, *tile, betweenIconAndLabel.topLeft()), 60, 0);
    const QRectF badge = tile->deleteBadgeRect();
    EXPECT_LT(probe(image, *tile, badge.center() + QPointF(0, 0.35 * badge.height())).red(), 100);
    EXPECT_EQ(scanArea(image, *tile, QRectF(0, 98, 120, 44)).bright, 0);
}

TEST_P(RenderedTile, MergePreviewShowsOwnIconLeftIncomingRightAndNothingElse)
{
    auto tile = makeTile();
    assignState(*tile, &TileState::mergeTarget, true);
    assignState(*tile, &TileState::dimmed, true);
    assignState(*tile, &TileState::showsDeleteBadge, true);
    assignState(*tile, &TileState::mergePreviewIcon, solidImage(Qt::blue));
    const QImage image = renderTile(*tile, scale());
    const TileGeometry::MergePreview preview = TileGeometry::mergePreview(tile->tileGeometry().iconRect());
    EXPECT_EQ((probe(image, *tile, preview.left.center())).rgb(), QColor(Qt::red).rgb()) << "not dimmed";
    EXPECT_EQ((probe(image, *tile, preview.right.center())).rgb(), QColor(Qt::blue).rgb());
    // Between the squares: the plate, white 0.26.
    const QPointF gap((preview.left.right() + preview.right.left()) / 2, preview.left.center().y());
    expectGrey(probe(image, *tile, gap), overlaid(0.26));
    // No highlight plate, no label, no badge.
    expectGrey(probe(image, *tile, betweenIconAndLabel.topLeft()), 60, 0);
    EXPECT_EQ(scanArea(image, *tile, QRectF(0, 98, 120, 44)).bright, 0);

    // Without an own icon the left square stays empty.
    assignState(*tile, &TileState::icon, std::nullopt);
    const QImage empty = renderTile(*tile, scale());
    expectGrey(probe(empty, *tile, preview.left.center()), overlaid(0.26));
    EXPECT_EQ((probe(empty, *tile, preview.right.center())).rgb(), QColor(Qt::blue).rgb());
}

TEST_P(RenderedTile, FolderPlateWithPreviewIgnoresIcon)
{
    auto tile = makeTile(folderEntry(), "Tools");
    const QRectF plate = tile->tileGeometry().plateRect();
    QImage image = renderTile(*tile, scale());
    expectGrey(probe(image, *tile, plate.center()), overlaid(0.2));
    // Just inside the plate, outside the preview's inset: still the plate.
    expectGrey(probe(image, *tile, plate.topLeft() + QPointF(plate.width() / 2, 2)), overlaid(0.2), 4);
    // Beyond the plate, where an application icon would be: background.
    expectGrey(probe(image, *tile, QPointF(18, 48)), 60, 0);

    assignState(*tile, &TileState::folderPreview, solidImage(Qt::green, 64));
    assignState(*tile, &TileState::mergeTarget, true);
    image = renderTile(*tile, scale());
    EXPECT_EQ((probe(image, *tile, plate.center())).rgb(), QColor(Qt::green).rgb());
    // A folder is never enlarged: the area an enlarged icon would cover is plate-free.
    expectGrey(probe(image, *tile, QPointF(18, 48)), overlaid(0.2));
}

TEST_P(RenderedTile, ApplicationWithoutIconShowsPlaceholder)
{
    auto tile = makeTile();
    assignState(*tile, &TileState::icon, std::nullopt);
    const QImage image = renderTile(*tile, scale());
    expectGrey(probe(image, *tile, QPointF(60, 48)), overlaid(0.16));
    expectGrey(probe(image, *tile, QPointF(18, 48)), 60, 0);
}

TEST_P(RenderedTile, HiddenLabelAndShorterPlate)
{
    auto tile = makeTile();
    assignState(*tile, &TileState::showLabel, false);
    assignState(*tile, &TileState::mergeTarget, true);
    const QImage image = renderTile(*tile, scale());
    EXPECT_EQ(scanArea(image, *tile, QRectF(0, 98, 120, 44)).bright, 0);
    // The plate ends at iconSide + 8 = 96.
    expectGrey(probe(image, *tile, QPointF(8, 90)), overlaid(0.2));
    expectGrey(probe(image, *tile, QPointF(60, 100)), 60, 0);
}

TEST_P(RenderedTile, SelectedTileIsMarkedFaintly)
{
    auto tile = makeTile();
    assignState(*tile, &TileState::selected, true);
    const QImage image = renderTile(*tile, scale());
    expectGrey(probe(image, *tile, betweenIconAndLabel.topLeft()), overlaid(0.12));
}

TEST_P(RenderedTile, LayerTransformMovesTheDrawing)
{
    auto tile = makeTile();
    tile->setLayerTransform(QTransform::fromTranslate(0, 2));
    const QImage image = renderTile(*tile, scale());
    EXPECT_EQ((probe(image, *tile, QPointF(60, 6.5))).rgb(), QColor(Qt::red).rgb()) << "top edge moved down";
    expectGrey(probe(image, *tile, QPointF(60, 5.5)), 60, 0);

    // Changes made while transformed show at the next paint.
    assignState(*tile, &TileState::dimmed, true);
    const QImage dimmed = renderTile(*tile, scale());
    EXPECT_LT(probe(dimmed, *tile, QPointF(60, 50)).red(), 200);
    assignState(*tile, &TileState::dimmed, false);
    assignState(*tile, &TileState::icon, solidImage(Qt::blue));
    assignState(*tile, &TileState::showLabel, false);
    const QImage blue = renderTile(*tile, scale());
    EXPECT_EQ(probe(blue, *tile, QPointF(60, 50)).rgb(), QColor(Qt::blue).rgb());
    EXPECT_EQ(scanArea(blue, *tile, QRectF(0, 98, 120, 44)).bright, 0);

    // A rotation about the centre keeps the centre and moves the corners.
    tile->setLayerTransform(QTransform().rotate(10));
    const QImage rotated = renderTile(*tile, scale());
    EXPECT_EQ(probe(rotated, *tile, QPointF(60, 50)).rgb(), QColor(Qt::blue).rgb());
    expectGrey(probe(rotated, *tile, QPointF(17, 6)), 60, 0);
}

INSTANTIATE_TEST_SUITE_P(Scales, RenderedTile, ::testing::Values(1.0, 2.0),
                         [](const ::testing::TestParamInfo<double> &info) {
                             return info.param == 1.0 ? std::string("Scale1") : std::string("Scale2");
                         });

// ---------------------------------------------------------------- one page

struct Page
{
    std::unique_ptr<QWidget> host;
    QList<AppTile *> tiles;
};

QColor tileColor(int i)
{
    return QColor::fromHsv((i * 37) % 360, 255, 230).toRgb();
}

// 7 x 5 tiles of 200 x 160 points on a 1920 x 1080 page, origin x fractional
// by half a point and icon side 87.3, so that icons are snapped.
Page makePage()
{
    Page page;
    page.host = std::make_unique<QWidget>();
    page.host->resize(1920, 1080);
    for (int i = 0; i < 35; ++i) {
        const QRectF frame(100.5 + (i % 7) * 240, 60 + (i / 7) * 190, 200, 160);
        auto *tile = new AppTile(frame, LayoutEntry::app(QString("app.%1").arg(i)), QString("App %1").arg(i),
                                 page.host.get());
        assignState(*tile, &TileState::iconSide, 87.3);
        assignState(*tile, &TileState::icon, solidImage(tileColor(i)));
        tile->show();
        page.tiles.append(tile);
    }
    return page;
}

QImage renderPage(QWidget &host, double scale)
{
    QImage image(QSize(std::lround(1920 * scale), std::lround(1080 * scale)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(kBackground);
    host.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QColor pageProbe(const QImage &image, const AppTile &tile, QPointF point)
{
    const double scale = image.devicePixelRatio();
    const QPointF p = tile.frame().topLeft() + point;
    return image.pixelColor(static_cast<int>(std::floor(p.x() * scale)), static_cast<int>(std::floor(p.y() * scale)));
}

TEST(RenderedPage, EveryTileDrawsItsOwnStateInNoWindowAtScale2)
{
    Page page = makePage();
    assignState(*page.tiles[8], &TileState::dimmed, true);
    assignState(*page.tiles[10], &TileState::mergeTarget, true);
    assignState(*page.tiles[12], &TileState::showsDeleteBadge, true);
    assignState(*page.tiles[20], &TileState::dragging, true);
    const QImage image = renderPage(*page.host, 2);

    for (int i = 0; i < page.tiles.size(); ++i) {
        const AppTile &tile = *page.tiles[i];
        SCOPED_TRACE(i);
        const QColor icon = pageProbe(image, tile, QPointF(100, 48));
        if (i == 20) {
            expectGrey(icon, overlaid(0.05));
            continue;
        }
        if (i != 8) {
            EXPECT_EQ((icon).rgb(), tileColor(i).rgb());
        }
        // Every label has glyphs (the dimmed one less bright).
        const double scale = image.devicePixelRatio();
        int glyphs = 0;
        for (int y = 0; y < 20 * scale; ++y)
            for (int x = 0; x < 196 * scale; ++x) {
                const QColor c = image.pixelColor(int((tile.frame().x() + 2) * scale) + x,
                                                  int((tile.frame().y() + 97.3) * scale) + y);
                glyphs += c.red() > (i == 8 ? 110 : 200) && c.blue() > (i == 8 ? 110 : 200);
            }
        EXPECT_GT(glyphs, 20);
    }
    expectGrey(pageProbe(image, *page.tiles[10], QPointF(8, 93)), overlaid(0.2));
    expectGrey(pageProbe(image, *page.tiles[11], QPointF(8, 93)), 60, 0);
    const QRectF badge = page.tiles[12]->deleteBadgeRect();
    expectDisc(pageProbe(image, *page.tiles[12], badge.center() + QPointF(0, 0.35 * badge.height())));
}

TEST(RenderedPage, IconsLandOnWholeDevicePixels)
{
    for (const double scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        Page page = makePage();
        if (scale == 1.0) {
            // A shown window on the offscreen platform renders at its own scale.
            page.host->show();
            if (page.tiles[0]->renderScale() != 1.0)
                GTEST_SKIP() << "the offscreen screen is not at scale 1";
            for (AppTile *tile : page.tiles) // whole-pixel frames, as the launcher view snaps them at scale 1
                tile->setFrame(QRectF(std::round(tile->frame().x()), tile->frame().y(), 200, 160));
        }
        const QImage image = renderPage(*page.host, scale);
        const AppTile &tile = *page.tiles[16];
        const QRectF destination =
            TileGeometry::pixelAligned(tile.tileGeometry().iconDestination(false), tile.renderScale());
        const QPointF topLeft = (tile.frame().topLeft() + destination.topLeft()) * scale;
        const QPointF bottomRight = (tile.frame().topLeft() + destination.bottomRight()) * scale;
        ASSERT_NEAR(topLeft.x(), std::round(topLeft.x()), 1e-6);
        const int left = int(std::round(topLeft.x()));
        const int right = int(std::round(bottomRight.x()));
        const int row = int(std::round((topLeft.y() + bottomRight.y()) / 2));
        // Crisp edges: the first and last columns are the icon's colour, the
        // columns beyond them the background.
        EXPECT_EQ((image.pixelColor(left, row)).rgb(), tileColor(16).rgb());
        EXPECT_EQ((image.pixelColor(right - 1, row)).rgb(), tileColor(16).rgb());
        expectGrey(image.pixelColor(left - 1, row), 60, 0);
        expectGrey(image.pixelColor(right, row), 60, 0);
    }
}

} // namespace
