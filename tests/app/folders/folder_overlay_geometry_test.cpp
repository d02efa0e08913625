#include "folders/folder_dots_geometry.h"
#include "folders/folder_overlay_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kTolerance = 1e-3;

void expectRect(const QRectF &actual, const QRectF &expected, const char *what)
{
    EXPECT_NEAR(actual.x(), expected.x(), kTolerance) << what;
    EXPECT_NEAR(actual.y(), expected.y(), kTolerance) << what;
    EXPECT_NEAR(actual.width(), expected.width(), kTolerance) << what;
    EXPECT_NEAR(actual.height(), expected.height(), kTolerance) << what;
}

// --- The panel for a member count and an overlay size -------------------------------------

struct PanelRow
{
    const char *name;
    QSizeF bounds;
    int items;
    int displayRows;
    int pages;
    QRectF panel;
    double cellRowHeight;
};

class FolderPanelTable : public testing::TestWithParam<PanelRow>
{
};

TEST_P(FolderPanelTable, PanelRowsAndPagesFollowTheMemberCount)
{
    const PanelRow &row = GetParam();
    const FolderOverlayGeometry geometry(row.bounds, row.items);
    EXPECT_EQ(geometry.displayRows(), row.displayRows);
    EXPECT_EQ(geometry.pageCount(), row.pages);
    expectRect(geometry.panelFrame(), row.panel, "panel");
    EXPECT_NEAR(geometry.cellRowHeight(), row.cellRowHeight, kTolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Folder, FolderPanelTable,
    testing::Values(PanelRow{"twelveMembers", {1440, 900}, 12, 2, 1, {230.4, 264.5, 979.2, 359}, 139.5},
                    PanelRow{"empty", {1440, 900}, 0, 1, 1, {230.4, 334.25, 979.2, 219.5}, 139.5},
                    PanelRow{"oneFullRow", {1440, 900}, 7, 1, 1, {230.4, 334.25, 979.2, 219.5}, 139.5},
                    PanelRow{"onePageFull", {1440, 900}, 35, 5, 1, {230.4, 55.25, 979.2, 777.5}, 139.5},
                    PanelRow{"twoPages", {1440, 900}, 36, 5, 2, {230.4, 55.25, 979.2, 777.5}, 139.5},
                    // 34 + 5 x 108.5 + 46 exceeds 0.88 x 700: the panel is capped and its rows shrink.
                    PanelRow{"cappedHeight", {1300, 700}, 35, 5, 1, {208, 36, 884, 616}, 107.2}),
    [](const testing::TestParamInfo<PanelRow> &info) { return std::string(info.param.name); });

TEST(FolderOverlayGeometry, TwelveMembersOn1440By900)
{
    const FolderOverlayGeometry geometry(QSizeF(1440, 900), 12);
    EXPECT_NEAR(geometry.cornerRadius(), 25.92, kTolerance);
    EXPECT_NEAR(geometry.gridInset(), 24.48, kTolerance);
    EXPECT_NEAR(geometry.cellWidth(), (979.2 - 2 * 24.48) / 7, kTolerance);
    // The cell-width term wins over the row and the grid icon.
    EXPECT_NEAR(geometry.tileIconSide(), (979.2 - 2 * 24.48) / 7 * 0.55, kTolerance);
    EXPECT_NEAR(geometry.tileIconSide(), 73.0903, 1e-3);
    expectRect(geometry.titleFrame(), {540, 230.5, 360, 26}, "title");
    expectRect(geometry.dotsFrame(), {0, 323, 979.2, 14}, "dots");
}

struct RadiusRow
{
    const char *name;
    double width;
    double radius;
};

class FolderCornerRadiusTable : public testing::TestWithParam<RadiusRow>
{
};

TEST_P(FolderCornerRadiusTable, DependsOnTheOverlayWidthWithinLimits)
{
    EXPECT_NEAR(FolderOverlayGeometry(QSizeF(GetParam().width, 900), 3).cornerRadius(), GetParam().radius,
                kTolerance);
}

INSTANTIATE_TEST_SUITE_P(Folder, FolderCornerRadiusTable,
                         testing::Values(RadiusRow{"narrowFloor", 800, 18}, RadiusRow{"between", 1440, 25.92},
                                         RadiusRow{"capReached", 1556, 28}, RadiusRow{"wide", 2560, 28}),
                         [](const testing::TestParamInfo<RadiusRow> &info) { return std::string(info.param.name); });

TEST(FolderOverlayGeometry, ProvidersOfTheLauncherGridChangeThePanelAndTheIcons)
{
    // A narrow side inset widens the panel; a small grid icon caps the member icon.
    const FolderOverlayGeometry geometry(QSizeF(1440, 900), 12, 0.05, 40);
    EXPECT_NEAR(geometry.panelFrame().x(), 72, kTolerance);
    EXPECT_NEAR(geometry.panelFrame().width(), 1296, kTolerance);
    EXPECT_NEAR(geometry.tileIconSide(), 44.8, kTolerance);
}

TEST(FolderOverlayGeometry, ANarrowOverlayGetsATitleAsWideAsThePanelAndNeverAboveTheTop)
{
    const FolderOverlayGeometry geometry(QSizeF(300, 120), 35);
    EXPECT_NEAR(geometry.titleFrame().width(), geometry.panelFrame().width(), kTolerance);
    EXPECT_GE(geometry.titleFrame().y(), 4);
    EXPECT_NEAR(geometry.titleFrame().y(), 4, kTolerance);
}

// --- Pages and cells -----------------------------------------------------------------------------

struct PageRow
{
    const char *name;
    int items;
    int requested;
    int clamped;
    int cells;
};

class FolderPageTable : public testing::TestWithParam<PageRow>
{
};

TEST_P(FolderPageTable, StartPagesAreClampedAndTheLastPageHoldsTheRest)
{
    const PageRow &row = GetParam();
    const FolderOverlayGeometry geometry(QSizeF(1440, 900), row.items);
    EXPECT_EQ(geometry.clampPage(row.requested), row.clamped);
    EXPECT_EQ(geometry.tileFrames(geometry.clampPage(row.requested)).size(), row.cells);
}

INSTANTIATE_TEST_SUITE_P(Folder, FolderPageTable,
                         testing::Values(PageRow{"negativeStart", 36, -3, 0, 35},
                                         PageRow{"beyondTheLast", 36, 9, 1, 1},
                                         PageRow{"lastOfForty", 40, 1, 1, 5}, PageRow{"emptyFolder", 0, 0, 0, 0}),
                         [](const testing::TestParamInfo<PageRow> &info) { return std::string(info.param.name); });

TEST(FolderOverlayGeometry, CellsTouchRowByRowAndHitOnlyTheIconAndTheLabelTop)
{
    const FolderOverlayGeometry geometry(QSizeF(1440, 900), 12);
    const QList<QRectF> cells = geometry.tileFrames(0);
    ASSERT_EQ(cells.size(), 12);
    EXPECT_NEAR(cells[1].left(), cells[0].right(), kTolerance);
    EXPECT_NEAR(cells[7].top(), cells[0].bottom(), kTolerance);
    EXPECT_NEAR(cells[7].left(), cells[0].left(), kTolerance);

    const double s = geometry.tileIconSide();
    const QRectF icon = geometry.iconRect(cells[0]);
    EXPECT_NEAR(icon.width(), s, kTolerance);
    EXPECT_NEAR(icon.y(), cells[0].y() + (cells[0].height() - s - 23) / 2, kTolerance);

    // On the icon: a hit. Three points right of the icon, still in the cell: none.
    EXPECT_EQ(FolderOverlayGeometry::hitIndex(cells, icon.center(), s), 0);
    EXPECT_EQ(FolderOverlayGeometry::hitIndex(cells, QPointF(icon.right() + 3, icon.center().y()), s),
              std::nullopt);
    EXPECT_EQ(FolderOverlayGeometry::hitIndex(cells, QPointF(icon.center().x(), cells[8].center().y()), s), 7);
    // Past the last member of the page: nothing is there.
    EXPECT_EQ(FolderOverlayGeometry::hitIndex(cells, QPointF(cells[11].right() + 20, cells[11].center().y()), s),
              std::nullopt);
}

struct LabelRow
{
    const char *name;
    double iconSide;
    double fontSize;
};

class FolderLabelTable : public testing::TestWithParam<LabelRow>
{
};

TEST_P(FolderLabelTable, FontFollowsTheIconWithinLimits)
{
    EXPECT_NEAR(FolderOverlayGeometry::labelFontSize(GetParam().iconSide), GetParam().fontSize, kTolerance);
}

INSTANTIATE_TEST_SUITE_P(Folder, FolderLabelTable,
                         testing::Values(LabelRow{"default", 74, 11.84}, LabelRow{"floor", 50, 10},
                                         LabelRow{"cap", 90, 12.5}),
                         [](const testing::TestParamInfo<LabelRow> &info) { return std::string(info.param.name); });

// --- Dots ------------------------------------------------------------------------------------------

struct DotClickRow
{
    const char *name;
    int pages;
    double x;
    std::optional<int> page;
};

class FolderDotsTable : public testing::TestWithParam<DotClickRow>
{
};

TEST_P(FolderDotsTable, TheWholeStripSelectsTheNearestPage)
{
    const DotClickRow &row = GetParam();
    EXPECT_EQ(FolderDotsGeometry::pageAt(row.x, row.pages, 200), row.page);
}

INSTANTIATE_TEST_SUITE_P(Folder, FolderDotsTable,
                         testing::Values(DotClickRow{"leftOfTheFirst", 3, 70, 0}, DotClickRow{"onTheMiddle", 3, 101, 1},
                                         DotClickRow{"rightOfTheLast", 3, 190, 2},
                                         DotClickRow{"onePageSelectsNothing", 1, 100, std::nullopt}),
                         [](const testing::TestParamInfo<DotClickRow> &info) { return std::string(info.param.name); });

TEST(FolderDotsGeometry, ThreeDotsAreCentredInTheStrip)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(FolderDotsGeometry::dotRect(i, 3, QSizeF(200, 14)).center().x(), 84 + 16 * i, kTolerance);
    EXPECT_NEAR(FolderDotsGeometry::dotRect(0, 3, QSizeF(200, 14)).center().y(), 7, kTolerance);
}

} // namespace
