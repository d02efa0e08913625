#include "policy/search_prompt_layout.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(SearchPromptLayoutTest, WorkedPlate)
{
    const SearchPromptLayout layout(400, 42, 100);
    EXPECT_EQ(layout.plateSize, QSizeF(400, 42));
    EXPECT_EQ(layout.fieldFrame, QRectF(27, 11.75, 373, 28));
    EXPECT_DOUBLE_EQ(layout.textWidth, 100);
    EXPECT_DOUBLE_EQ(layout.textLeft, 163.5);
    EXPECT_EQ(layout.iconFrame, QRectF(136.5, 12, 18, 18));
    EXPECT_FALSE(layout.isClamped);
    EXPECT_DOUBLE_EQ(layout.groupCenter(), 200);
    EXPECT_DOUBLE_EQ(layout.iconToTextGap(), 9);
    EXPECT_DOUBLE_EQ(layout.textVisualCenter(), 21);
}

TEST(SearchPromptLayoutTest, GroupStaysCentredForAnyFittingText)
{
    for (double text : {0.0, 10.0, 200.0, 345.0}) {
        const SearchPromptLayout layout(400, SearchPromptLayout::defaultPlateHeight, text);
        EXPECT_DOUBLE_EQ(layout.groupCenter(), 200) << text;
        EXPECT_DOUBLE_EQ(layout.iconToTextGap(), SearchPromptLayout::gap) << text;
    }
}

TEST(SearchPromptLayoutTest, WideTextClampedToRoom)
{
    const SearchPromptLayout layout(400, 42, 500);
    EXPECT_DOUBLE_EQ(layout.textWidth, 345);
    EXPECT_TRUE(layout.isClamped);
    EXPECT_FALSE(SearchPromptLayout(400, 42, 345).isClamped);
    const SearchPromptLayout endless(400, 42, kInf);
    EXPECT_DOUBLE_EQ(endless.textWidth, 345);
    EXPECT_TRUE(endless.isClamped);
}

TEST(SearchPromptLayoutTest, NegativeOrNaNTextIsNoText)
{
    for (double text : {-20.0, kNaN, -kInf}) {
        const SearchPromptLayout layout(400, 42, text);
        EXPECT_EQ(layout.textWidth, 0) << text;
        EXPECT_FALSE(layout.isClamped) << text;
        EXPECT_DOUBLE_EQ(layout.textLeft, 213.5) << text;
    }
}

TEST(SearchPromptLayoutTest, DegeneratePlateCountsAsOnePoint)
{
    for (double side : {0.0, -10.0, kNaN, kInf}) {
        const SearchPromptLayout layout(side, side, 50);
        EXPECT_EQ(layout.plateSize, QSizeF(1, 1)) << side;
        EXPECT_EQ(layout.fieldFrame, QRectF(27, -8.75, 1, 28)) << side;
        EXPECT_EQ(layout.textWidth, 0) << side;
        EXPECT_TRUE(layout.isClamped) << side;
        EXPECT_EQ(layout.iconFrame, QRectF(27.5 - 27, 0.5 - 9, 18, 18)) << side;
    }
}

} // namespace
