#include "foundation/log.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

TEST(Log, WritesOneTaggedLinePerMessage)
{
    LogCapture capture;
    Log::write("[scan] dir=%@ apps=%d", QStringLiteral("/Apps\nEvil=1"), 7);
    Log::write("[ready]");
    ASSERT_EQ(capture.lines().size(), 2);
    EXPECT_EQ(capture.lines().at(0), QStringLiteral("[scan] dir=/Apps\\nEvil=1 apps=7"));
    EXPECT_EQ(capture.lines().at(1), QStringLiteral("[ready]"));
}
