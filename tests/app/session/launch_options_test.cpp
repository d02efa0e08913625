#include "launcher_session_test_support.h"
#include "session/launch_options.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cmath>
#include <functional>
#include <limits>
#include <sstream>

// The fields that differ from the defaults, for failure messages.
void PrintTo(const LaunchOptions &o, std::ostream *os)
{
    const LaunchOptions d;
    std::ostringstream out;
    const auto text = [](const std::optional<QString> &v) { return v ? '"' + v->toStdString() + '"' : std::string("nil"); };
    const auto number = [](const auto &v) { std::ostringstream s; if (v) s << *v; else s << "nil"; return s.str(); };
#define FLAG(f) if (o.f != d.f) out << #f << "=" << o.f << " ";
#define TEXT(f) if (o.f != d.f) out << #f << "=" << text(o.f) << " ";
#define NUMBER(f) if (o.f != d.f) out << #f << "=" << number(o.f) << " ";
    FLAG(show) FLAG(showSettings) FLAG(page) FLAG(scroll) FLAG(openFolder) FLAG(folderPage) FLAG(dumpWindows)
    FLAG(noAnimation) FLAG(lockPage) FLAG(noHover) FLAG(importNative) FLAG(noEventTap) FLAG(listSources)
    FLAG(noLaunchpadNames) FLAG(editMode) FLAG(freezeJiggle) FLAG(editSafeUninstall) FLAG(editTapFirstBadge)
    FLAG(editViaOption) FLAG(editReleaseOption)
    NUMBER(slideProgress) NUMBER(dragProgress) NUMBER(slideDuration) NUMBER(columns) NUMBER(rows) NUMBER(sideInset)
    NUMBER(iconScale) NUMBER(settingsTab)
    TEXT(stateDirectory) TEXT(importSource) TEXT(importPath) TEXT(simulateTrigger) TEXT(pageInputSimulation)
    TEXT(dropSimulation) TEXT(pinchOverride) TEXT(uninstallPreview) TEXT(badgeSide) TEXT(language) TEXT(switchLanguage)
#undef FLAG
#undef TEXT
#undef NUMBER
    if (o.search != d.search)
        out << "search=\"" << o.search.toStdString() << "\" ";
    *os << "{ " << out.str() << "}";
}

namespace {

QStringList command(const QStringList &options)
{
    return QStringList{QStringLiteral("/usr/bin/tessellon")} + options;
}

// ---------------------------------------------------------------- flags

struct FlagCase
{
    const char *name;
    const char *option;
    bool LaunchOptions::*field;
};

void PrintTo(const FlagCase &c, std::ostream *os)
{
    *os << c.name;
}

class LaunchOptionsFlagTest : public ::testing::TestWithParam<FlagCase>
{
};

// Each flag sets its own field and nothing else, wherever it stands, and does
// not consume the argument after it.
TEST_P(LaunchOptionsFlagTest, SetsOnlyItsFieldAndConsumesNothing)
{
    const FlagCase &c = GetParam();
    const LaunchOptions parsed =
        LaunchOptions::parse(command({QStringLiteral("--page"), QStringLiteral("3"), QString::fromLatin1(c.option),
                                      QStringLiteral("--columns"), QStringLiteral("6")}));
    LaunchOptions expected;
    expected.*(c.field) = true;
    expected.page = 3;
    expected.columns = 6;
    EXPECT_EQ(parsed, expected);
    // Unknown letter case is no option.
    EXPECT_FALSE(LaunchOptions::parse(command({QString::fromLatin1(c.option).toUpper()})).*(c.field));
}

INSTANTIATE_TEST_SUITE_P(
    AllFlags, LaunchOptionsFlagTest,
    ::testing::Values(FlagCase{"Show", "--show", &LaunchOptions::show},
                      FlagCase{"Settings", "--settings", &LaunchOptions::showSettings},
                      FlagCase{"Scroll", "--scroll", &LaunchOptions::scroll},
                      FlagCase{"Folder", "--folder", &LaunchOptions::openFolder},
                      FlagCase{"DumpWindows", "--dump-windows", &LaunchOptions::dumpWindows},
                      FlagCase{"NoAnimation", "--no-animation", &LaunchOptions::noAnimation},
                      FlagCase{"LockPage", "--lock-page", &LaunchOptions::lockPage},
                      FlagCase{"NoHover", "--no-hover", &LaunchOptions::noHover},
                      FlagCase{"ImportNative", "--import-native", &LaunchOptions::importNative},
                      FlagCase{"NoEventTap", "--no-event-tap", &LaunchOptions::noEventTap},
                      FlagCase{"ListSources", "--list-sources", &LaunchOptions::listSources},
                      FlagCase{"NoLaunchpadNames", "--no-launchpad-names", &LaunchOptions::noLaunchpadNames},
                      FlagCase{"EditMode", "--edit-mode", &LaunchOptions::editMode},
                      FlagCase{"FreezeJiggle", "--freeze-jiggle", &LaunchOptions::freezeJiggle},
                      FlagCase{"EditSafeUninstall", "--edit-safe-uninstall", &LaunchOptions::editSafeUninstall},
                      FlagCase{"EditTapFirstBadge", "--edit-tap-first-badge", &LaunchOptions::editTapFirstBadge},
                      FlagCase{"EditViaOption", "--edit-via-option", &LaunchOptions::editViaOption},
                      FlagCase{"EditReleaseOption", "--edit-release-option", &LaunchOptions::editReleaseOption}),
    [](const ::testing::TestParamInfo<FlagCase> &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- valued options

struct ValueCase
{
    const char *name;
    QStringList arguments;
    std::function<void(LaunchOptions &)> expect; // applied to the defaults
};

void PrintTo(const ValueCase &c, std::ostream *os)
{
    *os << c.name;
}

class LaunchOptionsValueTest : public ::testing::TestWithParam<ValueCase>
{
};

TEST_P(LaunchOptionsValueTest, Parses)
{
    const ValueCase &c = GetParam();
    LaunchOptions expected;
    c.expect(expected);
    EXPECT_EQ(LaunchOptions::parse(command(c.arguments)), expected);
}

QStringList args(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list << QString::fromUtf8(item);
    return list;
}

INSTANTIATE_TEST_SUITE_P(
    AllValues, LaunchOptionsValueTest,
    ::testing::Values(
        // Every valued option with a good value.
        ValueCase{"Page", args({"--page", "4"}), [](LaunchOptions &o) { o.page = 4; }},
        ValueCase{"Search", args({"--search", "sa fa"}), [](LaunchOptions &o) { o.search = "sa fa"; }},
        ValueCase{"FolderPage", args({"--folder-page", "2"}), [](LaunchOptions &o) { o.folderPage = 2; }},
        ValueCase{"SlideProgress", args({"--slide-progress", "0.5"}), [](LaunchOptions &o) { o.slideProgress = 0.5; }},
        ValueCase{"DragProgress", args({"--drag-progress", "-0.25"}), [](LaunchOptions &o) { o.dragProgress = -0.25; }},
        ValueCase{"SlideDuration", args({"--slide-duration", "1e-1"}), [](LaunchOptions &o) { o.slideDuration = 0.1; }},
        ValueCase{"Columns", args({"--columns", "9"}), [](LaunchOptions &o) { o.columns = 9; }},
        ValueCase{"Rows", args({"--rows", "+6"}), [](LaunchOptions &o) { o.rows = 6; }},
        ValueCase{"SideInset", args({"--side-inset", "0.2"}), [](LaunchOptions &o) { o.sideInset = 0.2; }},
        ValueCase{"IconScale", args({"--icon-scale", "1.1"}), [](LaunchOptions &o) { o.iconScale = 1.1; }},
        ValueCase{"StateDir", args({"--state-dir", "/tmp/s"}), [](LaunchOptions &o) { o.stateDirectory = "/tmp/s"; }},
        ValueCase{"ImportSource", args({"--import-source", "launchNext"}),
                  [](LaunchOptions &o) { o.importSource = "launchNext"; }},
        ValueCase{"ImportPath", args({"--import-path", "/x/db"}), [](LaunchOptions &o) { o.importPath = "/x/db"; }},
        ValueCase{"SimulateTrigger", args({"--simulate-trigger", "hotkey"}),
                  [](LaunchOptions &o) { o.simulateTrigger = "hotkey"; }},
        ValueCase{"SimulatePageInput", args({"--simulate-page-input", "wheel:-3"}),
                  [](LaunchOptions &o) { o.pageInputSimulation = "wheel:-3"; }},
        ValueCase{"SimulateDrop", args({"--simulate-drop", "a,b"}), [](LaunchOptions &o) { o.dropSimulation = "a,b"; }},
        ValueCase{"Pinch", args({"--pinch", "three"}), [](LaunchOptions &o) { o.pinchOverride = "three"; }},
        ValueCase{"UninstallPreview", args({"--uninstall-preview", "com.x"}),
                  [](LaunchOptions &o) { o.uninstallPreview = "com.x"; }},
        ValueCase{"BadgeSide", args({"--badge-side", "right"}), [](LaunchOptions &o) { o.badgeSide = "right"; }},
        ValueCase{"Language", args({"--language", "fr"}), [](LaunchOptions &o) { o.language = "fr"; }},
        ValueCase{"SettingsTab", args({"--settings-tab", "3"}), [](LaunchOptions &o) { o.settingsTab = 3; }},
        ValueCase{"SwitchLanguage", args({"--switch-language", "ja"}), [](LaunchOptions &o) { o.switchLanguage = "ja"; }},

        // Missing values: last argument, or followed by another option.
        ValueCase{"PageLast", args({"--page"}), [](LaunchOptions &) {}},
        ValueCase{"ColumnsBeforeOption", args({"--columns", "--show"}), [](LaunchOptions &o) { o.show = true; }},
        ValueCase{"SearchBeforeOption", args({"--search", "--show"}), [](LaunchOptions &o) { o.show = true; }},
        ValueCase{"TextBeforeOption", args({"--language", "--import-source", "appGrid"}),
                  [](LaunchOptions &o) { o.importSource = "appGrid"; }},
        ValueCase{"SearchEmpty", args({"--search", ""}), [](LaunchOptions &) {}},
        ValueCase{"StateDirEmpty", args({"--state-dir", ""}), [](LaunchOptions &o) { o.stateDirectory = ""; }},
        // A single hyphen starts a value, not an option.
        ValueCase{"NegativePage", args({"--page", "-2"}), [](LaunchOptions &o) { o.page = -2; }},
        ValueCase{"DashText", args({"--search", "-x"}), [](LaunchOptions &o) { o.search = "-x"; }},
        ValueCase{"NegativeColumnsKept", args({"--columns", "-3"}), [](LaunchOptions &o) { o.columns = -3; }},
        ValueCase{"FolderPageNegative", args({"--folder-page", "-3"}), [](LaunchOptions &) {}},

        // Values that are not numbers.
        ValueCase{"PageWord", args({"--page", "two"}), [](LaunchOptions &) {}},
        ValueCase{"FolderPageWord", args({"--folder-page", "x"}), [](LaunchOptions &) {}},
        ValueCase{"SettingsTabTrailingLetter", args({"--settings-tab", "2a"}), [](LaunchOptions &) {}},
        ValueCase{"ColumnsFraction", args({"--columns", "7.0"}), [](LaunchOptions &) {}},
        ValueCase{"ColumnsBlank", args({"--columns", " 7"}), [](LaunchOptions &) {}},
        ValueCase{"ColumnsHex", args({"--columns", "0x7"}), [](LaunchOptions &) {}},
        ValueCase{"RowsSignOnly", args({"--rows", "-"}), [](LaunchOptions &) {}},
        ValueCase{"RowsFullWidthDigit", args({"--rows", "７"}), [](LaunchOptions &) {}},
        ValueCase{"RowsBeyond64Bits", args({"--rows", "9223372036854775808"}), [](LaunchOptions &) {}},
        ValueCase{"PageWithin64BitsSaturates", args({"--page", "9223372036854775807"}),
                  [](LaunchOptions &o) { o.page = std::numeric_limits<int>::max(); }},
        ValueCase{"PageSmallest64Bits", args({"--page", "-9223372036854775808"}),
                  [](LaunchOptions &o) { o.page = std::numeric_limits<int>::min(); }},
        ValueCase{"SlideDecimalComma", args({"--slide-progress", "0,5"}), [](LaunchOptions &) {}},
        ValueCase{"SlideTrailingText", args({"--slide-progress", "0.5s"}), [](LaunchOptions &) {}},
        ValueCase{"SlideLeadingBlank", args({"--slide-progress", " 0.5"}), [](LaunchOptions &) {}},
        ValueCase{"SlideDoubleSign", args({"--slide-progress", "+-1"}), [](LaunchOptions &) {}},
        ValueCase{"SlideEmpty", args({"--slide-progress", ""}), [](LaunchOptions &) {}},
        ValueCase{"SlideHexLiteral", args({"--slide-progress", "0x1p-2"}), [](LaunchOptions &o) { o.slideProgress = 0.25; }},
        ValueCase{"SlideLeadingDot", args({"--slide-duration", ".5"}), [](LaunchOptions &o) { o.slideDuration = 0.5; }},
        ValueCase{"SlideHugeIsInfinite", args({"--slide-duration", "1e999"}),
                  [](LaunchOptions &o) { o.slideDuration = std::numeric_limits<double>::infinity(); }},
        ValueCase{"SlideInfinity", args({"--slide-duration", "-inf"}),
                  [](LaunchOptions &o) { o.slideDuration = -std::numeric_limits<double>::infinity(); }},

        // Repeated options: the first occurrence counts.
        ValueCase{"LanguageTwice", args({"--language", "de", "--language", "ja"}),
                  [](LaunchOptions &o) { o.language = "de"; }},
        ValueCase{"FirstMissingHidesSecond", args({"--page", "--show", "--page", "5"}),
                  [](LaunchOptions &o) { o.show = true; }},
        ValueCase{"FlagTwice", args({"--show", "--show"}), [](LaunchOptions &o) { o.show = true; }},

        // Values and words that are no option are ignored; order is free.
        ValueCase{"StrayWordsIgnored", args({"hello", "-show", "--unknown", "7", "--rows", "4", "--page", "1"}),
                  [](LaunchOptions &o) {
                      o.rows = 4;
                      o.page = 1;
                  }},
        ValueCase{"DoubleHyphenAloneIsNoValue", args({"--search", "--"}), [](LaunchOptions &) {}}),
    [](const ::testing::TestParamInfo<ValueCase> &info) { return std::string(info.param.name); });

TEST(LaunchOptionsParse, NoArgumentsAtAllGivesDefaults)
{
    EXPECT_EQ(LaunchOptions::parse(QStringList{}), LaunchOptions{});
    EXPECT_EQ(LaunchOptions::parse(command({})), LaunchOptions{});
}

// What the parser passes over is named, one text per argument.
struct ProblemCase
{
    const char *name;
    QStringList arguments;
    QStringList problems;
};

class LaunchOptionsProblemTest : public ::testing::TestWithParam<ProblemCase>
{
};

TEST_P(LaunchOptionsProblemTest, NamesWhatCannotBeRead)
{
    EXPECT_EQ(LaunchOptions::problems(command(GetParam().arguments)), GetParam().problems);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LaunchOptionsProblemTest,
    ::testing::Values(
        ProblemCase{"AllReadable", {"--columns", "7", "--icon-scale", "1.5", "--show", "--language", "de"}, {}},
        ProblemCase{"LettersForAWholeNumber", {"--columns", "abc"}, {"unreadable value option=--columns value=abc"}},
        ProblemCase{"LettersForANumber", {"--side-inset", "wide"}, {"unreadable value option=--side-inset value=wide"}},
        ProblemCase{"UnknownOption", {"--colums", "7"}, {"unknown option=--colums"}},
        ProblemCase{"MissingValue", {"--page", "--show"}, {"missing value option=--page"}},
        ProblemCase{"Several",
                    {"--bogus", "--rows", "1.5", "--settings-tab"},
                    {"unknown option=--bogus", "unreadable value option=--rows value=1.5",
                     "missing value option=--settings-tab"}},
        ProblemCase{"ValueLooksLikeAnOptionOfItsOwn", {"--search", "-x"}, {}}),
    [](const ::testing::TestParamInfo<ProblemCase> &info) { return std::string(info.param.name); });

// The usage text names each option the parser knows once, on a line of its
// own, with a placeholder exactly where the option takes a value.
TEST(LaunchOptionsUsage, EveryKnownOptionHasOneLine)
{
    const QStringList lines = LaunchOptions::usage().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList named;
    for (const QString &line : lines) {
        if (!line.startsWith(QLatin1String("  --")))
            continue;
        const QStringList words = line.simplified().split(QLatin1Char(' '));
        const QString option = words.at(0);
        EXPECT_FALSE(named.contains(option)) << option.toStdString();
        named.append(option);
        // Only a valued option is missing its value when nothing follows.
        const bool valued = words.size() > 1 && words.at(1) == words.at(1).toUpper() && words.at(1).at(0).isLetter();
        EXPECT_EQ(LaunchOptions::problems(command({option, QStringLiteral("--show")})).isEmpty(), !valued)
            << line.toStdString();
    }
    EXPECT_EQ(named.size(), 41);
    EXPECT_TRUE(named.contains(QStringLiteral("--help")));
}

TEST(LaunchOptionsUsage, HelpIsAskedForAnywhereButNotByAValue)
{
    EXPECT_TRUE(LaunchOptions::wantsHelp(command({QStringLiteral("--show"), QStringLiteral("--help")})));
    EXPECT_TRUE(LaunchOptions::wantsHelp(command({QStringLiteral("-h")})));
    EXPECT_FALSE(LaunchOptions::wantsHelp(command({QStringLiteral("--search"), QStringLiteral("help")})));
    EXPECT_FALSE(LaunchOptions::wantsHelp(QStringList{QStringLiteral("--help")})) << "the executable's own name";
}

TEST(LaunchOptionsParse, NotANumberIsKeptAsParsed)
{
    const LaunchOptions o = LaunchOptions::parse(command({QStringLiteral("--icon-scale"), QStringLiteral("nan")}));
    ASSERT_TRUE(o.iconScale.has_value());
    EXPECT_TRUE(std::isnan(*o.iconScale));
}

TEST(LaunchOptionsParse, AllFortyOptionsTogether)
{
    const LaunchOptions o = LaunchOptions::parse(command(args(
        {"--show", "--settings", "--page", "2", "--search", "q", "--scroll", "--folder", "--folder-page", "1",
         "--dump-windows", "--no-animation", "--lock-page", "--no-hover", "--slide-progress", "0.1",
         "--drag-progress", "0.2", "--slide-duration", "0.3", "--columns", "8", "--rows", "6", "--side-inset", "0.1",
         "--icon-scale", "0.9", "--state-dir", "s", "--import-native", "--import-source", "appGrid", "--import-path",
         "p", "--no-event-tap", "--simulate-trigger", "t", "--list-sources", "--simulate-page-input", "pi",
         "--simulate-drop", "d", "--pinch", "four", "--no-launchpad-names", "--uninstall-preview", "u", "--edit-mode",
         "--freeze-jiggle", "--edit-safe-uninstall", "--edit-tap-first-badge", "--badge-side", "left",
         "--edit-via-option", "--edit-release-option", "--language", "es", "--settings-tab", "4",
         "--switch-language", "ru"})));
    EXPECT_TRUE(o.show && o.showSettings && o.scroll && o.openFolder && o.dumpWindows && o.noAnimation && o.lockPage
                && o.noHover && o.importNative && o.noEventTap && o.listSources && o.noLaunchpadNames && o.editMode
                && o.freezeJiggle && o.editSafeUninstall && o.editTapFirstBadge && o.editViaOption
                && o.editReleaseOption);
    EXPECT_EQ(o.page, 2);
    EXPECT_EQ(o.search, "q");
    EXPECT_EQ(o.folderPage, 1);
    EXPECT_EQ(o.slideProgress, 0.1);
    EXPECT_EQ(o.dragProgress, 0.2);
    EXPECT_EQ(o.slideDuration, 0.3);
    EXPECT_EQ(o.columns, 8);
    EXPECT_EQ(o.rows, 6);
    EXPECT_EQ(o.sideInset, 0.1);
    EXPECT_EQ(o.iconScale, 0.9);
    EXPECT_EQ(o.stateDirectory, "s");
    EXPECT_EQ(o.importSource, "appGrid");
    EXPECT_EQ(o.importPath, "p");
    EXPECT_EQ(o.simulateTrigger, "t");
    EXPECT_EQ(o.pageInputSimulation, "pi");
    EXPECT_EQ(o.dropSimulation, "d");
    EXPECT_EQ(o.pinchOverride, "four");
    EXPECT_EQ(o.uninstallPreview, "u");
    EXPECT_EQ(o.badgeSide, "left");
    EXPECT_EQ(o.language, "es");
    EXPECT_EQ(o.settingsTab, 4);
    EXPECT_EQ(o.switchLanguage, "ru");
}

// ---------------------------------------------------------------- state directory

TEST(LaunchOptionsStateDirectory, OptionWinsOverEnvironment)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("APP_STATE_DIR"), QStringLiteral("/env/state"));
    LaunchOptions o;
    EXPECT_EQ(o.effectiveStateDirectory(env), QStringLiteral("/env/state"));
    o.stateDirectory = QStringLiteral("/opt/state");
    EXPECT_EQ(o.effectiveStateDirectory(env), QStringLiteral("/opt/state"));
}

TEST(LaunchOptionsStateDirectory, RelativeAndEmptyPathsAreTakenFromTheCurrentDirectory)
{
    LaunchOptions o;
    o.stateDirectory = QStringLiteral("rel/state");
    EXPECT_EQ(o.effectiveStateDirectory(QProcessEnvironment()), QDir::current().absoluteFilePath("rel/state"));
    // An empty option still names a directory: the current one.
    o.stateDirectory = QString();
    EXPECT_EQ(o.effectiveStateDirectory(QProcessEnvironment()), QDir::currentPath());

    QProcessEnvironment env;
    env.insert(QStringLiteral("APP_STATE_DIR"), QStringLiteral("envrel"));
    EXPECT_EQ(LaunchOptions().effectiveStateDirectory(env), QDir::current().absoluteFilePath("envrel"));
}

TEST(LaunchOptionsStateDirectory, EmptyOrMissingEnvironmentMeansNone)
{
    QProcessEnvironment env;
    EXPECT_EQ(LaunchOptions().effectiveStateDirectory(env), std::nullopt);
    env.insert(QStringLiteral("APP_STATE_DIR"), QString());
    EXPECT_EQ(LaunchOptions().effectiveStateDirectory(env), std::nullopt);
}

} // namespace

namespace {

// What a later start hands to the running launcher: its options without the
// executable, paths made absolute where it was started, and which of its
// options the running launcher leaves undone.
TEST(LaunchOptionsHandOver, PathsBecomeAbsoluteAndTheRestIsNamed)
{
    const QStringList arguments{QStringLiteral("tessellon"),     QStringLiteral("--import-path"),
                                QStringLiteral("stores/../a.db"), QStringLiteral("--import-source"),
                                QStringLiteral("launchNext"),    QStringLiteral("--state-dir"),
                                QStringLiteral("state"),         QStringLiteral("--columns"),
                                QStringLiteral("5"),             QStringLiteral("--settings"),
                                QStringLiteral("--no-animation"), QStringLiteral("--columns"),
                                QStringLiteral("6")};
    EXPECT_EQ(LaunchOptions::forHandOver(arguments, QStringLiteral("/home/u/work")),
              (QStringList{QStringLiteral("--import-path"), QStringLiteral("/home/u/work/a.db"),
                           QStringLiteral("--import-source"), QStringLiteral("launchNext"),
                           QStringLiteral("--state-dir"), QStringLiteral("/home/u/work/state"),
                           QStringLiteral("--columns"), QStringLiteral("5"), QStringLiteral("--settings"),
                           QStringLiteral("--no-animation"), QStringLiteral("--columns"), QStringLiteral("6")}));
    EXPECT_EQ(LaunchOptions::notHandedOver(arguments),
              (QStringList{QStringLiteral("--columns"), QStringLiteral("--no-animation")}));

    // An absolute path stays; a missing value swallows nothing.
    EXPECT_EQ(LaunchOptions::forHandOver({QStringLiteral("tessellon"), QStringLiteral("--import-path"),
                                          QStringLiteral("/x/y.db")},
                                         QStringLiteral("/elsewhere")),
              (QStringList{QStringLiteral("--import-path"), QStringLiteral("/x/y.db")}));
    EXPECT_EQ(LaunchOptions::forHandOver({QStringLiteral("tessellon"), QStringLiteral("--import-path"),
                                          QStringLiteral("--show")},
                                         QStringLiteral("/elsewhere")),
              (QStringList{QStringLiteral("--import-path"), QStringLiteral("--show")}));
    EXPECT_TRUE(LaunchOptions::forHandOver({QStringLiteral("tessellon")}, QStringLiteral("/")).isEmpty());
    EXPECT_TRUE(LaunchOptions::notHandedOver({QStringLiteral("tessellon"), QStringLiteral("--show"),
                                              QStringLiteral("--settings-tab"), QStringLiteral("2"),
                                              QStringLiteral("--import-native")})
                    .isEmpty());
}

} // namespace
