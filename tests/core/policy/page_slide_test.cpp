#include "policy/page_slide.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <limits>
#include <string>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

struct ProgressCase
{
    const char *name;
    double displacement;
    double travel;
    bool atEdge;
    double resistance;
    double expected;
};

void PrintTo(const ProgressCase &c, std::ostream *os)
{
    *os << c.name;
}

class DragProgressTest : public ::testing::TestWithParam<ProgressCase>
{
};

TEST_P(DragProgressTest, Computes)
{
    const ProgressCase &c = GetParam();
    EXPECT_NEAR(PageSlide::dragProgress(c.displacement, c.travel, c.atEdge, c.resistance), c.expected, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DragProgressTest,
    ::testing::Values(ProgressCase{"HalfTravel", 170, 340, false, 0.22, 0.5},
                      ProgressCase{"PastTravelCapsAtOne", 500, 340, false, 0.22, 1},
                      ProgressCase{"BackwardsIsZero", -50, 340, false, 0.22, 0},
                      ProgressCase{"EdgeFullTravel", 340, 340, true, 0.22, 0.2000},
                      ProgressCase{"EdgeTenTravels", 3400, 340, true, 0.22, 0.22},
                      ProgressCase{"EdgeResistanceCappedAtHalf", 1e9, 340, true, 0.9, 0.5},
                      ProgressCase{"EdgeResistanceAtLeastOnePercent", 1e9, 340, true, 0, 0.01},
                      ProgressCase{"TravelBelowOneCountsAsOne", 0.5, 0, false, 0.22, 0.5},
                      ProgressCase{"NaNDisplacementIsZero", kNaN, 340, false, 0.22, 0},
                      ProgressCase{"NaNTravelCountsAsOne", 0.25, kNaN, false, 0.22, 0.25},
                      ProgressCase{"InfiniteDisplacementIsWholePage", kInf, 340, false, 0.22, 1},
                      ProgressCase{"InfiniteDisplacementAtEdgeIsResistance", kInf, 340, true, 0.22, 0.22},
                      ProgressCase{"NaNResistanceTakesDefault", kInf, 340, true, kNaN, 0.22}),
    [](const ::testing::TestParamInfo<ProgressCase> &info) { return std::string(info.param.name); });

TEST(PageSlideTest, EdgeProgressNeverPassesResistance)
{
    double last = 0;
    for (double d = 0; d <= 34000; d += 170) {
        const double p = PageSlide::dragProgress(d, 340, true);
        EXPECT_GE(p, last);
        EXPECT_LT(p, 0.22 + 1e-12);
        last = p;
    }
}

TEST(PageSlideTest, ShouldCommit)
{
    EXPECT_TRUE(PageSlide::shouldCommit(0.28, 0, false));
    EXPECT_FALSE(PageSlide::shouldCommit(0.279, 0, false));
    EXPECT_TRUE(PageSlide::shouldCommit(0.1, 1.1, false));
    EXPECT_FALSE(PageSlide::shouldCommit(0.1, 1.09, false));
    // A fast movement back toward the start never commits by speed.
    EXPECT_FALSE(PageSlide::shouldCommit(0.1, -5, false));
    EXPECT_FALSE(PageSlide::shouldCommit(1, 100, true));
    EXPECT_TRUE(PageSlide::shouldCommit(0.021, 0, false, 0.02));
    EXPECT_FALSE(PageSlide::shouldCommit(kNaN, kNaN, false));
}

TEST(PageSlideTest, SettleDuration)
{
    EXPECT_NEAR(PageSlide::settleDuration(0.28, 1), 0.34 * 0.8264, 1e-12);
    EXPECT_NEAR(PageSlide::settleDuration(0, 0), 0.1292, 1e-12);
    EXPECT_NEAR(PageSlide::settleDuration(0, 5), 0.34, 1e-12);
    EXPECT_NEAR(PageSlide::settleDuration(1, 0), 0.34, 1e-12);
    EXPECT_EQ(PageSlide::settleDuration(0, 0, 0.05), 0.12);
    EXPECT_EQ(PageSlide::settleDuration(0, 1, -3), 0.12);
    // No number in, still a sane animation out.
    EXPECT_NEAR(PageSlide::settleDuration(kNaN, 1), 0.34, 1e-12);
    EXPECT_NEAR(PageSlide::settleDuration(0, kInf), 0.34, 1e-12);
    EXPECT_NEAR(PageSlide::settleDuration(0, 1, kNaN), 0.34, 1e-12);
}

TEST(PageSlideTest, Origins)
{
    EXPECT_EQ(PageSlide::origins(1000, 0, 1), (PageSlide::Origins{0, 1000}));
    EXPECT_EQ(PageSlide::origins(1000, 0, -1), (PageSlide::Origins{0, -1000}));
    EXPECT_EQ(PageSlide::origins(1000, 1, 1), (PageSlide::Origins{-1000, 0}));
    EXPECT_EQ(PageSlide::origins(1000, 1, -1), (PageSlide::Origins{1000, 0}));
    EXPECT_EQ(PageSlide::origins(1000, 0.25, 0), (PageSlide::Origins{-250, 750}));
    EXPECT_EQ(PageSlide::origins(1000, 2, 1), (PageSlide::Origins{-1000, 0}));
    EXPECT_EQ(PageSlide::origins(-5, 0.5, 1), (PageSlide::Origins{0, 0}));
    EXPECT_EQ(PageSlide::origins(1000, kNaN, 1), (PageSlide::Origins{0, 1000}));
    EXPECT_EQ(PageSlide::origins(kInf, 0.5, 1), (PageSlide::Origins{0, 0}));
}

} // namespace
