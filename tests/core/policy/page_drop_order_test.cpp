#include "policy/page_drop_order.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <climits>
#include <string>

namespace {

using Page = PageDropOrder::Page;

LayoutEntry folder(const QString &id, const QStringList &apps = {})
{
    return LayoutEntry::makeFolder(LayoutFolder(id, id.toUpper(), apps));
}

// Pages as "a b | c d"; application entries by their stable identifier,
// folders by their entry identifier.
std::string describe(const std::optional<QList<Page>> &pages)
{
    if (!pages)
        return "none";
    QStringList parts;
    for (const Page &page : *pages) {
        QStringList ids;
        for (const LayoutEntry &entry : page)
            ids << (entry.appID ? *entry.appID : entry.id);
        parts << ids.join(QLatin1Char(' '));
    }
    return parts.join(QStringLiteral(" | ")).toStdString();
}

QList<Page> pagesOf(const QList<QStringList> &ids)
{
    QList<Page> pages;
    for (const QStringList &pageIDs : ids) {
        Page page;
        for (const QString &id : pageIDs)
            page.append(id.startsWith("folder:") ? folder(id.mid(7)) : LayoutEntry::app(id));
        pages.append(page);
    }
    return pages;
}

struct DropCase
{
    const char *name;
    QList<QStringList> pages;
    std::optional<QString> draggedID;
    std::optional<QString> newApp;
    int dropPage;
    int slot;
    int pageSize;
    std::string expected;
};

class PageDropOrderTest : public ::testing::TestWithParam<DropCase>
{
};

TEST_P(PageDropOrderTest, Places)
{
    const DropCase &c = GetParam();
    const std::optional<LayoutEntry> entry =
        c.newApp ? std::optional<LayoutEntry>(LayoutEntry::app(*c.newApp)) : std::nullopt;
    EXPECT_EQ(describe(PageDropOrder::placing(pagesOf(c.pages), c.draggedID, entry, c.dropPage, c.slot, c.pageSize)),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PageDropOrderTest,
    ::testing::Values(
        DropCase{"MoveForwardLandsAfterTheTarget", {{"a", "b", "c", "d"}}, "app:a", std::nullopt, 0, 2, 4,
                 "b c a d"},
        DropCase{"MoveBackward", {{"a", "b", "c", "d"}}, "app:d", std::nullopt, 0, 1, 4, "a d b c"},
        DropCase{"MoveToTheNextPage", {{"a", "b", "c"}, {"d", "e"}}, "app:a", std::nullopt, 1, 1, 3, "b c d | e a"},
        DropCase{"NewEntryBeyondTheEndAppends", {{"a", "b"}}, std::nullopt, "n", 3, 7, 4, "a b n"},
        DropCase{"NewEntryOverflowsIntoTheNextPage", {{"a", "b", "c"}, {"d"}}, std::nullopt, "n", 0, 0, 3,
                 "n a b | c d"},
        DropCase{"NewEntryIntoEmptyPages", {}, std::nullopt, "n", 0, 0, 4, "n"},
        DropCase{"RechunksUnevenPages", {{"a"}, {"b", "c", "d"}, {}}, "app:b", std::nullopt, 0, 0, 2, "b a | c d"},
        DropCase{"DraggedFoundByBareIdentifier", {{"a", "b", "c"}}, "c", std::nullopt, 0, 0, 3, "c a b"},
        DropCase{"FolderFoundByItsIdentifier", {{"a", "folder:f", "b"}}, "folder:f", std::nullopt, 0, 0, 3,
                 "folder:f a b"},
        DropCase{"DraggedMissing", {{"a", "b"}}, "app:z", std::nullopt, 0, 0, 2, "none"},
        DropCase{"NothingToPlace", {{"a", "b"}}, std::nullopt, std::nullopt, 0, 0, 2, "none"},
        DropCase{"NegativePage", {{"a", "b"}}, "app:a", std::nullopt, -1, 0, 2, "none"},
        DropCase{"NegativeSlot", {{"a", "b"}}, "app:a", std::nullopt, 0, -1, 2, "none"},
        DropCase{"ZeroPageSize", {{"a", "b"}}, std::nullopt, "n", 0, 0, 0, "none"},
        // dropPage × pageSize overflowed an int (undefined behaviour, and a
        // negative target in practice); a far-away drop now appends.
        DropCase{"HugePageAppendsWithoutOverflow", {{"a", "b", "c"}}, "app:a", std::nullopt, INT_MAX, INT_MAX, 35,
                 "b c a"},
        DropCase{"HugePageSizeAppends", {{"a", "b"}}, std::nullopt, "n", 2, 0, INT_MAX, "a b n"}),
    [](const ::testing::TestParamInfo<DropCase> &info) { return std::string(info.param.name); });

TEST(PageDropOrderRawIDTest, BareDraggedIdentifierMatchesEntryWithPrefixAndReverse)
{
    // An entry stored with a bare stable identifier as its id.
    Page page{LayoutEntry(QStringLiteral("com.example.x"), QStringLiteral("com.example.x")), LayoutEntry::app("y")};
    const auto moved = PageDropOrder::placing({page}, QStringLiteral("app:com.example.x"), std::nullopt, 0, 2, 4);
    EXPECT_EQ(describe(moved), "y com.example.x");
    // Only one "app:" prefix is stripped.
    EXPECT_EQ(describe(PageDropOrder::placing({page}, QStringLiteral("app:app:com.example.x"), std::nullopt, 0, 0, 4)),
              "none");
}

TEST(PageDropOrderStripTest, DropsHiddenAppsOnly)
{
    const QList<Page> pages = pagesOf({{"a", "folder:f", "b"}, {"c"}, {}});
    EXPECT_EQ(PageDropOrder::strippingHidden(pages, {}), pages);
    EXPECT_EQ(describe(PageDropOrder::strippingHidden(pages, {"b", "c", "f", "folder:f"})), "a folder:f |  | ");
    EXPECT_EQ(describe(PageDropOrder::strippingHidden(pages, {"app:a"})), "a folder:f b | c | ")
        << "identifiers are raw application identifiers";
}

} // namespace
