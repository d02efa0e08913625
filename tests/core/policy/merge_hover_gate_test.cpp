#include "policy/merge_hover_gate.h"

#include <gtest/gtest.h>

#include <QList>

#include <limits>
#include <string>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
// The frame of tile "B", which sits under the pointer in these tables.
const QRectF kTileB(100, 100, 80, 80);

std::string text(const std::optional<QString> &id)
{
    return id ? id->toStdString() : std::string("-");
}

// "candidate/committed" plus " timer" when the dwell timer is asked for.
std::string describe(const MergeHoverGate::Outcome &outcome)
{
    return text(outcome.candidate) + "/" + text(outcome.committed) + (outcome.needsDwellTimer ? " timer" : "");
}

struct Step
{
    QPointF pointer;
    std::optional<QString> hovered;
    double time;
    std::optional<QRectF> slack;
    std::string expected;
};

struct GateCase
{
    const char *name;
    QList<Step> steps;
};

class MergeHoverGateTest : public ::testing::TestWithParam<GateCase>
{
};

TEST_P(MergeHoverGateTest, Sequence)
{
    MergeHoverGate gate;
    const QList<Step> &steps = GetParam().steps;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const Step &s = steps[i];
        const MergeHoverGate::Outcome outcome = gate.update(s.pointer, s.hovered, s.time, s.slack);
        EXPECT_EQ(describe(outcome), s.expected) << "step " << i << " at " << s.time;
        EXPECT_EQ(text(gate.candidate()), text(outcome.candidate)) << "step " << i;
        EXPECT_EQ(text(gate.committed()), text(outcome.committed)) << "step " << i;
    }
}

const QString B = QStringLiteral("app:b");
const QString C = QStringLiteral("folder:c");

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeHoverGateTest,
    ::testing::Values(
        GateCase{"RestingCommitsAfterTheDwell",
                 {{QPointF(140, 140), B, 10.0, std::nullopt, "app:b/- timer"},
                  {QPointF(141, 140), B, 10.49, std::nullopt, "app:b/- timer"},
                  {QPointF(141, 141), B, 10.5, std::nullopt, "app:b/app:b"},
                  {QPointF(142, 141), B, 11.0, std::nullopt, "app:b/app:b"}}},
        GateCase{"WanderingWithinTheJitterKeepsTheDwell",
                 {{QPointF(140, 140), B, 0, std::nullopt, "app:b/- timer"},
                  {QPointF(148, 140), B, 0.3, std::nullopt, "app:b/- timer"},
                  {QPointF(140, 148), B, 0.5, std::nullopt, "app:b/app:b"}}},
        GateCase{"JustBeyondTheJitterRestartsAndUncommits",
                 {{QPointF(140, 140), B, 0, std::nullopt, "app:b/- timer"},
                  {QPointF(140, 140), B, 0.5, std::nullopt, "app:b/app:b"},
                  {QPointF(148.01, 140), B, 0.6, std::nullopt, "app:b/- timer"},
                  {QPointF(148.01, 140), B, 1.05, std::nullopt, "app:b/- timer"},
                  {QPointF(148.01, 140), B, 1.1, std::nullopt, "app:b/app:b"}}},
        GateCase{"HysteresisKeepsACommittedTarget",
                 {{QPointF(140, 140), B, 0, kTileB, "app:b/- timer"},
                  {QPointF(140, 140), B, 0.5, kTileB, "app:b/app:b"},
                  {QPointF(88, 140), std::nullopt, 0.6, kTileB, "app:b/app:b"},
                  {QPointF(192, 192), std::nullopt, 0.7, kTileB, "app:b/app:b"},
                  {QPointF(140, 140), B, 0.8, kTileB, "app:b/app:b"}}},
        GateCase{"BeyondTheHysteresisResets",
                 {{QPointF(140, 140), B, 0, kTileB, "app:b/- timer"},
                  {QPointF(140, 140), B, 0.5, kTileB, "app:b/app:b"},
                  {QPointF(87, 140), std::nullopt, 0.6, kTileB, "-/-"},
                  {QPointF(140, 140), B, 0.7, kTileB, "app:b/- timer"}}},
        GateCase{"OffATileWithoutACommitmentResets",
                 {{QPointF(140, 140), B, 0, kTileB, "app:b/- timer"},
                  {QPointF(139, 140), std::nullopt, 0.1, kTileB, "-/-"},
                  {QPointF(140, 140), B, 0.2, kTileB, "app:b/- timer"},
                  {QPointF(140, 140), B, 0.6, kTileB, "app:b/- timer"},
                  {QPointF(140, 140), B, 0.75, kTileB, "app:b/app:b"}}},
        GateCase{"CommittedWithoutAFrameResets",
                 {{QPointF(140, 140), B, 0, std::nullopt, "app:b/- timer"},
                  {QPointF(140, 140), B, 0.5, std::nullopt, "app:b/app:b"},
                  {QPointF(150, 140), std::nullopt, 0.6, std::nullopt, "-/-"}}},
        GateCase{"MovingOntoAnotherTileStartsAFreshDwell",
                 {{QPointF(140, 140), B, 0, std::nullopt, "app:b/- timer"},
                  {QPointF(140, 140), B, 0.5, std::nullopt, "app:b/app:b"},
                  {QPointF(142, 140), C, 0.55, std::nullopt, "folder:c/- timer"},
                  {QPointF(142, 140), C, 1.0, std::nullopt, "folder:c/- timer"},
                  {QPointF(142, 140), C, 1.06, std::nullopt, "folder:c/folder:c"}}},
        // A NaN anchor made every later distance NaN, which never exceeds the
        // jitter: the gate would commit however far the pointer travelled.
        GateCase{"DegenerateUpdatesAreIgnored",
                 {{QPointF(kNaN, kNaN), B, 0, std::nullopt, "-/-"},
                  {QPointF(140, 140), B, 0, std::nullopt, "app:b/- timer"},
                  {QPointF(kNaN, 140), B, 0.6, std::nullopt, "app:b/- timer"},
                  {QPointF(400, 400), B, kNaN, std::nullopt, "app:b/- timer"},
                  {QPointF(400, 400), B, 0.55, std::nullopt, "app:b/- timer"},
                  {QPointF(400, 400), B, 1.1, std::nullopt, "app:b/app:b"},
                  {QPointF(kNaN, kNaN), std::nullopt, 1.2, kTileB, "app:b/app:b"}}}),
    [](const ::testing::TestParamInfo<GateCase> &info) { return std::string(info.param.name); });

TEST(MergeHoverGateStateTest, ResetAndTuning)
{
    MergeHoverGate gate(MergeHoverGate::Tuning{1.0, 2, 3});
    EXPECT_EQ(gate.tuning(), (MergeHoverGate::Tuning{1.0, 2, 3}));
    EXPECT_EQ(MergeHoverGate().tuning(), (MergeHoverGate::Tuning{0.5, 8, 12}));
    gate.update(QPointF(5, 6), QStringLiteral("x"), 2.0, std::nullopt);
    EXPECT_EQ(gate.anchoredAt(), QPointF(5, 6));
    EXPECT_EQ(gate.candidateSince(), 2.0);
    EXPECT_FALSE(gate.update(QPointF(5, 6), QStringLiteral("x"), 2.9, std::nullopt).committed);
    EXPECT_EQ(gate.update(QPointF(5, 6), QStringLiteral("x"), 3.0, std::nullopt).committed, QStringLiteral("x"));
    gate.reset();
    EXPECT_FALSE(gate.candidate());
    EXPECT_FALSE(gate.committed());
    EXPECT_EQ(gate.candidateSince(), 0.0);
    EXPECT_EQ(gate.anchoredAt(), QPointF());
}

} // namespace
