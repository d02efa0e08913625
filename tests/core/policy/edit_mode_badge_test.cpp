#include "policy/edit_mode_badge.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <limits>
#include <string>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct BadgeCase
{
    const char *name;
    QRectF icon;
    QRectF tile;
    EditModeBadgePlacement placement;
    QRectF expected;
};

class EditModeBadgeTest : public ::testing::TestWithParam<BadgeCase>
{
};

TEST_P(EditModeBadgeTest, PlacesTheBadge)
{
    const BadgeCase &c = GetParam();
    const QRectF rect = EditModeBadge(c.icon, c.tile, c.placement).rect;
    EXPECT_NEAR(rect.x(), c.expected.x(), 1e-9);
    EXPECT_NEAR(rect.y(), c.expected.y(), 1e-9);
    EXPECT_NEAR(rect.width(), c.expected.width(), 1e-9);
    EXPECT_NEAR(rect.height(), c.expected.height(), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditModeBadgeTest,
    ::testing::Values(
        // side 16, inset 11.8, overhang 0.32: centre 21.48 from the icon's corner.
        BadgeCase{"TopLeftOfALargeIcon", QRectF(10, 10, 100, 100), QRectF(0, 0, 120, 140),
                  EditModeBadgePlacement::topLeft, QRectF(13.48, 13.48, 16, 16)},
        BadgeCase{"TopRightOfALargeIcon", QRectF(10, 10, 100, 100), QRectF(0, 0, 120, 140),
                  EditModeBadgePlacement::topRight, QRectF(90.52, 13.48, 16, 16)},
        BadgeCase{"MinimumSide", QRectF(20, 8, 64, 64), QRectF(0, 0, 104, 104), EditModeBadgePlacement::topLeft,
                  QRectF(20.272, 8.272, 14, 14)},
        BadgeCase{"MaximumSide", QRectF(0, 20, 200, 200), QRectF(-10, 0, 240, 240),
                  EditModeBadgePlacement::topRight, QRectF(0 + 200 - 23.6 + 0.44 - 11, 20 + 23.6 - 0.44 - 11, 22, 22)},
        BadgeCase{"PushedBackInsideATightTileLeft", QRectF(0, 0, 64, 64), QRectF(0, 0, 64, 64),
                  EditModeBadgePlacement::topLeft, QRectF(1, 1, 14, 14)},
        BadgeCase{"PushedBackInsideATightTileRight", QRectF(0, 0, 64, 64), QRectF(0, 0, 64, 64),
                  EditModeBadgePlacement::topRight, QRectF(49, 1, 14, 14)},
        BadgeCase{"TileTooSmallKeepsTheTopLeftMargin", QRectF(0, 0, 64, 64), QRectF(0, 0, 10, 10),
                  EditModeBadgePlacement::topRight, QRectF(1, 1, 14, 14)},
        BadgeCase{"NegativeWidthIsTakenByItsExtent", QRectF(110, 10, -100, 100), QRectF(0, 0, 120, 140),
                  EditModeBadgePlacement::topLeft, QRectF(13.48, 13.48, 16, 16)},
        // NaN coordinates used to flow through min/max in an order-dependent
        // way; they now count as 0 and the badge stays finite.
        BadgeCase{"NaNIconCountsAsEmpty", QRectF(kNaN, kNaN, kNaN, kNaN), QRectF(0, 0, 80, 80),
                  EditModeBadgePlacement::topLeft, QRectF(1, 1, 14, 14)},
        BadgeCase{"InfiniteTileCountsAsEmpty", QRectF(10, 10, 100, 100),
                  QRectF(0, 0, std::numeric_limits<double>::infinity(), 100), EditModeBadgePlacement::topRight,
                  QRectF(1, 13.48, 16, 16)}),
    [](const ::testing::TestParamInfo<BadgeCase> &info) { return std::string(info.param.name); });

TEST(EditModeBadgeCrossTest, ArmAndStroke)
{
    const EditModeBadge small(QRectF(0, 0, 64, 64), QRectF(0, 0, 100, 100), EditModeBadgePlacement::topLeft);
    EXPECT_NEAR(small.crossArm(), 14 * 0.18, 1e-12);
    EXPECT_DOUBLE_EQ(small.crossLineWidth(), 1.1) << "minimum stroke";
    const EditModeBadge large(QRectF(0, 0, 200, 200), QRectF(0, 0, 300, 300), EditModeBadgePlacement::topLeft);
    EXPECT_NEAR(large.crossArm(), 22 * 0.18, 1e-12);
    EXPECT_NEAR(large.crossLineWidth(), 22 * 0.062, 1e-12);
}

TEST(EditModeBadgeHitTest, SlackGrowsEverySide)
{
    const EditModeBadge badge(QRectF(0, 0, 64, 64), QRectF(0, 0, 64, 64), EditModeBadgePlacement::topLeft);
    ASSERT_EQ(badge.rect, QRectF(1, 1, 14, 14));
    EXPECT_TRUE(badge.hitTest(QPointF(8, 8)));
    EXPECT_TRUE(badge.hitTest(QPointF(-4, -4))) << "5 points of slack up and left, edge included";
    EXPECT_TRUE(badge.hitTest(QPointF(20, 20)));
    EXPECT_FALSE(badge.hitTest(QPointF(20.01, 8)));
    EXPECT_FALSE(badge.hitTest(QPointF(-4.01, 8)));
    EXPECT_FALSE(badge.hitTest(QPointF(18, 8), 0));
    EXPECT_FALSE(badge.hitTest(QPointF(8, 8), -8)) << "a slack that swallows the badge hits nothing";
    EXPECT_FALSE(badge.hitTest(QPointF(kNaN, 8)));
}

struct ParseCase
{
    const char *name;
    std::optional<QString> text;
    EditModeBadgePlacement expected;
};

class EditModeBadgePlacementParseTest : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(EditModeBadgePlacementParseTest, Parses)
{
    const ParseCase &c = GetParam();
    EXPECT_EQ(EditModeBadgePlacement::parse(c.text).rawValue().toStdString(), c.expected.rawValue().toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditModeBadgePlacementParseTest,
    ::testing::Values(ParseCase{"None", std::nullopt, EditModeBadgePlacement::topLeft},
                      ParseCase{"Right", QStringLiteral("right"), EditModeBadgePlacement::topRight},
                      ParseCase{"UpperCaseTR", QStringLiteral("TR"), EditModeBadgePlacement::topRight},
                      ParseCase{"TopRightCamel", QStringLiteral("topRight"), EditModeBadgePlacement::topRight},
                      ParseCase{"Hyphenated", QStringLiteral("Top-Right"), EditModeBadgePlacement::topRight},
                      ParseCase{"LeadingSpaceNotTrimmed", QStringLiteral(" tr"), EditModeBadgePlacement::topLeft},
                      ParseCase{"Left", QStringLiteral("left"), EditModeBadgePlacement::topLeft},
                      ParseCase{"Empty", QString(), EditModeBadgePlacement::topLeft},
                      ParseCase{"Unknown", QStringLiteral("bottom-right"), EditModeBadgePlacement::topLeft}),
    [](const ::testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.name); });

TEST(EditModeBadgePlacementTest, RawValues)
{
    QStringList raw;
    for (EditModeBadgePlacement placement : EditModeBadgePlacement::allCases())
        raw << placement.rawValue();
    EXPECT_EQ(raw, QStringList({"left", "right"}));
    EXPECT_EQ(EditModeBadgePlacement::fromRawValue("right"), EditModeBadgePlacement::topRight);
    EXPECT_FALSE(EditModeBadgePlacement::fromRawValue("topRight"));
    EXPECT_FALSE(EditModeBadgePlacement::fromRawValue("Left"));
}

} // namespace
