#include "policy/page_dots_geometry.h"

#include <gtest/gtest.h>

#include <ostream>

#include <climits>
#include <limits>
#include <optional>
#include <string>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(PageDotsGeometryTest, TotalWidth)
{
    EXPECT_EQ(PageDotsGeometry::totalWidth(-3), 0);
    EXPECT_EQ(PageDotsGeometry::totalWidth(0), 0);
    EXPECT_EQ(PageDotsGeometry::totalWidth(1), 7);
    EXPECT_EQ(PageDotsGeometry::totalWidth(2), 22);
    EXPECT_EQ(PageDotsGeometry::totalWidth(3), 37);
    EXPECT_EQ(PageDotsGeometry::totalWidth(INT_MAX), double(INT_MAX) * 15 - 8);
}

TEST(PageDotsGeometryTest, CentresAndRects)
{
    EXPECT_EQ(PageDotsGeometry::centerX(0, 3, 100), 35);
    EXPECT_EQ(PageDotsGeometry::centerX(1, 3, 100), 50);
    EXPECT_EQ(PageDotsGeometry::centerX(2, 3, 100), 65);
    EXPECT_EQ(PageDotsGeometry::centerX(0, 1, 100), 50);
    EXPECT_EQ(PageDotsGeometry::dotRect(1, 3, 100, 20), QRectF(46.5, 6.5, 7, 7));
}

struct HitCase
{
    const char *name;
    double x;
    int count;
    std::optional<int> expected;
};

void PrintTo(const HitCase &c, std::ostream *os)
{
    *os << c.name;
}

class PageDotsHitTest : public ::testing::TestWithParam<HitCase>
{
};

TEST_P(PageDotsHitTest, Index)
{
    const HitCase &c = GetParam();
    // The point's y is never looked at.
    EXPECT_EQ(PageDotsGeometry::index(QPointF(c.x, 1000), c.count, 100), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PageDotsHitTest,
                         ::testing::Values(HitCase{"ExactlySevenRightOfFirst", 42, 3, 0},
                                           HitCase{"SevenLeftOfSecond", 43, 3, 1},
                                           HitCase{"BetweenDots", 42.5, 3, std::nullopt},
                                           HitCase{"PastLastDot", 80, 3, std::nullopt},
                                           HitCase{"LeftEdgeOfFirst", 28, 3, 0},
                                           HitCase{"RightEdgeOfLast", 72, 3, 2},
                                           HitCase{"JustPastLast", 72.5, 3, std::nullopt},
                                           HitCase{"SingleDotNotClickable", 50, 1, std::nullopt},
                                           HitCase{"NoDots", 50, 0, std::nullopt},
                                           HitCase{"NaN", kNaN, 3, std::nullopt},
                                           HitCase{"Infinite", kInf, 3, std::nullopt}),
                         [](const ::testing::TestParamInfo<HitCase> &info) { return std::string(info.param.name); });

TEST(PageDotsGeometryTest, HitTestMatchesEveryDotOfALongRow)
{
    const int count = 40;
    const double width = 700;
    for (int i = 0; i < count; ++i) {
        const double c = PageDotsGeometry::centerX(i, count, width);
        EXPECT_EQ(PageDotsGeometry::index(QPointF(c - 7, 0), count, width), i);
        EXPECT_EQ(PageDotsGeometry::index(QPointF(c + 7, 0), count, width), i);
        EXPECT_FALSE(PageDotsGeometry::index(QPointF(c + 7.5, 0), count, width).has_value());
    }
}

TEST(PageDotsGeometryTest, HugeCountAnswersAtOnce)
{
    // The middle of the strip lies on the middle dot (INT_MAX is odd).
    EXPECT_EQ(PageDotsGeometry::index(QPointF(50, 0), INT_MAX, 100), INT_MAX / 2);
    EXPECT_FALSE(PageDotsGeometry::index(QPointF(50, 0), INT_MAX, kNaN).has_value());
}

} // namespace
