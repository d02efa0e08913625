#include "localization/l10n.h"
#include "model/pinch_gesture.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QStringList>

namespace {

TEST(PinchGestureTest, RawValuesAreExact)
{
    EXPECT_EQ(PinchGesture::fromRawValue("four"), PinchGesture::four);
    EXPECT_EQ(PinchGesture::fromRawValue("system"), PinchGesture::system);
    EXPECT_FALSE(PinchGesture::fromRawValue("Four"));
    EXPECT_FALSE(PinchGesture::fromRawValue("4"));
    EXPECT_FALSE(PinchGesture::fromRawValue(" four"));
    EXPECT_FALSE(PinchGesture::fromRawValue(""));

    QStringList raw;
    for (PinchGesture gesture : PinchGesture::allCases()) {
        raw << gesture.rawValue();
        EXPECT_EQ(PinchGesture::fromRawValue(gesture.rawValue()), gesture);
    }
    EXPECT_EQ(raw, QStringList({"off", "three", "four", "five", "system"}));
}

TEST(PinchGestureTest, FingerCounts)
{
    EXPECT_EQ(PinchGesture(PinchGesture::off).fingerCount(), std::nullopt);
    EXPECT_EQ(PinchGesture(PinchGesture::three).fingerCount(), 3);
    EXPECT_EQ(PinchGesture(PinchGesture::four).fingerCount(), 4);
    EXPECT_EQ(PinchGesture(PinchGesture::five).fingerCount(), 5);
    EXPECT_EQ(PinchGesture(PinchGesture::system).fingerCount(), std::nullopt);
}

TEST(PinchGestureTest, HashableAsASetKey)
{
    QSet<PinchGesture> set;
    for (PinchGesture gesture : PinchGesture::allCases())
        set.insert(gesture);
    set.insert(PinchGesture::four);
    EXPECT_EQ(set.size(), 5);
    EXPECT_TRUE(set.contains(PinchGesture::system));
}

TEST(PinchGestureTest, LabelFollowsTheCurrentLanguage)
{
    L10n::setForTesting(AppLanguage::zhHans);
    EXPECT_EQ(PinchGesture(PinchGesture::off).label(), QStringLiteral("关闭"));
    EXPECT_EQ(PinchGesture(PinchGesture::system).label(), QStringLiteral("跟随系统设置"));

    L10n::setForTesting(AppLanguage::en);
    QStringList english;
    for (PinchGesture gesture : PinchGesture::allCases())
        english << gesture.label();
    L10n::setForTesting(AppLanguage::zhHans);
    EXPECT_EQ(english, QStringList({"Off", "Three-finger pinch", "Four-finger pinch", "Five-finger pinch",
                                    "Follow system setting"}));
}

} // namespace
