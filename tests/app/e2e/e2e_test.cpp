// The real tessellon binary on its own virtual X display: start-up, the log
// lines, the window, real key presses, the hand-over of a second start, and
// the state written on SIGTERM.
#include "app/e2e/e2e_support.h"

#include <QJsonDocument>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

using namespace e2e;

class EndToEndTest : public e2e::ThreeAppTest
{
public:
    bool launcherExists() const
    {
        return runTool(QStringLiteral("xdotool"),
                       {QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^Tessellon$")},
                       environment())
                   .exitCode == 0;
    }

    void pressKey(const QString &keys) const
    {
        const Outcome outcome = runTool(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}, environment());
        ASSERT_EQ(outcome.exitCode, 0) << outcome.output.toStdString();
    }
};

TEST_F(EndToEndTest, StartsShowsItsWindowLogsReadyAndSavesTheLayoutOnSigterm)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({QStringLiteral("--show"), QStringLiteral("--dump-windows")})));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[ready] "), 1, kStartTimeoutMs)) << launcher.output().toStdString();

    EXPECT_EQ(launcher.line(QStringLiteral("[language] startup=")),
              QStringLiteral("[language] startup=en preference=system override=none"));
    EXPECT_TRUE(launcher.line(QStringLiteral("[scan] ")).startsWith(QStringLiteral("[scan] apps=3 ")))
        << launcher.output().toStdString();
    EXPECT_TRUE(launcher.line(QStringLiteral("[ready] ")).contains(QStringLiteral(" apps=3 columns=7 rows=5 ")))
        << launcher.line(QStringLiteral("[ready] ")).toStdString();
    const QRegularExpression windowLine(QStringLiteral(R"(^\[windows\] launcher x=0 y=0 w=1280 h=800 id=(\S+)$)"));
    const QRegularExpressionMatch window = windowLine.match(launcher.line(QStringLiteral("[windows] launcher")));
    EXPECT_TRUE(window.hasMatch()) << launcher.output().toStdString();
    EXPECT_TRUE(launcher.line(QStringLiteral("[screens] ")).contains(QStringLiteral("main=true")));
    EXPECT_TRUE(eventually([&] { return launcherVisible(); }));
    // No compositing manager runs here: the window has no alpha channel the
    // server would only ignore.
    const Outcome info = runTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window.captured(1)}, environment());
    EXPECT_TRUE(info.output.contains(QStringLiteral("Depth: 24"))) << info.output.toStdString();

    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
    QFile layout(QDir(m_home.stateDirectory()).filePath(QStringLiteral("layout.json")));
    ASSERT_TRUE(layout.open(QIODevice::ReadOnly));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(layout.readAll(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_TRUE(document.isObject());
    const QByteArray text = document.toJson(QJsonDocument::Compact);
    for (const char *id : {"org.tessellon.e2e.atlas", "org.tessellon.e2e.beacon", "org.tessellon.e2e.canvas"})
        EXPECT_TRUE(text.contains(id)) << id;
}

// Toggles the launcher twice with real key presses of `keys`, waiting out
// the trigger debounce between the two.
void toggleTwice(EndToEndTest &test, Launcher &launcher, const QString &keys);

TEST_F(EndToEndTest, TheHotKeyPressedOnTheKeyboardTogglesTheLauncherWithoutTheEventTap)
{
    // Without the event tap only the global key grab can see the key.
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(
        arguments({QStringLiteral("--show"), QStringLiteral("--dump-windows"), QStringLiteral("--no-event-tap")})));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[ready] "), 1, kStartTimeoutMs)) << launcher.output().toStdString();
    ASSERT_TRUE(eventually([&] { return launcherVisible(); }));
    // Option-Space, the default preset: Alt and Space on this keyboard.
    toggleTwice(*this, launcher, QStringLiteral("alt+space"));
    EXPECT_EQ(launcher.terminate(), 0);
}

// Another X client holds Alt+Space, the default hot key: the X server refuses
// the launcher's grab. The start says so instead of going on as if it were set.
TEST_F(EndToEndTest, AHotKeyThatAnotherClientHoldsIsReportedAtStart)
{
    const QByteArray name = m_display.display().toLatin1();
    Display *other = XOpenDisplay(name.constData());
    ASSERT_NE(other, nullptr);
    const KeyCode space = XKeysymToKeycode(other, XK_space);
    // Every lock variant, as a desktop's own shortcut handler grabs a key.
    for (unsigned locks : {0u, unsigned(LockMask), unsigned(Mod2Mask), unsigned(LockMask | Mod2Mask)})
        XGrabKey(other, space, Mod1Mask | locks, DefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync);
    XSync(other, False);

    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({QStringLiteral("--show"), QStringLiteral("--no-event-tap")})));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[ready] "), 1, kStartTimeoutMs)) << launcher.output().toStdString();
    EXPECT_EQ(launcher.count(QStringLiteral("[hotkey] preset=optionSpace taken=1")), 1)
        << launcher.output().toStdString();
    EXPECT_EQ(launcher.count(QStringLiteral("[hotkey] grab=failed keyCode=49 modifiers=2048 reason=taken")), 1)
        << launcher.output().toStdString();
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
    XCloseDisplay(other);
}

// The visible windows named "Tessellon": the launcher, and an alert when one is up.
int visibleTessellonWindows(const EndToEndTest &test)
{
    const Outcome found = runTool(QStringLiteral("xdotool"),
                                  {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                   QStringLiteral("^Tessellon$")},
                                  test.environment());
    return int(found.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
}

// The settings window's "Choose a layout source" dialog, opened over the
// launcher, closed itself 1.5 s later: the watchdog took it for covered by
// the launcher's level, though the X server had it on top.
TEST_F(EndToEndTest, AnAlertAboveTheLauncherOutlivesTheWatchdog)
{
    m_home.addFile(QStringLiteral("Library/Application Support/LaunchNext/Data.store"));
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({QStringLiteral("--show"), QStringLiteral("--dump-windows"),
                                          QStringLiteral("--settings"), QStringLiteral("--settings-tab"),
                                          QStringLiteral("2")})));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[ready] "), 1, kStartTimeoutMs)) << launcher.output().toStdString();
    ASSERT_TRUE(eventually([&] { return launcherVisible(); }));
    const QRegularExpressionMatch settings =
        QRegularExpression(QStringLiteral(R"(^\[windows\] settings x=(-?\d+) y=(-?\d+) )"))
            .match(launcher.line(QStringLiteral("[windows] settings ")));
    ASSERT_TRUE(settings.hasMatch()) << launcher.output().toStdString();

    // "Import from another launcher…" on the Apps page: below the tab bar
    // (118), the sources card (header and card, 255) and the row of
    // maintenance buttons (51), 9 into its own row; the button is 32 high and
    // at least 260 wide, 44 in from the window's left edge.
    const int x = settings.captured(1).toInt() + 44 + 130;
    const int y = settings.captured(2).toInt() + 118 + 348 + 9 + 16;
    xdotool({QStringLiteral("mousemove"), QString::number(x), QString::number(y), QStringLiteral("click"),
             QStringLiteral("1")});
    ASSERT_TRUE(eventually([&] { return visibleTessellonWindows(*this) == 2; })) << launcher.output().toStdString();

    // The watchdog has looked, and the dialog is still there to be answered.
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[AppAlert] kept visible=1 covered=0 order=server")))
        << launcher.output().toStdString();
    EXPECT_EQ(visibleTessellonWindows(*this), 2);
    EXPECT_EQ(launcher.count(QStringLiteral("[AppAlert] 弹窗不可见")), 0) << launcher.output().toStdString();
    pressKey(QStringLiteral("Escape"));
    EXPECT_TRUE(eventually([&] { return visibleTessellonWindows(*this) == 1; })) << launcher.output().toStdString();
    EXPECT_TRUE(launcherVisible());
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

TEST_F(EndToEndTest, F4PressedOnTheKeyboardTogglesTheLauncherThroughTheEventTap)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({QStringLiteral("--show"), QStringLiteral("--dump-windows")})));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[ready] "), 1, kStartTimeoutMs)) << launcher.output().toStdString();
    ASSERT_TRUE(launcher.line(QStringLiteral("[input] trusted=1 keytap=1 ")).size() > 0)
        << launcher.output().toStdString();
    ASSERT_TRUE(eventually([&] { return launcherVisible(); }));
    toggleTwice(*this, launcher, QStringLiteral("F4"));
    EXPECT_EQ(launcher.terminate(), 0);
}

void toggleTwice(EndToEndTest &test, Launcher &launcher, const QString &keys)
{
    QElapsedTimer sincePress;
    test.pressKey(keys);
    sincePress.start();
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[trigger] action=toggle"), 1)) << launcher.output().toStdString();
    EXPECT_TRUE(eventually([&] { return !test.launcherVisible(); })) << launcher.output().toStdString();

    // Two toggles closer than the debounce count as one; keep them apart.
    const qint64 debounceLeft = 600 - sincePress.elapsed();
    if (debounceLeft > 0)
        QThread::msleep(quint64(debounceLeft));
    test.pressKey(keys);
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[trigger] action=toggle"), 2)) << launcher.output().toStdString();
    EXPECT_TRUE(eventually([&] { return test.launcherVisible(); })) << launcher.output().toStdString();
    // Each show writes the window line again. The window may be seen mapped
    // before the test has read that line, so wait for it rather than count.
    EXPECT_TRUE(launcher.waitFor(QStringLiteral("[windows] launcher x="), 3)) << launcher.output().toStdString();
    EXPECT_EQ(launcher.count(QStringLiteral("[windows] launcher x=")), 3);
    EXPECT_EQ(launcher.count(QStringLiteral("[trigger] ")), 2);
}

TEST_F(EndToEndTest, ASecondStartHandsOverShowsTheRunningLauncherAndEnds)
{
    Launcher first(environment());
    // Without "--show" a window dump run starts hidden.
    ASSERT_TRUE(first.start(arguments({QStringLiteral("--dump-windows")})));
    ASSERT_TRUE(first.waitFor(QStringLiteral("[ready] "), 1, kStartTimeoutMs)) << first.output().toStdString();
    EXPECT_TRUE(launcherExists());
    EXPECT_FALSE(launcherVisible());
    EXPECT_EQ(first.count(QStringLiteral("[windows] launcher x=")), 1);

    Launcher second(environment());
    ASSERT_TRUE(second.start(arguments({})));
    EXPECT_EQ(second.waitForExit(), 0) << second.output().toStdString();
    EXPECT_TRUE(second.output().contains(QStringLiteral("[instance] handed over"))) << second.output().toStdString();
    EXPECT_FALSE(second.output().contains(QStringLiteral("[ready]")));

    EXPECT_TRUE(first.waitFor(QStringLiteral("[windows] launcher x="), 2)) << first.output().toStdString();
    EXPECT_TRUE(eventually([&] { return launcherVisible(); }));
    EXPECT_EQ(first.terminate(), 0);
}

// "--help" prints every option on a line of its own and ends: no window, no
// state files, and a running launcher is neither reached nor shown.
TEST_F(EndToEndTest, HelpPrintsTheOptionsAndStartsNothing)
{
    const auto help = [&] {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral(TESSELLON_BINARY), arguments({QStringLiteral("--help")}));
        EXPECT_TRUE(process.waitForFinished(testCeilingMs(kStepTimeoutMs)));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(process.readAllStandardError(), QByteArray());
        return QString::fromUtf8(process.readAllStandardOutput());
    };

    const QString text = help();
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const char *option : {"--help", "--show", "--settings", "--settings-tab N", "--page N", "--state-dir DIR",
                               "--import-path FILE", "--language CODE", "--switch-language CODE"}) {
        const QString start = QStringLiteral("  ") + QLatin1String(option) + QLatin1Char(' ');
        EXPECT_EQ(lines.filter(start).size(), 1) << option << "\n" << text.toStdString();
    }
    // The 40 options of a start and "--help" itself.
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^  --[a-z-]+ "))).size(), 41) << text.toStdString();
    EXPECT_FALSE(launcherExists());
    EXPECT_FALSE(QFileInfo::exists(QDir(m_home.stateDirectory()).filePath(QStringLiteral("layout.json"))));

    // Beside a running, hidden launcher: the same text, and the launcher stays hidden.
    Launcher running(environment());
    ASSERT_TRUE(running.start(arguments({QStringLiteral("--dump-windows")})));
    ASSERT_TRUE(running.waitFor(QStringLiteral("[ready] "), 1, kStartTimeoutMs)) << running.output().toStdString();
    EXPECT_EQ(help(), text);
    EXPECT_FALSE(launcherVisible());
    // A plain second start after it: the running launcher takes connections
    // in order, so one reopen in all means the help start never reached it.
    ASSERT_EQ(runTool(QStringLiteral(TESSELLON_BINARY), arguments({}), environment()).exitCode, 0);
    ASSERT_TRUE(running.waitFor(QStringLiteral("[instance] reopen"))) << running.output().toStdString();
    EXPECT_EQ(running.count(QStringLiteral("[instance] reopen")), 1) << running.output().toStdString();
    EXPECT_EQ(running.terminate(), 0);
}

TEST_F(EndToEndTest, ListSourcesPrintsTheSourcesFoundInTheHome)
{
    m_home.addFile(QStringLiteral("Library/Application Support/LaunchNext/Data.store"));
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(
        arguments({QStringLiteral("--list-sources"), QStringLiteral("--dump-windows"), QStringLiteral("--no-event-tap")})));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[ready] "), 1, kStartTimeoutMs)) << launcher.output().toStdString();
    EXPECT_EQ(launcher.line(QStringLiteral("[sources] count=")), QStringLiteral("[sources] count=1"));
    EXPECT_EQ(launcher.line(QStringLiteral("[sources] launchNext ")),
              QStringLiteral("[sources] launchNext path=") + m_home.path() +
                  QStringLiteral("/Library/Application Support/LaunchNext/Data.store"));
    EXPECT_TRUE(launcher.line(QStringLiteral("[input] eventTap disabled by --no-event-tap · trusted=")).size() > 0)
        << launcher.output().toStdString();
    EXPECT_EQ(launcher.terminate(), 0);
}

TEST_F(EndToEndTest, SimulatedTriggerAndLanguageSwitchTakeTheRealPath)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({QStringLiteral("--show"), QStringLiteral("--dump-windows"),
                                          QStringLiteral("--simulate-trigger"), QStringLiteral("f4"),
                                          QStringLiteral("--language"), QStringLiteral("zh-Hans"),
                                          QStringLiteral("--switch-language"), QStringLiteral("fr")})));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[trigger] action=toggle"), 1, kStartTimeoutMs))
        << launcher.output().toStdString();
    EXPECT_TRUE(eventually([&] { return !launcherVisible(); })) << launcher.output().toStdString();
    EXPECT_EQ(launcher.line(QStringLiteral("[language] startup=")),
              QStringLiteral("[language] startup=zh-Hans preference=system override=zh-Hans"));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[language] switched="), 1)) << launcher.output().toStdString();
    EXPECT_EQ(launcher.line(QStringLiteral("[language] switched=")), QStringLiteral("[language] switched=fr current=fr"));
    EXPECT_EQ(launcher.terminate(), 0);
}

// The layout is saved at start-up; removed behind the launcher's back, only
// the save on SIGTERM can bring it back.
TEST_F(EndToEndTest, SigtermWritesTheLayoutRemovedAfterStartUpAgain)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({QStringLiteral("--no-event-tap")})));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[ready] "), 1, kStartTimeoutMs)) << launcher.output().toStdString();
    const QString path = QDir(m_home.stateDirectory()).filePath(QStringLiteral("layout.json"));
    QFile::remove(path);
    ASSERT_FALSE(QFileInfo::exists(path));

    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
    QFile layout(path);
    ASSERT_TRUE(layout.open(QIODevice::ReadOnly)) << launcher.output().toStdString();
    const QByteArray text = QJsonDocument::fromJson(layout.readAll()).toJson(QJsonDocument::Compact);
    for (const char *id : {"org.tessellon.e2e.atlas", "org.tessellon.e2e.beacon", "org.tessellon.e2e.canvas"})
        EXPECT_TRUE(text.contains(id)) << id;
}

// Started for X11 (no platform named) where no X server answers: one line on
// standard error and status 1, not Qt's abort.
struct NoDisplayCase
{
    const char *name;
    const char *display; // null: DISPLAY unset
    const char *says;    // the start of the line
};

void PrintTo(const NoDisplayCase &row, std::ostream *out)
{
    *out << row.name;
}

class NoDisplayEndToEndTest : public testing::TestWithParam<NoDisplayCase>
{
};

TEST_P(NoDisplayEndToEndTest, SaysSoInOneLineAndExitsWithStatusOne)
{
    Home home;
    home.addBundle(QStringLiteral("Atlas"));
    QProcessEnvironment environment = home.environment(QString());
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (GetParam().display)
        environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(GetParam().display));

    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TESSELLON_BINARY), {QStringLiteral("--state-dir"), home.stateDirectory()});
    ASSERT_TRUE(process.waitForFinished(testCeilingMs(kStepTimeoutMs)));
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << errors.toStdString();
    EXPECT_EQ(process.exitCode(), 1) << errors.toStdString();
    const QStringList lines = errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << errors.toStdString();
    EXPECT_TRUE(lines.first().startsWith(QString::fromLatin1(GetParam().says))) << errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QDir(home.stateDirectory()).filePath(QStringLiteral("layout.json"))));
}

INSTANTIATE_TEST_SUITE_P(Display, NoDisplayEndToEndTest,
                         testing::Values(NoDisplayCase{"Unset", nullptr, "no X display: set DISPLAY to a running X "
                                                                         "server or run under Xvfb"},
                                         NoDisplayCase{"Empty", "", "no X display: set DISPLAY "},
                                         // Xvfb -displayfd takes the lowest free numbers; this one
                                         // is far above any a test run reaches.
                                         NoDisplayCase{"NoServerThere", ":9871", "cannot open X display :9871: "}),
                         [](const testing::TestParamInfo<NoDisplayCase> &info) { return std::string(info.param.name); });

// The offscreen platform needs no display and starts as ever without one.
TEST(NoDisplayEndToEnd, OffscreenPlatformStartsWithoutAnyDisplay)
{
    Home home;
    home.addBundle(QStringLiteral("Atlas"));
    QProcessEnvironment environment = home.environment(QString());
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    Launcher launcher(environment);
    ASSERT_TRUE(launcher.start({QStringLiteral("--state-dir"), home.stateDirectory(), QStringLiteral("--no-event-tap")}));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[ready] "), 1, kStartTimeoutMs)) << launcher.output().toStdString();
    EXPECT_FALSE(launcher.output().contains(QStringLiteral("no X display")));
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

} // namespace
