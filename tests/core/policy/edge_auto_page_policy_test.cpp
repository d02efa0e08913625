#include "policy/edge_auto_page_policy.h"

#include <gtest/gtest.h>

#include <QList>

#include <climits>
#include <limits>
#include <sstream>
#include <string>

namespace {

using Action = EdgeAutoPagePolicy::Action;
using Edge = EdgeAutoPagePolicy::Edge;
using Configuration = EdgeAutoPagePolicy::Configuration;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

std::string describe(const Action &action)
{
    std::ostringstream out;
    switch (action.kind) {
    case Action::wait: out << "wait " << action.seconds; break;
    case Action::turn: out << "turn " << action.direction; break;
    case Action::idle: out << "idle"; break;
    case Action::createPage: out << "createPage"; break;
    }
    return out.str();
}

struct BandCase
{
    const char *name;
    double width;
    double band;
};

class EdgeAutoPageBandTest : public ::testing::TestWithParam<BandCase>
{
};

TEST_P(EdgeAutoPageBandTest, BandWidth)
{
    const BandCase &c = GetParam();
    const EdgeAutoPagePolicy policy;
    const double e = 1e-6;
    EXPECT_EQ(policy.edge(0, c.width), Edge::previous);
    EXPECT_EQ(policy.edge(c.band - e, c.width), Edge::previous);
    EXPECT_EQ(policy.edge(c.band + e, c.width), Edge::none);
    EXPECT_EQ(policy.edge(c.width / 2, c.width), Edge::none);
    EXPECT_EQ(policy.edge(c.width - c.band - e, c.width), Edge::none);
    EXPECT_EQ(policy.edge(c.width - c.band + e, c.width), Edge::next);
    EXPECT_EQ(policy.edge(c.width + 50, c.width), Edge::next);
    EXPECT_EQ(policy.edge(-50, c.width), Edge::previous);
}

INSTANTIATE_TEST_SUITE_P(Cases, EdgeAutoPageBandTest,
                         ::testing::Values(BandCase{"Wide", 1440, 100.8}, BandCase{"VeryWide", 3000, 130},
                                           BandCase{"Narrow", 600, 52}, BandCase{"Tiny", 120, 40}),
                         [](const ::testing::TestParamInfo<BandCase> &info) { return std::string(info.param.name); });

TEST(EdgeAutoPageEdgeTest, BoundariesAndDegenerateSizes)
{
    const EdgeAutoPagePolicy policy;
    EXPECT_EQ(policy.edge(52, 600), Edge::previous) << "the inner boundary belongs to the band";
    EXPECT_EQ(policy.edge(548, 600), Edge::next);
    EXPECT_EQ(policy.edge(0, 0), Edge::none);
    EXPECT_EQ(policy.edge(-1, -100), Edge::none);
    EXPECT_EQ(policy.edge(10, kNaN), Edge::none);
    EXPECT_EQ(policy.edge(10, kInfinity), Edge::none);
    EXPECT_EQ(policy.edge(kNaN, 600), Edge::none);
    EXPECT_EQ(policy.edge(-kInfinity, 600), Edge::none);
}

TEST(EdgeAutoPageConfigurationTest, ClampsItsArguments)
{
    EXPECT_EQ(Configuration(), Configuration(0.07, 52, 130, 0.55, 0.75));
    const Configuration low(-1, 0, -5, -1, -2);
    EXPECT_EQ(low, Configuration(0, 1, 1, 0, 0));
    const Configuration high(0.9, 200, 100, 2, 3);
    EXPECT_EQ(high.edgeRatio, 0.4);
    EXPECT_EQ(high.maximumEdge, 200) << "never below the minimum";
    const Configuration nan(kNaN, kNaN, kNaN, kNaN, kNaN);
    EXPECT_EQ(nan, Configuration(0, 1, 1, 0, 0));
}

struct Step
{
    Edge edge;
    int page;
    int pageCount;
    bool pending;
    double time;
    std::string expected;
};

struct HoldCase
{
    const char *name;
    Configuration configuration;
    QList<Step> steps;
};

class EdgeAutoPageHoldTest : public ::testing::TestWithParam<HoldCase>
{
};

TEST_P(EdgeAutoPageHoldTest, Sequence)
{
    const HoldCase &c = GetParam();
    EdgeAutoPagePolicy policy(c.configuration);
    for (qsizetype i = 0; i < c.steps.size(); ++i) {
        const Step &s = c.steps[i];
        EXPECT_EQ(describe(policy.update(s.edge, s.page, s.pageCount, s.pending, s.time)), s.expected)
            << "step " << i << " at " << s.time;
    }
}

// Binary-exact delays keep the waits free of rounding in these tables.
const Configuration kExact(0.07, 52, 130, 0.5, 0.75);

INSTANTIATE_TEST_SUITE_P(
    Cases, EdgeAutoPageHoldTest,
    ::testing::Values(
        HoldCase{"DefaultDelays",
                 Configuration(),
                 {{Edge::next, 0, 3, false, 0, "wait 0.55"},
                  {Edge::next, 0, 3, false, 0.55, "turn 1"},
                  {Edge::next, 1, 3, false, 0.8, "wait 0.5"},
                  {Edge::next, 1, 3, false, 1.4, "turn 1"}}},
        HoldCase{"RightBandTurnsAndRepeats",
                 kExact,
                 {{Edge::next, 0, 3, false, 0, "wait 0.5"},
                  {Edge::next, 0, 3, false, 0.25, "wait 0.25"},
                  {Edge::next, 0, 3, false, 0.5, "turn 1"},
                  {Edge::next, 1, 3, false, 1.0, "wait 0.25"},
                  {Edge::next, 1, 3, false, 1.25, "turn 1"},
                  {Edge::next, 2, 3, false, 1.5, "wait 0.5"}}},
        HoldCase{"LastPageCreatesOnePageThenWaitsForIt",
                 kExact,
                 {{Edge::next, 2, 3, false, 0, "wait 0.5"},
                  {Edge::next, 2, 3, false, 0.5, "createPage"},
                  {Edge::next, 2, 3, true, 0.75, "wait 0.5"},
                  {Edge::next, 2, 3, true, 1.25, "idle"},
                  {Edge::next, 2, 3, true, 1.5, "idle"},
                  {Edge::next, 2, 4, false, 1.75, "turn 1"}}},
        HoldCase{"FirstPageLeftBandIdles",
                 kExact,
                 {{Edge::previous, 0, 3, false, 0, "wait 0.5"},
                  {Edge::previous, 0, 3, false, 0.5, "idle"},
                  {Edge::previous, 0, 3, false, 0.625, "idle"}}},
        HoldCase{"LeftBandTurnsBack",
                 kExact,
                 {{Edge::previous, 2, 3, false, 0, "wait 0.5"},
                  {Edge::previous, 2, 3, false, 0.5, "turn -1"},
                  {Edge::previous, 1, 3, false, 1.25, "turn -1"},
                  {Edge::previous, 0, 3, false, 2.0, "idle"}}},
        HoldCase{"CrossingToTheOtherBandRestarts",
                 kExact,
                 {{Edge::next, 1, 3, false, 0, "wait 0.5"},
                  {Edge::next, 1, 3, false, 0.5, "turn 1"},
                  {Edge::previous, 2, 3, false, 0.75, "wait 0.5"},
                  {Edge::previous, 2, 3, false, 1.0, "wait 0.25"},
                  {Edge::previous, 2, 3, false, 1.25, "turn -1"}}},
        HoldCase{"LeavingTheBandResets",
                 kExact,
                 {{Edge::next, 0, 3, false, 0, "wait 0.5"},
                  {Edge::none, 0, 3, false, 0.25, "idle"},
                  {Edge::next, 0, 3, false, 0.375, "wait 0.5"},
                  {Edge::next, 0, 3, false, 0.5, "wait 0.375"}}},
        HoldCase{"ZeroDelaysActAtOnceAfterEntering",
                 Configuration(0.07, 52, 130, 0, 0),
                 {{Edge::next, 0, 5, false, 0, "wait 0"},
                  {Edge::next, 0, 5, false, 0, "turn 1"},
                  {Edge::next, 1, 5, false, 0, "turn 1"}}},
        // A NaN entry time used to make every later comparison false, so the
        // next update turned a page at once and every update after that again.
        HoldCase{"NaNTimestampChangesNothing",
                 kExact,
                 {{Edge::next, 0, 9, false, kNaN, "wait 0.5"},
                  {Edge::next, 0, 9, false, 0.25, "wait 0.5"},
                  {Edge::next, 0, 9, false, kNaN, "wait 0.5"},
                  {Edge::next, 0, 9, false, 0.5, "wait 0.25"},
                  {Edge::next, 0, 9, false, 0.75, "turn 1"},
                  {Edge::next, 1, 9, false, kInfinity, "wait 0.5"},
                  {Edge::next, 1, 9, false, 1.0, "wait 0.5"}}},
        HoldCase{"LastPossiblePageIndexDoesNotOverflow",
                 kExact,
                 {{Edge::next, INT_MAX, INT_MAX, false, 0, "wait 0.5"},
                  {Edge::next, INT_MAX, INT_MAX, false, 0.5, "createPage"}}}),
    [](const ::testing::TestParamInfo<HoldCase> &info) { return std::string(info.param.name); });

TEST(EdgeAutoPageResetTest, ForgetsTheHold)
{
    EdgeAutoPagePolicy policy(kExact);
    policy.update(Edge::next, 0, 3, false, 0);
    policy.update(Edge::next, 0, 3, false, 0.5);
    EXPECT_EQ(policy.edge(), Edge::next);
    EXPECT_EQ(policy.lastActionAt(), 0.5);
    policy.reset();
    EXPECT_EQ(policy.edge(), Edge::none);
    EXPECT_EQ(policy.enteredAt(), -1);
    EXPECT_EQ(policy.lastActionAt(), -1);
    EXPECT_EQ(describe(policy.update(Edge::next, 0, 3, false, 0.6)), "wait 0.5");
}

} // namespace
