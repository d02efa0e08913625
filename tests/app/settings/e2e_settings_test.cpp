// The settings window of the real tessellon binary on its own virtual X
// display: opened by "--settings" on the page "--settings-tab" names, with
// its "[settings]" and "[windows] settings" lines, and rebuilt in another
// language while it is open.
#include "app/e2e/e2e_support.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <ostream>

namespace {

using e2e::kStartTimeoutMs;
using e2e::Launcher;
using e2e::runTool;

const QString kReady = QStringLiteral("[ready] ");
const QString kTabLine = QStringLiteral("[settings] tab=");
const QString kWindowLine = QStringLiteral("[windows] settings x=");

struct OpenCase
{
    const char *name;
    QStringList options;
    const char *tabLine; // null: no "[settings]" line
    bool window;         // a "[windows] settings" line
};

void PrintTo(const OpenCase &row, std::ostream *os)
{
    *os << row.name;
}

class SettingsEndToEndTest : public e2e::ThreeAppTest
{
protected:
    // The X window ids of visible windows with exactly this title.
    QStringList windowsNamed(const QString &title) const
    {
        const e2e::Outcome outcome = runTool(
            QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
             QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')},
            environment());
        return outcome.exitCode == 0 ? outcome.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts) : QStringList();
    }
};

class SettingsOpenEndToEndTest : public SettingsEndToEndTest, public ::testing::WithParamInterface<OpenCase>
{
};

TEST_P(SettingsOpenEndToEndTest, TheWindowAndItsTabAreLogged)
{
    const OpenCase &row = GetParam();
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments(QStringList{QStringLiteral("--dump-windows"), QStringLiteral("--no-event-tap"),
                                                     QStringLiteral("--language"), QStringLiteral("en")} +
                                         row.options)));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();

    if (row.tabLine) {
        EXPECT_EQ(launcher.linesStartingWith(kTabLine), QStringList{QString::fromLatin1(row.tabLine)});
    } else {
        EXPECT_TRUE(launcher.linesStartingWith(kTabLine).isEmpty());
    }

    const QStringList windowLines = launcher.linesStartingWith(kWindowLine);
    if (!row.window) {
        EXPECT_TRUE(windowLines.isEmpty());
        EXPECT_TRUE(windowsNamed(QStringLiteral("Tessellon Settings")).isEmpty());
    } else {
        ASSERT_EQ(windowLines.size(), 1) << launcher.output().toStdString();
        static const QRegularExpression shape(
            QStringLiteral("^\\[windows\\] settings x=(-?\\d+) y=(-?\\d+) w=(\\d+) h=(\\d+) id=(\\d+)$"));
        const QRegularExpressionMatch match = shape.match(windowLines.first());
        ASSERT_TRUE(match.hasMatch()) << windowLines.first().toStdString();
        // 620 × 730, centred on the 1280 × 800 screen.
        EXPECT_EQ(match.captured(1).toInt(), (e2e::VirtualDisplay::width - 620) / 2);
        EXPECT_EQ(match.captured(2).toInt(), (e2e::VirtualDisplay::height - 730) / 2);
        EXPECT_EQ(match.captured(3).toInt(), 620);
        EXPECT_EQ(match.captured(4).toInt(), 730);
        // The id is the X window that carries the settings title.
        EXPECT_TRUE(e2e::eventually([&] { return windowsNamed(QStringLiteral("Tessellon Settings")) ==
                                                 QStringList{match.captured(5)}; }));
        // The window line follows the launcher's.
        const QStringList lines = launcher.lines();
        qsizetype launcherLine = -1;
        for (qsizetype i = 0; i < lines.size() && launcherLine < 0; ++i)
            launcherLine = lines[i].startsWith(QLatin1String("[windows] launcher ")) ? i : -1;
        ASSERT_GE(launcherLine, 0) << launcher.output().toStdString();
        EXPECT_EQ(lines.value(launcherLine + 2), windowLines.first());
    }
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Options, SettingsOpenEndToEndTest,
    ::testing::Values(
        OpenCase{"SettingsOnTheAdvancedTab", {"--settings", "--settings-tab", "3"}, "[settings] tab=3 pages=5", true},
        OpenCase{"SettingsWithoutATab", {"--settings"}, nullptr, true},
        OpenCase{"ATabOutsideThePages", {"--settings", "--settings-tab", "9"}, "[settings] tab=0 pages=5", true},
        OpenCase{"ATabWithoutSettings", {"--settings-tab", "2"}, nullptr, false},
        OpenCase{"NeitherOption", {}, nullptr, false}),
    [](const ::testing::TestParamInfo<OpenCase> &info) { return std::string(info.param.name); });

// The language changes while the window is open: the window is rebuilt in
// place (same X window, new title) and the program keeps running.
TEST_F(SettingsEndToEndTest, TheOpenWindowIsRebuiltInANewLanguage)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({QStringLiteral("--no-event-tap"), QStringLiteral("--language"),
                                          QStringLiteral("en"), QStringLiteral("--settings"),
                                          QStringLiteral("--settings-tab"), QStringLiteral("2"),
                                          QStringLiteral("--switch-language"), QStringLiteral("de")})));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[settings] tab=2 pages=5"), 1, kStartTimeoutMs))
        << launcher.output().toStdString();
    QStringList before;
    ASSERT_TRUE(e2e::eventually([&] {
        before = windowsNamed(QStringLiteral("Tessellon Settings"));
        return before.size() == 1;
    }));

    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[language] switched=de"), 1, kStartTimeoutMs))
        << launcher.output().toStdString();
    EXPECT_TRUE(e2e::eventually([&] { return windowsNamed(QStringLiteral("Tessellon-Einstellungen")) == before; }));
    EXPECT_TRUE(launcher.isRunning());
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

// The X windows of the display's root, top-most first (xwininfo lists the
// root's children in that order).
QStringList stackingFromTheTop(const QProcessEnvironment &environment)
{
    const e2e::Outcome outcome =
        runTool(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")}, environment);
    QStringList ids;
    static const QRegularExpression window(QStringLiteral("^\\s+(0x[0-9a-f]+) "));
    for (const QString &line : outcome.output.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = window.match(line);
        if (match.hasMatch())
            ids << QString::number(match.captured(1).toULongLong(nullptr, 16));
    }
    return ids;
}

// The launcher hidden and shown again by its hot key comes up on top of
// everything; the settings window must come back above it, also without a
// window manager to keep it there.
TEST_F(SettingsEndToEndTest, TheWindowStaysAboveTheLauncherShownAgain)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({QStringLiteral("--no-event-tap"), QStringLiteral("--language"),
                                          QStringLiteral("en"), QStringLiteral("--settings")})));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
    QStringList launcherWindow, settingsWindow;
    ASSERT_TRUE(e2e::eventually([&] {
        launcherWindow = windowsNamed(QStringLiteral("Tessellon"));
        settingsWindow = windowsNamed(QStringLiteral("Tessellon Settings"));
        return launcherWindow.size() == 1 && settingsWindow.size() == 1;
    }));
    const auto settingsOnTop = [&] {
        const QStringList order = stackingFromTheTop(environment());
        const qsizetype settings = order.indexOf(settingsWindow.first());
        const qsizetype launcherIndex = order.indexOf(launcherWindow.first());
        return settings >= 0 && launcherIndex >= 0 && settings < launcherIndex;
    };
    EXPECT_TRUE(e2e::eventually(settingsOnTop));

    QElapsedTimer sincePress;
    for (int press = 1; press <= 2; ++press) {
        // Two toggles closer than the trigger's debounce count as one.
        if (press == 2 && sincePress.elapsed() < 600)
            QThread::msleep(quint64(600 - sincePress.elapsed()));
        ASSERT_EQ(runTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+space")}, environment())
                      .exitCode,
                  0);
        sincePress.start();
        ASSERT_TRUE(launcher.waitFor(QStringLiteral("[trigger] action=toggle"), press)) << launcher.output().toStdString();
        // The hide animation ends before the launcher can come back.
        if (press == 1)
            ASSERT_TRUE(e2e::eventually([&] { return !launcherVisible(); }));
    }
    ASSERT_TRUE(e2e::eventually([&] { return launcherVisible(); }));
    EXPECT_TRUE(e2e::eventually(settingsOnTop));
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

} // namespace
