#include "localization/l10n.h"
#include "policy/menu_descriptor.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <string>

namespace {

// One line per item: "action|title" with a trailing "!" for a destructive
// item, "---" for a separator.
QStringList describe(const MenuDescriptor &menu)
{
    QStringList lines;
    for (const MenuItemDescriptor &item : menu.items) {
        if (item.isSeparator) {
            EXPECT_FALSE(item.action.has_value());
            EXPECT_TRUE(item.title.isEmpty());
            lines << QStringLiteral("---");
            continue;
        }
        EXPECT_TRUE(item.action.has_value());
        lines << item.action->rawValue() + QLatin1Char('|') + item.title + (item.isDestructive ? "!" : "");
    }
    return lines;
}

struct MenuCase
{
    const char *name;
    int selectionCount;
    bool isFolder;
    bool isHidden;
    bool isInFolder;
    bool canUninstall;
    int expectedCount;
    QStringList expected;
};

class MenuDescriptorTest : public ::testing::TestWithParam<MenuCase>
{
protected:
    void SetUp() override { L10n::setForTesting(AppLanguage::en); }
    void TearDown() override { L10n::setForTesting(AppLanguage::zhHans); }
};

TEST_P(MenuDescriptorTest, BuildsTheItems)
{
    const MenuCase &c = GetParam();
    const MenuDescriptor menu =
        MenuDescriptor::build(c.selectionCount, c.isFolder, c.isHidden, c.isInFolder, c.canUninstall);
    EXPECT_EQ(menu.selectionCount, c.expectedCount);
    const QStringList lines = describe(menu);
    EXPECT_EQ(lines.join(QLatin1Char('\n')).toStdString(), c.expected.join(QLatin1Char('\n')).toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    English, MenuDescriptorTest,
    ::testing::Values(
        MenuCase{"PlainApp", 1, false, false, false, false, 1,
                 {"open|Open", "showInFinder|Show in File Manager", "---", "rename|Custom name…",
                  "addToFavorites|Add to Dock Menu", "---", "hide|Hide this app", "copyPath|Copy Path"}},
        MenuCase{"AppInFolderThatMayBeUninstalled", 1, false, false, true, true, 1,
                 {"open|Open", "showInFinder|Show in File Manager", "---", "rename|Custom name…",
                  "removeFromFolder|Remove from Folder", "addToFavorites|Add to Dock Menu", "---",
                  "hide|Hide this app", "copyPath|Copy Path", "---", "uninstall|Uninstall app…!"}},
        MenuCase{"ThreeHiddenApps", 3, false, true, false, true, 3,
                 {"open|Open 3 items", "showInFinder|Show 3 items in File Manager", "---",
                  "addToFavorites|Add to Dock Menu", "---", "unhide|Unhide", "---", "uninstall|Uninstall 3 apps…!"}},
        MenuCase{"MultipleIgnoresFolderFlags", 2, true, false, true, false, 2,
                 {"open|Open 2 items", "showInFinder|Show 2 items in File Manager", "---",
                  "addToFavorites|Add to Dock Menu", "---", "hide|Hide 2 apps"}},
        MenuCase{"Folder", 1, true, false, false, false, 1,
                 {"open|Open Folder", "showInFinder|Show in File Manager", "---", "rename|Rename Folder",
                  "addToFavorites|Add to Dock Menu", "---", "hide|Hide this app", "copyPath|Copy Path"}},
        MenuCase{"HiddenSingleApp", 1, false, true, false, false, 1,
                 {"open|Open", "showInFinder|Show in File Manager", "---", "rename|Custom name…",
                  "addToFavorites|Add to Dock Menu", "---", "unhide|Unhide", "copyPath|Copy Path"}},
        MenuCase{"ZeroSelectedCountsAsOne", 0, false, false, false, false, 1,
                 {"open|Open", "showInFinder|Show in File Manager", "---", "rename|Custom name…",
                  "addToFavorites|Add to Dock Menu", "---", "hide|Hide this app", "copyPath|Copy Path"}},
        MenuCase{"NegativeSelectedCountsAsOne", -5, false, false, false, true, 1,
                 {"open|Open", "showInFinder|Show in File Manager", "---", "rename|Custom name…",
                  "addToFavorites|Add to Dock Menu", "---", "hide|Hide this app", "copyPath|Copy Path", "---",
                  "uninstall|Uninstall app…!"}}),
    [](const ::testing::TestParamInfo<MenuCase> &info) { return std::string(info.param.name); });

TEST(MenuDescriptorChineseTest, TitlesAreTheCatalogKeys)
{
    L10n::setForTesting(AppLanguage::zhHans);
    const MenuDescriptor menu = MenuDescriptor::build(4, false, false, false, true);
    EXPECT_EQ(describe(menu).join(QLatin1Char('\n')).toStdString(),
              QStringList({"open|打开 4 个项目", "showInFinder|在文件管理器中显示 4 个项目", "---",
                           "addToFavorites|添加到 Dock 菜单", "---", "hide|隐藏 4 个应用", "---",
                           "uninstall|卸载 4 个应用…!"})
                  .join(QLatin1Char('\n'))
                  .toStdString());
}

TEST(MenuDescriptorActionsTest, SkipsSeparators)
{
    const MenuDescriptor menu = MenuDescriptor::build(1, false, false, false, false);
    EXPECT_EQ(menu.actions(), QList<MenuAction>({MenuAction::open, MenuAction::showInFinder, MenuAction::rename,
                                                 MenuAction::addToFavorites, MenuAction::hide, MenuAction::copyPath}));
    EXPECT_EQ(MenuDescriptor(menu.items, 0).selectionCount, 1);
    EXPECT_EQ(MenuItemDescriptor::separator(), MenuItemDescriptor::separator());
    EXPECT_TRUE(MenuItemDescriptor::separator().isSeparator);
    EXPECT_FALSE(MenuItemDescriptor(MenuAction::open, QString()).isSeparator);
    EXPECT_FALSE(MenuItemDescriptor(MenuAction::open, QString()) == MenuItemDescriptor::separator());
}

TEST(MenuActionTest, RawValuesInOrder)
{
    QStringList raw;
    for (MenuAction action : MenuAction::allCases()) {
        raw << action.rawValue();
        EXPECT_EQ(MenuAction::fromRawValue(action.rawValue()), action);
    }
    EXPECT_EQ(raw, QStringList({"open", "showInFinder", "rename", "hide", "unhide", "removeFromFolder", "uninstall",
                                "copyPath", "addToFavorites"}));
    EXPECT_FALSE(MenuAction::fromRawValue("Open"));
    EXPECT_FALSE(MenuAction::fromRawValue("delete"));
}

} // namespace
