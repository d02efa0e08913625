#include "policy/grid_geometry.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QStringList>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

void expectRect(const QRectF &got, double x, double y, double w, double h, double tolerance = 1e-9)
{
    EXPECT_NEAR(got.x(), x, tolerance);
    EXPECT_NEAR(got.y(), y, tolerance);
    EXPECT_NEAR(got.width(), w, tolerance);
    EXPECT_NEAR(got.height(), h, tolerance);
}

// The worked page: a 1000 × 600 content rectangle at (100, 50), 7 × 5.
class WorkedGridTest : public ::testing::Test
{
protected:
    GridGeometry grid{7, 5, QRectF(100, 50, 1000, 600)};
    const double cellWidth = 892.0 / 7;
    const double pitchX = 892.0 / 7 + 18;
    const double pitchY = 100.8 + 24;
};

TEST_F(WorkedGridTest, DerivedValues)
{
    EXPECT_EQ(grid.columns, 7);
    EXPECT_EQ(grid.rows, 5);
    EXPECT_EQ(grid.pageSize(), 35);
    EXPECT_DOUBLE_EQ(grid.horizontalSpacing, 18);
    EXPECT_DOUBLE_EQ(grid.verticalSpacing, 24);
    EXPECT_NEAR(grid.cellSize.width(), 127.428571, 1e-6);
    EXPECT_NEAR(grid.cellSize.height(), 100.8, 1e-9); // the height term, below 1.36 × width
    EXPECT_NEAR(grid.iconSide(), 50.8, 1e-9);
    // Cells fill the width exactly and the height here too.
    EXPECT_NEAR(grid.origin.x(), 100, 1e-9);
    EXPECT_NEAR(grid.origin.y(), 50, 1e-9);
    EXPECT_EQ(grid.contentRect, QRectF(100, 50, 1000, 600));
    EXPECT_EQ(grid.iconScale, 1);
}

TEST_F(WorkedGridTest, FramesRunRowByRow)
{
    expectRect(grid.frame(0), 100, 50, cellWidth, 100.8);
    expectRect(grid.frame(8), 100 + pitchX, 50 + pitchY, cellWidth, 100.8);
    expectRect(grid.frame(34), 100 + 6 * pitchX, 50 + 4 * pitchY, cellWidth, 100.8);
    // Past the last row: below the grid.
    expectRect(grid.frame(35), 100, 50 + 5 * pitchY, cellWidth, 100.8);
    EXPECT_NEAR(grid.frame(6).right(), 1100, 1e-9);
}

TEST_F(WorkedGridTest, IndexAtPoint)
{
    EXPECT_EQ(grid.index(grid.frame(8).center()), 8);
    EXPECT_EQ(grid.index(QPointF(100, 50)), 0); // minimum edges inclusive
    EXPECT_EQ(grid.index(grid.frame(34).center()), 34);
    // Maximum edge exclusive: the cell's right edge lies in the spacing.
    EXPECT_FALSE(grid.index(QPointF(grid.frame(0).right(), 60)).has_value());
    EXPECT_FALSE(grid.index(QPointF(100 + cellWidth + 5, 60)).has_value());
    EXPECT_FALSE(grid.index(QPointF(110, 50 + 100.8 + 10)).has_value());
    EXPECT_FALSE(grid.index(QPointF(99.9, 60)).has_value());
    EXPECT_FALSE(grid.index(QPointF(110, 49.9)).has_value());
    EXPECT_FALSE(grid.index(QPointF(110, 50 + 5 * pitchY + 1)).has_value());
    EXPECT_FALSE(grid.index(QPointF(1200, 60)).has_value());
}

struct InsertionCase
{
    const char *name;
    double x;
    double y;
    int entryCount;
    int expected;
};

void PrintTo(const InsertionCase &c, std::ostream *os)
{
    *os << c.name;
}

class InsertionIndexTest : public ::testing::TestWithParam<InsertionCase>
{
};

TEST_P(InsertionIndexTest, Slot)
{
    const InsertionCase &c = GetParam();
    const GridGeometry grid(7, 5, QRectF(100, 50, 1000, 600));
    EXPECT_EQ(grid.insertionIndex(QPointF(c.x, c.y), c.entryCount), c.expected);
}

// Cell 0 spans x 100 ... 227.43 (centre 163.71), the spacing to 245.43.
INSTANTIATE_TEST_SUITE_P(
    Cases, InsertionIndexTest,
    ::testing::Values(InsertionCase{"LeftHalfOfFirstCell", 120, 60, 35, 0},
                      InsertionCase{"HalfPointLeftOfCentreIsRightHalf", 163.3, 60, 35, 1},
                      InsertionCase{"JustLeftOfThat", 163.1, 60, 35, 0},
                      InsertionCase{"SpacingRightOfCellIsStillASlot", 232, 60, 35, 1},
                      InsertionCase{"SecondRow", 120, 180, 35, 7},
                      InsertionCase{"RightHalfOfLastColumnIsNextRowStart", 1090, 60, 35, 7},
                      InsertionCase{"LeftOfGridOnRowZero", 10, 60, 35, 0},
                      InsertionCase{"AboveGrid", 500, -400, 35, 3},
                      InsertionCase{"RightOfGridClampsToLastColumn", 5000, 60, 35, 7},
                      InsertionCase{"FarBelowGridIsEntryCount", 500, 5000, 20, 20},
                      InsertionCase{"ClampedToEntryCount", 1090, 560, 12, 12},
                      InsertionCase{"NegativeEntryCountIsZero", 500, 300, -3, 0},
                      InsertionCase{"HugeRowDoesNotOverflow", 500, 1e300, 20, 20},
                      InsertionCase{"InfiniteRowDoesNotOverflow", 500, kInf, 20, 20},
                      InsertionCase{"InfiniteLeftIsFirstSlot", -kInf, 60, 20, 0},
                      InsertionCase{"NaNPointIsFirstSlot", kNaN, kNaN, 20, 0}),
    [](const ::testing::TestParamInfo<InsertionCase> &info) { return std::string(info.param.name); });

TEST(GridGeometryTest, ColumnsAndRowsBelowOneCountAsOne)
{
    const GridGeometry grid(0, 0, QRectF(0, 0, 500, 500));
    EXPECT_EQ(grid.columns, 1);
    EXPECT_EQ(grid.rows, 1);
    EXPECT_EQ(grid.pageSize(), 1);
    const GridGeometry negative(-4, -9, QRectF(0, 0, 500, 500));
    EXPECT_EQ(negative.pageSize(), 1);
    EXPECT_EQ(negative.index(negative.frame(0).center()), 0);
}

TEST(GridGeometryTest, DefaultsAreSevenByFiveAtScaleOne)
{
    const GridGeometry grid(QRectF(0, 0, 1000, 600));
    EXPECT_EQ(grid.columns, 7);
    EXPECT_EQ(grid.rows, 5);
    EXPECT_EQ(grid.iconScale, 1);
    EXPECT_EQ(GridGeometry::systemIconSide, 132);
}

TEST(GridGeometryTest, IconScaleClamped)
{
    EXPECT_EQ(GridGeometry(7, 5, QRectF(0, 0, 1000, 600), 2).iconScale, 1.25);
    EXPECT_EQ(GridGeometry(7, 5, QRectF(0, 0, 1000, 600), 0.5).iconScale, 0.75);
    EXPECT_EQ(GridGeometry(7, 5, QRectF(0, 0, 1000, 600), kNaN).iconScale, 1);
    EXPECT_EQ(GridGeometry(7, 5, QRectF(0, 0, 1000, 600), kInf).iconScale, 1.25);
}

TEST(GridGeometryTest, TallCellsCappedAndCentredVertically)
{
    const GridGeometry grid(7, 5, QRectF(0, 0, 700, 2000));
    EXPECT_NEAR(grid.horizontalSpacing, 12.6, 1e-9);
    EXPECT_NEAR(grid.verticalSpacing, 80, 1e-9);
    EXPECT_NEAR(grid.cellSize.width(), 89.2, 1e-9);
    EXPECT_NEAR(grid.cellSize.height(), 89.2 * 1.36, 1e-9);
    EXPECT_NEAR(grid.origin.y(), (2000 - (89.2 * 1.36 * 5 + 320)) / 2, 1e-9);
    // The icon stays 50 points shorter than the cell, but never below 48.
    EXPECT_NEAR(grid.iconSide(), std::min(89.2 * 0.6, 89.2 * 1.36 - 50), 1e-9);
}

TEST(GridGeometryTest, LargeCellsCapIconAtSystemSide)
{
    const GridGeometry grid(4, 3, QRectF(0, 0, 2000, 1400), 1.25);
    EXPECT_NEAR(grid.iconSide(), 132 * 1.25, 1e-9);
}

struct DegenerateCase
{
    const char *name;
    int columns;
    int rows;
    QRectF rect;
    double iconScale;
};

void PrintTo(const DegenerateCase &c, std::ostream *os)
{
    *os << c.name;
}

class DegenerateGridTest : public ::testing::TestWithParam<DegenerateCase>
{
};

// Too small, empty, inside out or no number at all: cells shrink to nothing
// rather than turning negative, and no question about the page misbehaves.
TEST_P(DegenerateGridTest, EmptyFramesNeverNegative)
{
    const DegenerateCase &c = GetParam();
    const GridGeometry grid(c.columns, c.rows, c.rect, c.iconScale);
    EXPECT_GE(grid.cellSize.width(), 0);
    EXPECT_GE(grid.cellSize.height(), 0);
    EXPECT_TRUE(std::isfinite(grid.origin.x()));
    EXPECT_TRUE(std::isfinite(grid.origin.y()));
    EXPECT_GE(grid.iconSide(), 0);
    EXPECT_GE(grid.pageSize(), 1);
    for (int i : {0, 1, grid.pageSize() - 1, INT_MAX, INT_MIN}) {
        const QRectF frame = grid.frame(i);
        EXPECT_GE(frame.width(), 0) << i;
        EXPECT_GE(frame.height(), 0) << i;
    }
    for (const QPointF &p : {grid.origin, QPointF(kNaN, kNaN), QPointF(kInf, -kInf), QPointF(1e300, 1e300)}) {
        const std::optional<int> hit = grid.index(p);
        if (hit) {
            EXPECT_GE(*hit, 0);
            EXPECT_LT(*hit, grid.pageSize());
        }
        const int slot = grid.insertionIndex(p, 10);
        EXPECT_GE(slot, 0);
        EXPECT_LE(slot, 10);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DegenerateGridTest,
    ::testing::Values(DegenerateCase{"NarrowerThanSpacings", 7, 5, QRectF(0, 0, 50, 50), 1},
                      DegenerateCase{"ZeroSize", 7, 5, QRectF(10, 10, 0, 0), 1},
                      DegenerateCase{"NegativeSize", 7, 5, QRectF(0, 0, -300, -200), 1},
                      DegenerateCase{"NaNRect", 7, 5, QRectF(kNaN, kNaN, kNaN, kNaN), kNaN},
                      DegenerateCase{"InfiniteRect", 7, 5, QRectF(-kInf, 0, kInf, kInf), 1},
                      DegenerateCase{"HugeGrid", INT_MAX, INT_MAX, QRectF(0, 0, 1000, 600), 1},
                      DegenerateCase{"NegativeGrid", INT_MIN, -1, QRectF(0, 0, 1000, 600), 1}),
    [](const ::testing::TestParamInfo<DegenerateCase> &info) { return std::string(info.param.name); });

TEST(GridGeometryTest, ZeroSizedGridGivesEmptyFrames)
{
    const GridGeometry grid(7, 5, QRectF(0, 0, 50, 50));
    EXPECT_EQ(grid.cellSize, QSizeF(0, 0));
    EXPECT_TRUE(grid.frame(3).isEmpty());
    EXPECT_EQ(grid.iconSide(), 0);
    // No cell to hit, but a drop still finds a slot.
    EXPECT_FALSE(grid.index(QPointF(10, 10)).has_value());
}

TEST(GridGeometryTest, HugeGridPageSizeSaturates)
{
    EXPECT_EQ(GridGeometry(INT_MAX, 2, QRectF(0, 0, 10, 10)).pageSize(), INT_MAX);
}

TEST(GridGeometryIconHitRectTest, BoxAtTopCentredHorizontally)
{
    const QRectF cell(10, 20, 100, 140);
    expectRect(GridGeometry::iconHitRect(cell, 60, true), 30, 20, 60, 86);
    expectRect(GridGeometry::iconHitRect(cell, 60, false), 30, 20, 60, 62);
    // Slack widens the box only horizontally, never past the cell.
    expectRect(GridGeometry::iconHitRect(cell, 60, true, 10), 20, 20, 80, 86);
    expectRect(GridGeometry::iconHitRect(cell, 60, true, 100), 10, 20, 100, 86);
    expectRect(GridGeometry::iconHitRect(cell, 200, true), 10, 20, 100, 140);
}

TEST(GridGeometryIconHitRectTest, EmptyCellReturnedUnchanged)
{
    EXPECT_EQ(GridGeometry::iconHitRect(QRectF(5, 5, 0, 80), 60, true), QRectF(5, 5, 0, 80));
    EXPECT_EQ(GridGeometry::iconHitRect(QRectF(5, 5, 80, -1), 60, true), QRectF(5, 5, 80, -1));
}

TEST(GridGeometryIconHitRectTest, DegenerateSidesNeverGiveNegativeBoxes)
{
    const QRectF cell(0, 0, 100, 140);
    for (double side : {-50.0, kNaN, kInf}) {
        for (double slack : {-100.0, 0.0, kNaN}) {
            const QRectF box = GridGeometry::iconHitRect(cell, side, true, slack);
            EXPECT_GE(box.width(), 0) << side << " " << slack;
            EXPECT_GE(box.height(), 0) << side << " " << slack;
            EXPECT_LE(box.width(), 100);
            EXPECT_LE(box.height(), 140);
        }
    }
}

struct ContentCase
{
    const char *name;
    QRectF bounds;
    double ratio;
    double x;
    double y;
    double width;
    double height;
};

void PrintTo(const ContentCase &c, std::ostream *os)
{
    *os << c.name;
}

class ContentRectTest : public ::testing::TestWithParam<ContentCase>
{
};

TEST_P(ContentRectTest, CarvesGridArea)
{
    const ContentCase &c = GetParam();
    expectRect(GridGeometry::contentRectIn(c.bounds, c.ratio), c.x, c.y, c.width, c.height);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContentRectTest,
    ::testing::Values(
        // 1440 × 900: 1440 × 0.68 = 979.2 wide, 900 - 250 high.
        ContentCase{"Ordinary", QRectF(0, 0, 1440, 900), 0.16, 230.4, 138, 979.2, 650},
        ContentCase{"OffsetBounds", QRectF(100, 40, 1440, 900), 0.16, 330.4, 178, 979.2, 650},
        ContentCase{"VeryWideScreenCapped", QRectF(0, 0, 2560, 1080), 0.16, 551, 138, 1458, 830},
        ContentCase{"LowScreenKeeps220", QRectF(0, 0, 1440, 400), 0.16, 403.2, 138, 633.6, 220},
        ContentCase{"RatioAbove028Uses028", QRectF(0, 0, 1000, 800), 0.4, 280, 138, 440, 550},
        ContentCase{"RatioZeroUses002", QRectF(0, 0, 1000, 800), 0, 20, 138, 960, 550},
        ContentCase{"ZeroBoundsCountAsOnePoint", QRectF(), 0.16, 0.16, 138, 0.68, 220},
        ContentCase{"NegativeBoundsCountAsOnePoint", QRectF(0, 0, -500, -500), 0.16, 0.16, 138, 0.68, 220},
        ContentCase{"NaNBounds", QRectF(kNaN, kNaN, kNaN, kNaN), 0.16, 0.16, 138, 0.68, 220},
        ContentCase{"NaNRatioTakesDefault", QRectF(0, 0, 1440, 900), kNaN, 230.4, 138, 979.2, 650}),
    [](const ::testing::TestParamInfo<ContentCase> &info) { return std::string(info.param.name); });

TEST(GridGeometryContentRectTest, CustomInsets)
{
    expectRect(GridGeometry::contentRectIn(QRectF(0, 0, 1440, 900), 0.16, 50, 50), 230.4, 50, 979.2, 800);
    expectRect(GridGeometry::contentRectIn(QRectF(0, 0, 1440, 900), 0.16, kNaN, kInf), 230.4, 138, 979.2, 650);
}

struct ChunkCase
{
    const char *name;
    int items;
    int pageSize;
    std::vector<int> pageSizes;
};

void PrintTo(const ChunkCase &c, std::ostream *os)
{
    *os << c.name;
}

class ChunkTest : public ::testing::TestWithParam<ChunkCase>
{
};

TEST_P(ChunkTest, SplitsInOrder)
{
    const ChunkCase &c = GetParam();
    QStringList items;
    for (int i = 0; i < c.items; ++i)
        items.append(QString::number(i));
    const QList<QStringList> pages = GridGeometry::chunk(items, c.pageSize);
    std::vector<int> sizes;
    QStringList flat;
    for (const QStringList &page : pages) {
        sizes.push_back(int(page.size()));
        flat.append(page);
    }
    EXPECT_EQ(sizes, c.pageSizes);
    EXPECT_EQ(flat, items);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChunkTest,
                         ::testing::Values(ChunkCase{"SevenByThree", 7, 3, {3, 3, 1}},
                                           ChunkCase{"ExactMultipleHasNoEmptyPage", 6, 3, {3, 3}},
                                           ChunkCase{"PageSizeZeroActsAsOne", 7, 0, {1, 1, 1, 1, 1, 1, 1}},
                                           ChunkCase{"NegativePageSizeActsAsOne", 2, -5, {1, 1}},
                                           ChunkCase{"EmptyListIsOneEmptyPage", 0, 35, {0}},
                                           ChunkCase{"HugePageSize", 3, INT_MAX, {3}}),
                         [](const ::testing::TestParamInfo<ChunkCase> &info) { return std::string(info.param.name); });

} // namespace
