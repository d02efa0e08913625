#include "launcher/presentation_animator.h"

#include <gtest/gtest.h>

#include <QList>

namespace {

// Shows p the way the view does: records it, on a driven clock.
struct FakePresentationHost : PresentationAnimator::Host
{
    double presentationNow() const override { return now; }
    void showPresentation(double progress) override
    {
        shown.append(progress);
        animator->setProgress(progress);
    }

    double now = 10;
    PresentationAnimator *animator = nullptr;
    QList<double> shown;
};

class PresentationAnimatorTest : public ::testing::Test
{
protected:
    void SetUp() override { host.animator = &animator; }

    FakePresentationHost host;
    PresentationAnimator animator{host};
};

TEST_F(PresentationAnimatorTest, AShowRisesToOneAndRunsItsCompletionOnceAtTheEnd)
{
    animator.setProgress(0);
    int completions = 0;
    animator.start(1, 0.2, false, [&] { ++completions; });
    EXPECT_TRUE(animator.isRunning());
    EXPECT_DOUBLE_EQ(host.shown.first(), 0);

    host.now += 0.1;
    animator.tick();
    EXPECT_GT(animator.progress(), 0);
    EXPECT_LT(animator.progress(), 1);
    EXPECT_EQ(completions, 0);

    host.now += 0.2;
    animator.tick();
    EXPECT_DOUBLE_EQ(animator.progress(), 1);
    EXPECT_FALSE(animator.isRunning());
    EXPECT_EQ(completions, 1);
    animator.tick();
    EXPECT_EQ(completions, 1);
}

// A show from nothing puts its second step up at once: a first frame at
// p = 0 would draw nothing, and the launcher would appear a frame later.
// A show that takes over from a hide goes on from where that hide got to.
TEST_F(PresentationAnimatorTest, AShowFromNothingDrawsAVisibleFirstFrame)
{
    animator.setProgress(0);
    animator.start(1, 0.3, false, nullptr);
    const double first = animator.progress();
    EXPECT_GT(first, 0);
    EXPECT_LT(first, 0.5);
    EXPECT_NEAR(first, PresentationCurve::easeOut(animator.clock().frameInterval() / 0.3), 1e-12);

    animator.setProgress(0.4);
    animator.start(1, 0.3, false, nullptr);
    EXPECT_DOUBLE_EQ(animator.progress(), 0.4);

    // Hiding from full has nothing to skip either.
    animator.setProgress(1);
    animator.start(0, 0.2, true, nullptr);
    EXPECT_DOUBLE_EQ(animator.progress(), 1);
}

TEST_F(PresentationAnimatorTest, AShowThatInterruptsAHideContinuesFromThereAndDropsTheHidesCompletion)
{
    int hidden = 0;
    animator.start(0, 0.2, true, [&] { ++hidden; });
    host.now += 0.1;
    animator.tick();
    const double reached = animator.progress();
    ASSERT_GT(reached, 0);
    ASSERT_LT(reached, 1);

    animator.start(1, 0.2, false, nullptr);
    EXPECT_DOUBLE_EQ(animator.state().animation.from, reached);
    host.now += 1;
    animator.tick();
    EXPECT_DOUBLE_EQ(animator.progress(), 1);
    EXPECT_EQ(hidden, 0);
}

TEST_F(PresentationAnimatorTest, CancelStopsWhereItIsWithoutTheCompletion)
{
    int completions = 0;
    animator.start(0, 0.2, true, [&] { ++completions; });
    host.now += 0.05;
    animator.tick();
    const double reached = animator.progress();
    animator.cancel();
    host.now += 1;
    EXPECT_FALSE(animator.isRunning());
    EXPECT_DOUBLE_EQ(animator.progress(), reached);
    EXPECT_EQ(completions, 0);
}

} // namespace
