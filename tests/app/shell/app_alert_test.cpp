#include "shell/app_alert.h"

#include "manual_timer_scheduler.h"
#include "localization/l10n.h"
#include "support/temp_env.h"
#include "window_stacking.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString kAbortLine = QStringLiteral("[AppAlert] 弹窗不可见或被全屏覆盖层压住（visible=%1 covered=%2），中止模态会话");

// ---- The watchdog's judgement, on plain window states ----------------------------

struct CoverRow
{
    const char *name;
    AppAlert::WindowState alert;
    double screenArea;
    QList<AppAlert::WindowState> others;
    bool covered;
    bool aborts;
};

constexpr double kScreenArea = 1000.0 * 1000.0;

AppAlert::WindowState alertWindow(bool visible = true)
{
    return {visible, 1.0, WindowLevel::modalPanel, QRectF(300, 300, 400, 200)};
}

AppAlert::WindowState overlay(double share, double alpha = 1.0, int level = WindowLevel::launcher, bool visible = true)
{
    // A square-ish window of `share` times the screen area.
    return {visible, alpha, level, QRectF(0, 0, 1000, 1000 * share)};
}

// The same windows where the display server's stacking order is known.
AppAlert::WindowState stacked(AppAlert::WindowState window, int place)
{
    window.stacked = place;
    return window;
}

class WatchdogJudgement : public ::testing::TestWithParam<CoverRow>
{
};

TEST_P(WatchdogJudgement, CoveredAndAbortDecisions)
{
    const CoverRow &row = GetParam();
    LogCapture log;
    EXPECT_EQ(AppAlert::isCovered(row.alert, row.screenArea, row.others), row.covered);
    EXPECT_EQ(AppAlert::watchdogShouldAbort(row.alert, row.screenArea, row.others), row.aborts);
    if (row.aborts) {
        EXPECT_EQ(log.lines(), QStringList{kAbortLine.arg(row.alert.visible ? 1 : 0).arg(row.covered ? 1 : 0)});
    } else {
        EXPECT_TRUE(log.lines().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WatchdogJudgement,
    ::testing::Values(
        CoverRow{"FullScreenLauncherAbove", alertWindow(), kScreenArea, {overlay(1.0)}, true, true},
        CoverRow{"ExactlyEightyPercent", alertWindow(), kScreenArea, {overlay(0.8)}, true, true},
        CoverRow{"SeventyNinePercent", alertWindow(), kScreenArea, {overlay(0.79)}, false, false},
        CoverRow{"SameLevel", alertWindow(), kScreenArea, {overlay(1.0, 1.0, WindowLevel::modalPanel)}, false, false},
        CoverRow{"BelowTheAlert", alertWindow(), kScreenArea, {overlay(1.0, 1.0, WindowLevel::normal)}, false, false},
        CoverRow{"AlphaOnePercent", alertWindow(), kScreenArea, {overlay(1.0, 0.01)}, false, false},
        CoverRow{"AlphaTwoPercent", alertWindow(), kScreenArea, {overlay(1.0, 0.02)}, true, true},
        CoverRow{"HiddenOverlay", alertWindow(), kScreenArea, {overlay(1.0, 1.0, WindowLevel::launcher, false)}, false,
                 false},
        CoverRow{"OneOfSeveralCovers", alertWindow(), kScreenArea, {overlay(0.5), overlay(0.9)}, true, true},
        CoverRow{"NoScreenNothingCovers", alertWindow(), 0, {overlay(1.0)}, false, false},
        CoverRow{"InvisibleAlertWithoutScreen", alertWindow(false), 0, {overlay(1.0)}, false, true},
        CoverRow{"InvisibleAlertUncovered", alertWindow(false), kScreenArea, {}, false, true},
        CoverRow{"InvisibleAndCovered", alertWindow(false), kScreenArea, {overlay(1.0)}, true, true},
        // The server's order overrules the levels: a dialog the window
        // manager put above the launcher is seen.
        CoverRow{"ServerStacksTheAlertAboveTheLauncher", stacked(alertWindow(), 5), kScreenArea,
                 {stacked(overlay(1.0), 4)}, false, false},
        CoverRow{"ServerStacksTheAlertUnderANormalWindow", stacked(alertWindow(), 4), kScreenArea,
                 {stacked(overlay(1.0, 1.0, WindowLevel::normal), 5)}, true, true},
        CoverRow{"ServerStacksAHiddenWindowAbove", stacked(alertWindow(), 4), kScreenArea,
                 {stacked(overlay(1.0, 1.0, WindowLevel::launcher, false), 5)}, false, false},
        // Where the server cannot place both apart, the levels decide.
        CoverRow{"OnlyTheAlertIsStacked", stacked(alertWindow(), 4), kScreenArea, {overlay(1.0)}, true, true},
        CoverRow{"BothInOnePlace", stacked(alertWindow(), 4), kScreenArea, {stacked(overlay(1.0), 4)}, true, true}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Real dialogs in a modal run, with the watchdog fired by hand -------------------------

class AppAlertRun : public ::testing::Test
{
protected:
    void SetUp() override { L10n::setForTesting(AppLanguage::zhHans); }

    // A launcher-like window at `share` of the primary screen's height.
    std::unique_ptr<QWidget> showOverlay(double share)
    {
        auto window = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
        WindowLevel::set(window.get(), WindowLevel::launcher);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        window->setGeometry(screen.x(), screen.y(), screen.width(), int(screen.height() * share));
        window->show();
        return window;
    }

    // Runs `step` from inside the next modal run.
    static void duringRun(std::function<void()> step) { QTimer::singleShot(0, qApp, std::move(step)); }

    static AlertBox *runningAlert() { return qobject_cast<AlertBox *>(QApplication::activeModalWidget()); }

    ManualTimerScheduler scheduler;
};

TEST_F(AppAlertRun, AlertCoveredByTheLauncherIsAborted)
{
    const auto launcher = showOverlay(1.0);
    LogCapture log;
    AlertBox alert;
    alert.setMessageText(QStringLiteral("Imported"));
    alert.addButton(QStringLiteral("OK"));
    alert.addButton(QStringLiteral("Cancel"));
    int fired = 0;
    duringRun([&] { fired = scheduler.fireAll(); });

    EXPECT_EQ(AppAlert::run(alert, scheduler), AppAlert::abortResponse);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(alert.isVisible());
    EXPECT_EQ(log.lines(), QStringList{kAbortLine.arg(1).arg(1)});
    ASSERT_EQ(scheduler.entries().size(), 1);
    EXPECT_DOUBLE_EQ(scheduler.entries().first()->seconds, AppAlert::watchdogDelay);
    EXPECT_FALSE(scheduler.entries().first()->repeats);
}

TEST_F(AppAlertRun, VisibleAlertOutlivesTheWatchdogAndReturnsThePressedButton)
{
    const auto smallWindow = showOverlay(0.79);
    LogCapture log;
    AlertBox alert;
    alert.addButton(QStringLiteral("Uninstall"));
    alert.addButton(QStringLiteral("Cancel"));
    duringRun([&] {
        scheduler.fireAll();
        // Still running after the watchdog looked; the user answers later.
        if (runningAlert() == &alert)
            alert.pressButton(AlertBox::secondButtonReturn);
    });
    EXPECT_EQ(AppAlert::run(alert, scheduler), AlertBox::secondButtonReturn);
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("[AppAlert] kept visible=1 covered=0 order=level")});
}

TEST_F(AppAlertRun, AnswerBeforeTheWatchdogLeavesNoTimerAndNoLine)
{
    LogCapture log;
    AlertBox alert;
    alert.addButton(QStringLiteral("OK"));
    duringRun([&] { alert.pressButton(AlertBox::firstButtonReturn); });
    EXPECT_EQ(AppAlert::run(alert, scheduler), AlertBox::firstButtonReturn);
    EXPECT_EQ(scheduler.liveCount(), 0);
    EXPECT_EQ(scheduler.fireAll(), 0);
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(AppAlertRun, EscapePressesTheCancelButton)
{
    AlertBox twoButtons;
    twoButtons.addButton(QStringLiteral("Rename"));
    twoButtons.addButton(QStringLiteral("Cancel"));
    duringRun([&] { twoButtons.reject(); });
    EXPECT_EQ(AppAlert::run(twoButtons, scheduler), AlertBox::secondButtonReturn);

    AlertBox oneButton;
    oneButton.addButton(QStringLiteral("OK"));
    duringRun([&] { oneButton.reject(); });
    EXPECT_EQ(AppAlert::run(oneButton, scheduler), AlertBox::firstButtonReturn);
}

TEST_F(AppAlertRun, InformationHasOneLocalizedButton)
{
    QString title;
    QString message;
    qsizetype buttons = 0;
    duringRun([&] {
        if (AlertBox *alert = runningAlert()) {
            buttons = alert->buttons().size();
            title = alert->buttons().value(0)->text();
            message = alert->messageText();
            alert->pressButton(AlertBox::firstButtonReturn);
        }
    });
    EXPECT_EQ(AppAlert::information(QStringLiteral("Tessellon"), QStringLiteral("about"),
                                    AlertBox::Style::informational, std::nullopt, scheduler),
              AlertBox::firstButtonReturn);
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(title, L(QStringLiteral("好")));
    EXPECT_EQ(message, QStringLiteral("Tessellon"));
}

TEST_F(AppAlertRun, AlertWithoutButtonsGetsOne)
{
    AlertBox alert;
    duringRun([&] { alert.pressButton(AlertBox::firstButtonReturn); });
    EXPECT_EQ(AppAlert::run(alert, scheduler), AlertBox::firstButtonReturn);
    ASSERT_EQ(alert.buttons().size(), 1);
    EXPECT_EQ(alert.buttons().first()->text(), L(QStringLiteral("好")));
}

// A stand-in for the display server: the windows it stacks, lowest first.
class FakeStacking final : public WindowStacking
{
public:
    std::optional<QList<int>> places(const QList<const QWidget *> &windows) override
    {
        ++queries;
        if (!known)
            return std::nullopt;
        QList<int> result;
        for (const QWidget *window : windows)
            result.append(int(order.indexOf(window)));
        return result;
    }

    bool known = true;
    QList<const QWidget *> order;
    int queries = 0;
};

class AppAlertStackingRun : public AppAlertRun
{
protected:
    void SetUp() override
    {
        AppAlertRun::SetUp();
        AppAlert::useStacking(&stacking);
    }
    void TearDown() override { AppAlert::useStacking(nullptr); }

    FakeStacking stacking;
};

// The "Choose a layout source" dialog closed itself 1.5 s after it opened
// above the launcher: the watchdog went by the launcher's higher level.
TEST_F(AppAlertStackingRun, AnAlertTheServerStacksAboveTheLauncherOutlivesTheWatchdog)
{
    const auto launcher = showOverlay(1.0);
    LogCapture log;
    AlertBox alert;
    alert.addButton(QStringLiteral("Import"));
    alert.addButton(QStringLiteral("Cancel"));
    bool runningAfterWatchdog = false;
    duringRun([&] {
        stacking.order = {launcher.get(), &alert};
        scheduler.fireAll();
        runningAfterWatchdog = runningAlert() == &alert;
        if (runningAfterWatchdog)
            alert.pressButton(AlertBox::firstButtonReturn);
    });
    EXPECT_EQ(AppAlert::run(alert, scheduler), AlertBox::firstButtonReturn);
    EXPECT_TRUE(runningAfterWatchdog);
    EXPECT_EQ(stacking.queries, 1);
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("[AppAlert] kept visible=1 covered=0 order=server")});
}

TEST_F(AppAlertStackingRun, AnAlertTheServerStacksUnderTheLauncherIsAborted)
{
    const auto launcher = showOverlay(1.0);
    // Lowered for a panel, yet the server still has it on top.
    WindowLevel::set(launcher.get(), WindowLevel::normal);
    LogCapture log;
    AlertBox alert;
    alert.addButton(QStringLiteral("OK"));
    duringRun([&] {
        stacking.order = {&alert, launcher.get()};
        scheduler.fireAll();
    });
    EXPECT_EQ(AppAlert::run(alert, scheduler), AppAlert::abortResponse);
    EXPECT_EQ(log.lines(), QStringList{kAbortLine.arg(1).arg(1)});
}

TEST_F(AppAlertStackingRun, WithoutAnOrderFromTheServerTheLevelsDecide)
{
    stacking.known = false;
    const auto launcher = showOverlay(1.0);
    AlertBox alert;
    alert.addButton(QStringLiteral("OK"));
    duringRun([&] { scheduler.fireAll(); });
    EXPECT_EQ(AppAlert::run(alert, scheduler), AppAlert::abortResponse);
    EXPECT_EQ(stacking.queries, 1);
}

// ---- Lowering a window around a modal body ---------------------------------------------------

TEST(AppAlertModal, WithoutWindowRunsTheBody)
{
    int runs = 0;
    EXPECT_EQ(AppAlert::modal(nullptr, [&] { return ++runs * 10; }), 10);
    EXPECT_EQ(runs, 1);
}

TEST(AppAlertModal, LowersDuringTheBodyAndRestoresAfterwardsWhateverTheBodyDid)
{
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    WindowLevel::set(&window, WindowLevel::launcher);
    window.show();
    int levelInside = -1;
    const QString result = AppAlert::modal(&window, [&] {
        levelInside = WindowLevel::of(&window);
        WindowLevel::set(&window, WindowLevel::floating);
        return QStringLiteral("picked");
    });
    EXPECT_EQ(result, QStringLiteral("picked"));
    EXPECT_EQ(levelInside, WindowLevel::normal);
    EXPECT_EQ(WindowLevel::of(&window), WindowLevel::launcher);
    EXPECT_TRUE(window.isVisible());
}

TEST(AppAlertModal, VoidBodyAndWindowDestroyedInsideIt)
{
    auto *window = new QWidget(nullptr, Qt::Window);
    WindowLevel::set(window, WindowLevel::launcher);
    bool ran = false;
    AppAlert::modal(window, [&] {
        ran = true;
        delete window;
    });
    EXPECT_TRUE(ran);
}

// A nested alert inside a lowered body gets a watchdog of its own.
TEST(AppAlertModal, NestedAlertInsideBodyHasItsOwnTimer)
{
    ManualTimerScheduler scheduler;
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    WindowLevel::set(&window, WindowLevel::launcher);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    window.setGeometry(screen);
    window.show();
    LogCapture log;
    const int response = AppAlert::modal(&window, [&] {
        AlertBox alert;
        alert.addButton(QStringLiteral("OK"));
        QTimer::singleShot(0, qApp, [&] {
            scheduler.fireAll(); // the lowered launcher covers nothing now
            alert.pressButton(AlertBox::firstButtonReturn);
        });
        return AppAlert::run(alert, scheduler);
    });
    EXPECT_EQ(response, AlertBox::firstButtonReturn);
    EXPECT_EQ(scheduler.entries().size(), 1);
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("[AppAlert] kept visible=1 covered=0 order=level")});
    EXPECT_EQ(WindowLevel::of(&window), WindowLevel::launcher);
}

} // namespace
