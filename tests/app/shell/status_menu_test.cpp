#include "shell/dock_menu.h"
#include "shell/status_menu.h"

#include "localization/l10n.h"
#include "model/app_item.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

// Puts the interface language back after a test that changes it.
class LanguageScope
{
public:
    explicit LanguageScope(AppLanguage language) : m_saved(L10n::current()) { L10n::setForTesting(language); }
    ~LanguageScope() { L10n::setForTesting(m_saved); }

private:
    AppLanguage m_saved;
};

QStringList titles(const QMenu &menu)
{
    QStringList result;
    for (const QAction *action : menu.actions())
        result.append(action->isSeparator() ? QStringLiteral("---") : action->text());
    return result;
}

// --- Status menu ----------------------------------------------------------------------

struct StatusMenuTitles
{
    const char *name;
    AppLanguage language;
    QStringList expected;
};

class StatusMenuTitlesTest : public testing::TestWithParam<StatusMenuTitles>
{
};

TEST_P(StatusMenuTitlesTest, ItemsInOrderInTheCurrentLanguage)
{
    LanguageScope scope(GetParam().language);
    const std::unique_ptr<QMenu> menu = StatusMenu::build({});
    EXPECT_EQ(titles(*menu), GetParam().expected);
    for (const QAction *action : menu->actions()) {
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
        EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
        EXPECT_EQ(action->menu(), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Languages, StatusMenuTitlesTest,
    testing::Values(
        StatusMenuTitles{"English", AppLanguage::en,
                         {QStringLiteral("Show Launchpad"), QStringLiteral("Settings…"), QStringLiteral("---"),
                          QStringLiteral("Import system Launchpad layout"), QStringLiteral("Rescan apps"),
                          QStringLiteral("---"), QStringLiteral("About Tessellon"), QStringLiteral("Quit Tessellon")}},
        StatusMenuTitles{"Chinese", AppLanguage::zhHans,
                         {QStringLiteral("显示启动台"), QStringLiteral("设置…"), QStringLiteral("---"),
                          QStringLiteral("导入原生启动台布局"), QStringLiteral("重新扫描应用"), QStringLiteral("---"),
                          QStringLiteral("关于 Tessellon"), QStringLiteral("退出 Tessellon")}}),
    [](const testing::TestParamInfo<StatusMenuTitles> &info) { return std::string(info.param.name); });

struct StatusMenuCommand
{
    const char *name;
    int index;
    QString expected;
};

class StatusMenuCommandTest : public testing::TestWithParam<StatusMenuCommand>
{
};

TEST_P(StatusMenuCommandTest, EachItemRunsItsOwnCommandOnce)
{
    QStringList calls;
    StatusMenu::Actions actions;
    actions.showLauncher = [&] { calls << QStringLiteral("showLauncher"); };
    actions.showSettings = [&] { calls << QStringLiteral("showSettings"); };
    actions.importNative = [&] { calls << QStringLiteral("importNative"); };
    actions.rescan = [&] { calls << QStringLiteral("rescan"); };
    actions.showAbout = [&] { calls << QStringLiteral("showAbout"); };
    actions.quit = [&] { calls << QStringLiteral("quit"); };
    const std::unique_ptr<QMenu> menu = StatusMenu::build(actions);
    menu->actions().at(GetParam().index)->trigger();
    EXPECT_EQ(calls, QStringList{GetParam().expected});
}

INSTANTIATE_TEST_SUITE_P(Items, StatusMenuCommandTest,
                         testing::Values(StatusMenuCommand{"Show", 0, QStringLiteral("showLauncher")},
                                         StatusMenuCommand{"Settings", 1, QStringLiteral("showSettings")},
                                         StatusMenuCommand{"Import", 3, QStringLiteral("importNative")},
                                         StatusMenuCommand{"Rescan", 4, QStringLiteral("rescan")},
                                         StatusMenuCommand{"About", 6, QStringLiteral("showAbout")},
                                         StatusMenuCommand{"Quit", 7, QStringLiteral("quit")}),
                         [](const testing::TestParamInfo<StatusMenuCommand> &info) {
                             return std::string(info.param.name);
                         });

TEST(StatusMenuTest, UnsetCommandsLeaveTheirItemsInert)
{
    const std::unique_ptr<QMenu> menu = StatusMenu::build({});
    for (QAction *action : menu->actions())
        action->trigger(); // must not call an empty function
}

TEST(StatusMenuTest, ToolTipNamesTheHotKeyOrItsOffText)
{
    {
        LanguageScope scope(AppLanguage::en);
        EXPECT_EQ(StatusMenu::toolTip(Settings::HotKeyPreset::optionSpace), QStringLiteral(u"Tessellon · Alt+Space opens Launchpad"));
        EXPECT_EQ(StatusMenu::toolTip(Settings::HotKeyPreset::disabled), QStringLiteral(u"Tessellon · Off opens Launchpad"));
    }
    LanguageScope scope(AppLanguage::zhHans);
    EXPECT_EQ(StatusMenu::toolTip(Settings::HotKeyPreset::f4), QStringLiteral(u"Tessellon · F4 唤起启动台"));
    EXPECT_EQ(StatusMenu::toolTip(Settings::HotKeyPreset::disabled), QStringLiteral(u"Tessellon · 关闭 唤起启动台"));
}

// --- Dock menu ------------------------------------------------------------------------

AppItem app(const QString &id, const QString &name)
{
    return AppItem(id, name, QStringLiteral("/Applications/") + name + QStringLiteral(".app"));
}

DockMenu::Source sourceWith(const QList<AppItem> &apps, const QStringList &pinned = {})
{
    DockMenu::Source source;
    source.apps = apps;
    source.pinned = pinned;
    source.app = [apps](const QString &id) -> std::optional<AppItem> {
        for (const AppItem &candidate : apps) {
            if (candidate.stableID() == id)
                return candidate;
        }
        return std::nullopt;
    };
    return source;
}

QMenu *appsSubmenu(const QMenu &menu)
{
    const QList<QAction *> actions = menu.actions();
    return actions.isEmpty() ? nullptr : actions.last()->menu();
}

QStringList submenuIDs(const QMenu &menu)
{
    QStringList ids;
    if (const QMenu *apps = appsSubmenu(menu)) {
        for (const QAction *action : apps->actions())
            ids.append(action->data().toString());
    }
    return ids;
}

QList<AppItem> numberedApps(int count)
{
    QList<AppItem> apps;
    for (int i = 0; i < count; ++i)
        apps.append(app(QStringLiteral("org.example.app%1").arg(i, 2, 10, QLatin1Char('0')),
                        QStringLiteral("App %1").arg(i, 2, 10, QLatin1Char('0'))));
    return apps;
}

TEST(DockMenuTest, ShowsLauncherSettingsSeparatorThenTheAppsSubmenuLast)
{
    LanguageScope scope(AppLanguage::en);
    const std::unique_ptr<QMenu> menu = DockMenu::build(sourceWith({}), {});
    EXPECT_EQ(titles(*menu), (QStringList{QStringLiteral("Show Launchpad"), QStringLiteral("Settings…"),
                                          QStringLiteral("---"), QStringLiteral("Frequent apps")}));
    // With no applications at all the submenu is still there, empty.
    ASSERT_NE(appsSubmenu(*menu), nullptr);
    EXPECT_TRUE(appsSubmenu(*menu)->actions().isEmpty());
}

TEST(DockMenuTest, TitlesFollowTheLanguageAtBuildTime)
{
    LanguageScope scope(AppLanguage::zhHans);
    const std::unique_ptr<QMenu> menu = DockMenu::build(sourceWith({}), {});
    EXPECT_EQ(titles(*menu), (QStringList{QStringLiteral("显示启动台"), QStringLiteral("设置…"), QStringLiteral("---"),
                                          QStringLiteral("常用应用")}));
}

TEST(DockMenuTest, TwelvePinsGiveTheFirstTenInPinOrder)
{
    const QList<AppItem> apps = numberedApps(12);
    QStringList pinned;
    for (int i = 11; i >= 0; --i)
        pinned.append(apps.at(i).stableID());
    const std::unique_ptr<QMenu> menu = DockMenu::build(sourceWith(apps, pinned), {});
    EXPECT_EQ(submenuIDs(*menu), pinned.mid(0, 10));
}

TEST(DockMenuTest, WithoutPinsAppsAreSortedByNameWhateverTheirCase)
{
    const QList<AppItem> apps{app(QStringLiteral("z"), QStringLiteral("zeta")),
                              app(QStringLiteral("a"), QStringLiteral("Alpha")),
                              app(QStringLiteral("b"), QStringLiteral("beta"))};
    const std::unique_ptr<QMenu> menu = DockMenu::build(sourceWith(apps), {});
    EXPECT_EQ(titles(*appsSubmenu(*menu)),
              (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("zeta")}));
    EXPECT_EQ(submenuIDs(*menu), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("z")}));
}

TEST(DockMenuTest, WithoutPinsAtMostTenApps)
{
    const std::unique_ptr<QMenu> menu = DockMenu::build(sourceWith(numberedApps(14)), {});
    EXPECT_EQ(submenuIDs(*menu).size(), 10);
    EXPECT_EQ(submenuIDs(*menu).first(), QStringLiteral("org.example.app00"));
    EXPECT_EQ(submenuIDs(*menu).last(), QStringLiteral("org.example.app09"));
}

TEST(DockMenuTest, UnknownPinsLeaveGapsAndAreNeverFilledWithOtherApps)
{
    const QList<AppItem> apps = numberedApps(3);
    const QStringList pinned{QStringLiteral("gone.one"), apps.at(2).stableID(), QStringLiteral("gone.two")};
    const std::unique_ptr<QMenu> menu = DockMenu::build(sourceWith(apps, pinned), {});
    EXPECT_EQ(submenuIDs(*menu), QStringList{apps.at(2).stableID()});
}

TEST(DockMenuTest, ItemsUseTheScannedNameWithAnAmpersandShownAsIs)
{
    const std::unique_ptr<QMenu> menu =
        DockMenu::build(sourceWith({app(QStringLiteral("tj"), QStringLiteral("Tom & Jerry"))}), {});
    const QAction *item = appsSubmenu(*menu)->actions().at(0);
    EXPECT_EQ(item->text(), QStringLiteral("Tom && Jerry"));
    EXPECT_EQ(item->iconText(), QStringLiteral("Tom & Jerry"));
}

TEST(DockMenuTest, OnlyCachedIconsAreShownAtSixteenPointsWithoutResizingTheCache)
{
    const QList<AppItem> apps{app(QStringLiteral("a"), QStringLiteral("Alpha")),
                              app(QStringLiteral("b"), QStringLiteral("Beta"))};
    QImage cached(256, 256, QImage::Format_ARGB32_Premultiplied);
    cached.fill(Qt::red);
    DockMenu::Source source = sourceWith(apps);
    QStringList asked;
    source.cachedIcon = [&](const AppItem &item) -> std::optional<QImage> {
        asked << item.stableID();
        if (item.stableID() == QStringLiteral("a"))
            return cached;
        return std::nullopt;
    };
    const std::unique_ptr<QMenu> menu = DockMenu::build(source, {});
    const QList<QAction *> items = appsSubmenu(*menu)->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_FALSE(items.at(0)->icon().isNull());
    EXPECT_EQ(items.at(0)->icon().availableSizes().value(0), QSize(DockMenu::iconSide, DockMenu::iconSide));
    EXPECT_TRUE(items.at(1)->icon().isNull());
    EXPECT_EQ(asked, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(cached.size(), QSize(256, 256));
}

TEST(DockMenuTest, ChoosingAnAppHandsTheChosenItemWithItsIdentifier)
{
    const QList<AppItem> apps = numberedApps(3);
    QStringList opened;
    QStringList shown;
    DockMenu::Actions actions;
    actions.openAppFromMenu = [&](QAction *item) { opened << item->data().toString(); };
    actions.showLauncher = [&] { shown << QStringLiteral("launcher"); };
    actions.showSettings = [&] { shown << QStringLiteral("settings"); };
    const std::unique_ptr<QMenu> menu = DockMenu::build(sourceWith(apps), actions);
    appsSubmenu(*menu)->actions().at(1)->trigger();
    EXPECT_EQ(opened, QStringList{apps.at(1).stableID()});
    menu->actions().at(0)->trigger();
    menu->actions().at(1)->trigger();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("launcher"), QStringLiteral("settings")}));
}

TEST(DockMenuTest, AppIDsPreferPinsOfAnyLength)
{
    const QList<AppItem> apps = numberedApps(5);
    EXPECT_EQ(DockMenu::appIDs({QStringLiteral("x")}, apps), QStringList{QStringLiteral("x")});
    EXPECT_EQ(DockMenu::appIDs({}, apps).size(), 5);
    EXPECT_TRUE(DockMenu::appIDs({}, {}).isEmpty());
}

} // namespace
