#include "policy/jiggle_motion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>

namespace {

struct WobbleCase
{
    const char *name;
    int index;
    double time;
    double rotation;
    double x;
    double y;
};

class JiggleMotionTest : public ::testing::TestWithParam<WobbleCase>
{
};

TEST_P(JiggleMotionTest, ValueAtTime)
{
    const WobbleCase &c = GetParam();
    const JiggleMotion motion(c.index, c.time);
    EXPECT_NEAR(motion.rotationRadians, c.rotation, 1e-9);
    EXPECT_NEAR(motion.translationX, c.x, 1e-9);
    EXPECT_NEAR(motion.translationY, c.y, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JiggleMotionTest,
    ::testing::Values(WobbleCase{"FirstTileAtZero", 0, 0, 0, 0, 0.4},
                      WobbleCase{"QuarterRotationPeriod", 0, 0.085, 0.013962634016, 0.578129995512, 0.105992600879},
                      WobbleCase{"SecondTileIsOutOfStep", 1, 0, 0.009431626125, -0.483948341081, -0.136848734998},
                      WobbleCase{"ThirdTileLater", 2, 0.2, 0.011183207665, -0.043919784205, 0.325150232281},
                      WobbleCase{"FourthTileAfterASecond", 3, 1.0, 0.007263594069, 0.363852555820, -0.246635115301},
                      // A NaN transform would make the tile vanish; rest instead.
                      WobbleCase{"NaNTimeRests", 5, std::numeric_limits<double>::quiet_NaN(), 0, 0, 0},
                      WobbleCase{"InfiniteTimeRests", 5, std::numeric_limits<double>::infinity(), 0, 0, 0}),
    [](const ::testing::TestParamInfo<WobbleCase> &info) { return std::string(info.param.name); });

TEST(JiggleMotionBoundsTest, StaysWithinItsAmplitudesAndRepeats)
{
    const double maxRotation = JiggleMotion::maxRotationDegrees * std::numbers::pi / 180;
    for (int index = -3; index < 40; index += 7) {
        for (double t = 0; t < 3; t += 0.013) {
            const JiggleMotion motion(index, t);
            EXPECT_LE(std::fabs(motion.rotationRadians), maxRotation + 1e-12);
            EXPECT_LE(std::fabs(motion.translationX), JiggleMotion::maxTranslationX + 1e-12);
            EXPECT_LE(std::fabs(motion.translationY), JiggleMotion::maxTranslationY + 1e-12);
            EXPECT_NEAR(JiggleMotion(index, t + 0.34).rotationRadians, motion.rotationRadians, 1e-9);
            EXPECT_NEAR(JiggleMotion(index, t + 0.29).translationX, motion.translationX, 1e-9);
            EXPECT_NEAR(JiggleMotion(index, t + 0.41).translationY, motion.translationY, 1e-9);
        }
    }
    EXPECT_DOUBLE_EQ(JiggleMotion::phase(3), 3 * 2.399963);
}

} // namespace
