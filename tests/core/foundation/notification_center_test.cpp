#include "foundation/notification_center.h"

#include <gtest/gtest.h>

TEST(NotificationCenter, DeliversByNameAndStopsAfterRemoval)
{
    NotificationCenter center;
    int a = 0;
    int b = 0;
    const auto tokenA = center.addObserver(QStringLiteral("x"), [&] { ++a; });
    center.addObserver(QStringLiteral("y"), [&] { ++b; });
    center.post(QStringLiteral("x"));
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 0);
    center.removeObserver(tokenA);
    center.post(QStringLiteral("x"));
    EXPECT_EQ(a, 1);
}

TEST(NotificationCenter, ObserverMayRemoveItselfWhilePosting)
{
    NotificationCenter center;
    int calls = 0;
    NotificationCenter::Token token = 0;
    token = center.addObserver(QStringLiteral("x"), [&] {
        ++calls;
        center.removeObserver(token);
    });
    center.post(QStringLiteral("x"));
    center.post(QStringLiteral("x"));
    EXPECT_EQ(calls, 1);
}
