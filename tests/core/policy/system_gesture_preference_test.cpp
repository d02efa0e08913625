#include "policy/system_gesture_preference.h"

#include <gtest/gtest.h>

#include <QVariantList>

#include <limits>
#include <string>

namespace {

const QString kThree = QStringLiteral("TrackpadThreeFingerPinchGesture");
const QString kFour = QStringLiteral("TrackpadFourFingerPinchGesture");
const QString kFive = QStringLiteral("TrackpadFiveFingerPinchGesture");

struct ParseCase
{
    const char *name;
    QVariantMap preferences;
    int expectedFingers;
    bool occupied;
};

class SystemGesturePreferenceParseTest : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(SystemGesturePreferenceParseTest, Reads)
{
    const ParseCase &c = GetParam();
    const SystemGesturePreference parsed = SystemGesturePreference::parse(c.preferences);
    EXPECT_EQ(parsed.expectedFingers, c.expectedFingers);
    EXPECT_EQ(parsed.occupied, c.occupied);

    QVariantHash asHash;
    for (auto it = c.preferences.cbegin(); it != c.preferences.cend(); ++it)
        asHash.insert(it.key(), it.value());
    EXPECT_EQ(SystemGesturePreference::parse(asHash), parsed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SystemGesturePreferenceParseTest,
    ::testing::Values(
        ParseCase{"Empty", {}, 0, false},
        ParseCase{"StringOneAndZero", {{kThree, QStringLiteral("1")}, {kFive, qint64(0)}}, 3, true},
        ParseCase{"BooleanAndTwo", {{kFour, true}, {kFive, 2}}, 5, true},
        ParseCase{"LargestOnCountWins", {{kFive, false}, {kThree, 2}, {kFour, qint64(1)}}, 4, true},
        ParseCase{"NegativeCountsAsOn", {{kThree, -1}}, 3, true},
        ParseCase{"StringTrimmed", {{kFour, QStringLiteral(" \t4\n")}}, 4, true},
        ParseCase{"StringNotANumber", {{kFour, QStringLiteral("on")}, {kThree, QStringLiteral("1.0")}}, 0, false},
        ParseCase{"StringZero", {{kFour, QStringLiteral(" 0 ")}}, 0, false},
        ParseCase{"StringTooLargeFails", {{kFour, QStringLiteral("99999999999999999999999")}}, 0, false},
        ParseCase{"RealsTruncate", {{kThree, 0.5}, {kFour, 1.5}}, 4, true},
        ParseCase{"NegativeRealBelowOne", {{kFive, -0.9}}, 0, false},
        ParseCase{"HugeUnsigned", {{kFive, quint64(1) << 63}}, 5, true},
        ParseCase{"OtherTypesAreOff",
                  {{kThree, QVariantList{1}}, {kFour, QByteArray("1")}, {kFive, QVariantMap{{"a", 1}}}},
                  0,
                  false},
        ParseCase{"UnrelatedKeysIgnored", {{QStringLiteral("TrackpadPinch"), 1}}, 0, false},
        // A NaN or infinite real has no integer value; converting one to an
        // integer is undefined behaviour, so it must read as off.
        ParseCase{"NonFiniteRealsAreOff",
                  {{kThree, std::numeric_limits<double>::quiet_NaN()},
                   {kFour, std::numeric_limits<double>::infinity()},
                   {kFive, -std::numeric_limits<double>::infinity()}},
                  0,
                  false}),
    [](const ::testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.name); });

TEST(SystemGesturePreferenceTest, UnknownIsNothingOn)
{
    EXPECT_EQ(SystemGesturePreference::unknown(), SystemGesturePreference(0, false));
    EXPECT_EQ(SystemGesturePreference(), SystemGesturePreference::unknown());
}

} // namespace
