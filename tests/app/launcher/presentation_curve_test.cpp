#include "launcher/presentation_curve.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(PresentationCurveTest, CubicCurvesAndGridScale)
{
    EXPECT_DOUBLE_EQ(PresentationCurve::easeIn(0.5), 0.125);
    EXPECT_DOUBLE_EQ(PresentationCurve::easeOut(0.5), 0.875);
    EXPECT_DOUBLE_EQ(PresentationCurve::easeIn(2), 1);
    EXPECT_DOUBLE_EQ(PresentationCurve::easeOut(-1), 0);

    EXPECT_DOUBLE_EQ(PresentationCurve::gridScale(0), 0.94);
    EXPECT_DOUBLE_EQ(PresentationCurve::gridScale(0.5), 0.97);
    EXPECT_DOUBLE_EQ(PresentationCurve::gridScale(1), 1);
    EXPECT_DOUBLE_EQ(PresentationCurve::gridScale(std::nan("")), 1);
}

TEST(PresentationCurveTest, ShowAndHideValuesOverTime)
{
    // Show from 0 for 0.3 s, interrupted after 0.1 s: about 0.7 reached.
    const PresentationCurve::Animation show{0, 1, 0.3, 5, false};
    EXPECT_NEAR(show.valueAt(5.1), 1 - std::pow(2.0 / 3, 3), 1e-12);
    EXPECT_NEAR(show.valueAt(5.1), 0.7, 0.01);
    EXPECT_FALSE(show.isFinishedAt(5.29));
    EXPECT_TRUE(show.isFinishedAt(5.3));
    EXPECT_DOUBLE_EQ(show.valueAt(7), 1);

    // The hide then starts from there and eases in to 0 over 0.2 s.
    const double reached = show.valueAt(5.1);
    const PresentationCurve::Animation hide{reached, 0, 0.2, 5.1, true};
    EXPECT_DOUBLE_EQ(hide.valueAt(5.1), reached);
    EXPECT_NEAR(hide.valueAt(5.2), reached * (1 - 0.125), 1e-12);
    EXPECT_TRUE(hide.isFinishedAt(5.3 + 1e-9));
    EXPECT_DOUBLE_EQ(hide.valueAt(5.4), 0);
}

struct AnchorRow
{
    const char *name;
    QPointF anchor;
};

class CenteredScaleTest : public ::testing::TestWithParam<AnchorRow>
{
};

TEST_P(CenteredScaleTest, ScalesAboutTheCentreWhateverTheAnchor)
{
    const QRectF bounds(100, 50, 400, 200);
    const QTransform transform = PresentationCurve::centeredScale(bounds, GetParam().anchor, 0.94);
    const QPointF centre = transform.map(bounds.center());
    EXPECT_NEAR(centre.x(), 300, 1e-9);
    EXPECT_NEAR(centre.y(), 150, 1e-9);
    const QRectF mapped = transform.mapRect(bounds);
    EXPECT_NEAR(mapped.width(), 376, 1e-9);
    EXPECT_NEAR(mapped.height(), 188, 1e-9);
    EXPECT_NEAR(mapped.left(), 112, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Anchors, CenteredScaleTest,
                         ::testing::Values(AnchorRow{"topLeft", QPointF(0, 0)}, AnchorRow{"centre", QPointF(0.5, 0.5)},
                                           AnchorRow{"bottomRight", QPointF(1, 1)}),
                         [](const ::testing::TestParamInfo<AnchorRow> &info) { return std::string(info.param.name); });

} // namespace
