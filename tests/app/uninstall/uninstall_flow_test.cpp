// The confirmation against a scratch home: loading, filling in, the 8 s
// limit, the clean-uninstall checkbox and its setting, the move of the
// bundle and the chosen leftovers into a scratch Trash, the rescan and the
// report; cancel and preview move nothing.
#include "launcher_session_test_support.h"

#include "modal/alert_box.h"
#include "modal/modal_step_aside.h"
#include "uninstall/running_app_probe.h"
#include "uninstall/uninstall_accessory.h"
#include "uninstall/uninstall_flow.h"

#include "trash/freedesktop_trash.h"

#include "foundation/log.h"
#include "uninstall/app_residue_scanner.h"
#include "uninstall/local_file_system_access.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QThreadPool>

#include <future>

namespace {

using session_test::SessionTest;

const QString kAlphaID = QStringLiteral("com.example.alpha");
const QString kBetaID = QStringLiteral("com.example.beta");

class FixedRunningApps : public RunningAppProbe
{
public:
    QSet<QString> executables;
    QSet<QString> runningExecutables() const override { return executables; }
};

// Notes each step aside and return of the launcher.
class RecordingStepAside final : public ModalStepAside
{
public:
    explicit RecordingStepAside(QStringList &events) : m_events(events) {}
    void stepAside() override { m_events << QStringLiteral("dismiss"); }
    void comeBack() override { m_events << QStringLiteral("restore"); }
    void runLowered(QWidget *, const std::function<void()> &body) override { body(); }

private:
    QStringList &m_events;
};

// The scratch Trash, with a hook that runs before each move.
class ScratchTrash final : public TrashService
{
public:
    ScratchTrash(QString folder, std::function<void()> &beforeMove) : m_bin(folder), m_beforeMove(beforeMove) {}
    QList<TrashOutcome> moveToTrash(const QStringList &paths) override
    {
        if (m_beforeMove)
            m_beforeMove();
        return m_bin.moveToTrash(paths);
    }
    QList<TrashOutcome> moveToTrashWithin(const QString &root, const QStringList &paths) override
    {
        if (m_beforeMove)
            m_beforeMove();
        return m_bin.moveToTrashWithin(root, paths);
    }

private:
    FreedesktopTrash m_bin;
    std::function<void()> &m_beforeMove;
};

class UninstallFlowTest : public SessionTest
{
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        L10n::setForTesting(AppLanguage::en);
        Log::setSink([this](const QString &line) { log << line; });
        alphaBundle = makeApp(appsDir(), QStringLiteral("Alpha"), kAlphaID);
        betaBundle = makeApp(appsDir(), QStringLiteral("Beta"), kBetaID);
        for (const char *leftover : {"Library/Preferences/com.example.alpha.plist",
                                     "Library/Caches/com.example.alpha/cache.db",
                                     "Library/Preferences/com.example.beta.plist"})
            writeFile(home() + QLatin1Char('/') + QString::fromLatin1(leftover));
        session = makeSession();
        session->rescan();
        ASSERT_TRUE(session->app(kAlphaID).has_value());
    }

    void TearDown() override
    {
        flow.reset();
        QThreadPool::globalInstance()->waitForDone();
        Log::setSink({});
        SessionTest::TearDown();
    }

    static void writeFile(const QString &file)
    {
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("x");
    }

    QString home() const { return path(QStringLiteral("home")); }
    QString trash() const { return path(QStringLiteral("data/Trash")); }
    bool inTrash(const QString &name) const { return QFileInfo::exists(trash() + QStringLiteral("/files/") + name); }

    // The flow with a driven clock: ticks come only from answer().
    void makeFlow(UninstallFlow::Scan scan = {})
    {
        UninstallFlow::Host host;
        host.exitEditMode = [this] { events << QStringLiteral("exitEditMode"); };
        host.stepAside = &stepAside;
        host.runAlert = [this](QDialog &) { return answer ? answer() : AlertBox::secondButtonReturn; };
        host.showReport = [this](const QString &title, const QString &text, bool warning) {
            reportTitle = title;
            reportText = text;
            reportWarning = warning;
        };
        UninstallFlow::Environment env;
        env.home = home();
        env.scan = std::move(scan);
        env.trash = std::make_shared<ScratchTrash>(trash(), beforeMove);
        env.now = [this] { return now; };
        env.runningApps = running;
        env.startsPollTimer = false;
        flow = std::make_unique<UninstallFlow>(*session, std::move(host), std::move(env));
    }

    // Waits for the real scan, then ticks past the minimum loading time.
    void fillIn()
    {
        ASSERT_TRUE(flow->waitForScan(10000));
        EXPECT_FALSE(flow->pollTick()) << "the loading state lasts the minimum time";
        now += 0.35;
        ASSERT_TRUE(flow->pollTick());
    }

    // Waits for the move of a confirmed uninstall to end, by its signal.
    void finishMove()
    {
        if (!flow->isMoving())
            return;
        QSignalSpy finished(flow.get(), &UninstallFlow::uninstallFinished);
        ASSERT_TRUE(finished.wait(60000));
    }

    QList<UninstallResidue> expectedResidues(const QString &id)
    {
        const LocalFileSystemAccess fs;
        return AppResidueScanner(home(), fs, {stateDir()}).scan({*session->app(id)}, session->apps());
    }

    QStringList linesStartingWith(const QString &prefix) const
    {
        QStringList found;
        for (const QString &line : log)
            if (line.startsWith(prefix))
                found << line;
        return found;
    }

    std::unique_ptr<LauncherSession> session;
    std::unique_ptr<UninstallFlow> flow;
    std::shared_ptr<FixedRunningApps> running = std::make_shared<FixedRunningApps>();
    std::function<int()> answer;
    // Runs on the moving thread before each request to the Trash.
    std::function<void()> beforeMove;
    double now = 100;
    QStringList events;
    RecordingStepAside stepAside{events};
    QStringList log;
    QString alphaBundle;
    QString betaBundle;
    QString reportTitle;
    QString reportText;
    bool reportWarning = false;
};

TEST_F(UninstallFlowTest, ConfirmingWithCleanUninstallMovesTheBundleAndItsLeftoversAndRescans)
{
    const QList<UninstallResidue> expected = expectedResidues(kAlphaID);
    ASSERT_EQ(expected.size(), 2) << "the preference file and the cache folder";
    makeFlow();
    answer = [&] {
        AlertBox *alert = flow->currentAlert();
        EXPECT_EQ(alert->messageText(), QStringLiteral("Uninstall Alpha?"));
        EXPECT_FALSE(alert->firstButton()->isEnabled());
        EXPECT_EQ(alert->firstButtonTitle(), L("正在扫描…"));
        EXPECT_FALSE(flow->currentCheckbox()->isEnabled());
        EXPECT_EQ(flow->currentAccessory()->panelText(), L("正在扫描残留配置、缓存与容器…"));
        fillIn();
        EXPECT_TRUE(alert->firstButton()->isEnabled());
        EXPECT_EQ(alert->firstButtonTitle(), QStringLiteral("Uninstall & clean"));
        EXPECT_EQ(alert->firstButton()->text(), QStringLiteral("Uninstall && clean")) << "no mnemonic";
        EXPECT_TRUE(flow->currentCheckbox()->isChecked()) << "preselected from the setting";
        EXPECT_TRUE(flow->currentCheckbox()->isEnabled());
        EXPECT_NE(flow->currentAccessory()->residueList(), nullptr);
        if (flow->currentAccessory()->residueList() != nullptr)
            EXPECT_EQ(flow->currentAccessory()->residueList()->toPlainText(),
                  UninstallAccessory::residueListText(expected, home()));
        return AlertBox::firstButtonReturn;
    };
    flow->uninstall({kAlphaID}, false);
    finishMove();

    EXPECT_FALSE(QFileInfo::exists(alphaBundle));
    EXPECT_TRUE(inTrash(QStringLiteral("Alpha.app")));
    EXPECT_TRUE(inTrash(QStringLiteral("com.example.alpha.plist")));
    EXPECT_TRUE(inTrash(QStringLiteral("com.example.alpha")));
    EXPECT_TRUE(QFileInfo::exists(home() + QStringLiteral("/Library/Preferences/com.example.beta.plist")));
    EXPECT_TRUE(QFileInfo::exists(betaBundle));
    EXPECT_FALSE(session->app(kAlphaID).has_value()) << "the rescan leaves it out";
    EXPECT_TRUE(session->app(kBetaID).has_value());
    EXPECT_TRUE(session->settings().pureUninstall);
    EXPECT_EQ(reportTitle, QStringLiteral("Uninstall complete"));
    EXPECT_EQ(reportText, QStringLiteral("Moved 1/1 apps to the Trash.\nRemoved 2/2 leftover items.\n"
                                         "Everything removed can be restored from the Trash."));
    EXPECT_FALSE(reportWarning);
    EXPECT_EQ(events, (QStringList{"exitEditMode", "dismiss"})) << "the launcher stays out after a confirmation";
    EXPECT_EQ(linesStartingWith(QStringLiteral("[uninstall] 已从网格移除")),
              QStringList{QStringLiteral("[uninstall] 已从网格移除 1 个已卸载应用")});
    EXPECT_EQ(linesStartingWith(QStringLiteral("[uninstall] 残留扫描完成: 2 项 / ")).size(), 1);
    EXPECT_EQ(flow->currentAlert(), nullptr);
}

TEST_F(UninstallFlowTest, UntickingTheBoxMovesOnlyTheAppAndWritesTheSettingOff)
{
    makeFlow();
    answer = [&] {
        fillIn();
        flow->currentCheckbox()->setChecked(false);
        EXPECT_EQ(flow->currentAlert()->firstButtonTitle(), QStringLiteral("Uninstall app only"));
        return AlertBox::firstButtonReturn;
    };
    flow->uninstall({kAlphaID}, false);
    finishMove();

    EXPECT_TRUE(inTrash(QStringLiteral("Alpha.app")));
    EXPECT_TRUE(QFileInfo::exists(home() + QStringLiteral("/Library/Preferences/com.example.alpha.plist")));
    EXPECT_FALSE(session->settings().pureUninstall);
    EXPECT_EQ(reportText, QStringLiteral("Moved 1/1 apps to the Trash.\nEverything removed can be restored from the Trash."));
}

TEST_F(UninstallFlowTest, TickingTheBoxWithTheSettingOffCleansAndWritesItOn)
{
    session->updateSettings([](Settings &s) { s.pureUninstall = false; });
    makeFlow();
    answer = [&] {
        fillIn();
        EXPECT_FALSE(flow->currentCheckbox()->isChecked());
        EXPECT_EQ(flow->currentAlert()->firstButtonTitle(), QStringLiteral("Uninstall app only"));
        flow->currentCheckbox()->setChecked(true);
        EXPECT_EQ(flow->currentAlert()->firstButtonTitle(), QStringLiteral("Uninstall & clean"));
        return AlertBox::firstButtonReturn;
    };
    flow->uninstall({kAlphaID}, false);
    finishMove();

    EXPECT_TRUE(inTrash(QStringLiteral("com.example.alpha.plist")));
    EXPECT_TRUE(session->settings().pureUninstall);
}

TEST_F(UninstallFlowTest, CancelMovesNothingWritesNothingAndBringsTheLauncherBack)
{
    session->updateSettings([](Settings &s) { s.pureUninstall = true; });
    makeFlow();
    answer = [&] {
        fillIn();
        flow->currentCheckbox()->setChecked(false);
        return AlertBox::secondButtonReturn;
    };
    flow->uninstall({kAlphaID}, false);
    finishMove();

    EXPECT_TRUE(QFileInfo::exists(alphaBundle));
    EXPECT_TRUE(QFileInfo::exists(home() + QStringLiteral("/Library/Preferences/com.example.alpha.plist")));
    EXPECT_FALSE(QFileInfo::exists(trash() + QStringLiteral("/files")));
    EXPECT_TRUE(session->settings().pureUninstall);
    EXPECT_TRUE(session->app(kAlphaID).has_value());
    EXPECT_TRUE(reportTitle.isEmpty());
    EXPECT_EQ(events, (QStringList{"exitEditMode", "dismiss", "restore"}));
}

TEST_F(UninstallFlowTest, AScanPastEightSecondsTimesOutAndOnlyTheAppMoves)
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    makeFlow([released](const QList<AppItem> &, const QList<AppItem> &, const std::function<void()> &) {
        released.wait();
        return QList<UninstallResidue>{UninstallResidue(QStringLiteral("/nowhere"), UninstallResidue::Kind::caches,
                                                        {kAlphaID})};
    });
    answer = [&] {
        now += 8.0;
        EXPECT_FALSE(flow->pollTick()) << "8 s are still waited for";
        EXPECT_FALSE(flow->currentAlert()->firstButton()->isEnabled());
        now += 0.05;
        EXPECT_TRUE(flow->pollTick());
        EXPECT_EQ(flow->currentCheckbox()->text(), QStringLiteral("Clean uninstall (scan timed out)"));
        EXPECT_FALSE(flow->currentCheckbox()->isChecked());
        EXPECT_FALSE(flow->currentCheckbox()->isEnabled());
        EXPECT_EQ(flow->currentAlert()->firstButtonTitle(), QStringLiteral("Uninstall app only"));
        EXPECT_EQ(flow->currentAccessory()->panelText(),
                  QStringLiteral("The leftover scan timed out; only the app will be uninstalled."));
        // The late result is ignored.
        release.set_value();
        EXPECT_TRUE(flow->waitForScan(10000));
        EXPECT_TRUE(flow->pollTick());
        return AlertBox::firstButtonReturn;
    };
    session->updateSettings([](Settings &s) { s.pureUninstall = false; });
    flow->uninstall({kAlphaID}, false);
    finishMove();

    EXPECT_TRUE(inTrash(QStringLiteral("Alpha.app")));
    EXPECT_TRUE(QFileInfo::exists(home() + QStringLiteral("/Library/Preferences/com.example.alpha.plist")));
    EXPECT_FALSE(session->settings().pureUninstall) << "the setting is left as it was";
    const QStringList done = linesStartingWith(QStringLiteral("[uninstall] 残留扫描完成: 0 项 / 8.05s"));
    ASSERT_EQ(done.size(), 1);
    EXPECT_TRUE(done.first().endsWith(QStringLiteral("（超时兜底）")));
}

TEST_F(UninstallFlowTest, NoLeftoversLeaveTheBoxOffAndTheSettingUntouched)
{
    makeFlow([](const QList<AppItem> &, const QList<AppItem> &, const std::function<void()> &) { return QList<UninstallResidue>(); });
    answer = [&] {
        fillIn();
        EXPECT_EQ(flow->currentCheckbox()->text(), QStringLiteral("Clean uninstall (no leftovers found)"));
        EXPECT_FALSE(flow->currentCheckbox()->isEnabled());
        EXPECT_EQ(flow->currentAccessory()->panelText(),
                  QStringLiteral("No safely removable leftovers found; only the app will be uninstalled."));
        return AlertBox::firstButtonReturn;
    };
    flow->uninstall({kAlphaID}, false);
    finishMove();
    EXPECT_TRUE(session->settings().pureUninstall);
    EXPECT_TRUE(inTrash(QStringLiteral("Alpha.app")));
}

TEST_F(UninstallFlowTest, PreviewShowsTheDialogButMovesAndWritesNothing)
{
    session->updateSettings([](Settings &s) { s.pureUninstall = false; });
    makeFlow();
    answer = [&] {
        EXPECT_TRUE(flow->currentAlert()->informativeText().startsWith(QStringLiteral("【取证预览】")));
        fillIn();
        flow->currentCheckbox()->setChecked(true);
        return AlertBox::firstButtonReturn;
    };
    flow->uninstall({kAlphaID}, true);

    EXPECT_TRUE(QFileInfo::exists(alphaBundle));
    EXPECT_TRUE(QFileInfo::exists(home() + QStringLiteral("/Library/Preferences/com.example.alpha.plist")));
    EXPECT_FALSE(QFileInfo::exists(trash()));
    EXPECT_FALSE(session->settings().pureUninstall);
    EXPECT_EQ(linesStartingWith(QStringLiteral("[uninstall-preview]")),
              (QStringList{QStringLiteral("[uninstall-preview] 确认框已打开 应用=Alpha loading=1（未删除任何文件）"),
                           QStringLiteral("[uninstall-preview] 应用=Alpha 残留=2 纯净=1（未删除任何文件）")}));
    EXPECT_EQ(events.last(), QStringLiteral("restore"));
}

TEST_F(UninstallFlowTest, ARunningAppIsNamedInTheNoteUnderItsDisplayName)
{
    running->executables = {alphaBundle + QStringLiteral("/Contents/MacOS/alpha"), QStringLiteral("/usr/bin/beta")};
    session->commit([](LauncherLayout &layout) { layout.nameOverrides.insert(kAlphaID, QStringLiteral("My Alpha")); });
    makeFlow();
    QString informative;
    answer = [&] {
        informative = flow->currentAlert()->informativeText();
        return AlertBox::secondButtonReturn;
    };
    flow->uninstall({kAlphaID, kBetaID}, false);
    EXPECT_EQ(flow->currentAlert(), nullptr);
    EXPECT_TRUE(informative.endsWith(
        QStringLiteral("\n\nNote: My Alpha is running. Some files may be in use and cannot be removed; quit it first.")))
        << informative.toStdString();
}

TEST_F(UninstallFlowTest, UnknownIdentifiersOpenNothing)
{
    makeFlow();
    int runs = 0;
    answer = [&] {
        ++runs;
        return AlertBox::secondButtonReturn;
    };
    log.clear();
    flow->uninstall({QStringLiteral("com.example.missing")}, false);
    flow->uninstall({}, true);
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(events.isEmpty()) << "edit mode is not left";
    EXPECT_TRUE(log.isEmpty());
}

// The move to the Trash runs off the main thread: uninstall() returns while it
// works, no other dialog opens meanwhile, and the report comes when it ends.
TEST_F(UninstallFlowTest, TheMoveRunsInTheBackgroundAndReportsWhenDone)
{
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    beforeMove = [released] { released.wait_for(std::chrono::seconds(5)); };
    makeFlow();
    int dialogs = 0;
    answer = [&] {
        ++dialogs;
        fillIn();
        return AlertBox::firstButtonReturn;
    };
    flow->uninstall({kAlphaID}, false);

    EXPECT_TRUE(reportTitle.isEmpty()) << "the report waited for the move";
    EXPECT_TRUE(flow->isMoving());
    EXPECT_TRUE(QFileInfo::exists(alphaBundle));
    flow->uninstall({kBetaID}, false);
    EXPECT_EQ(dialogs, 1) << "no dialog while the last uninstall still moves";

    release.set_value();
    finishMove();
    EXPECT_FALSE(flow->isMoving());
    EXPECT_FALSE(QFileInfo::exists(alphaBundle));
    EXPECT_EQ(reportTitle, QStringLiteral("Uninstall complete"));
    EXPECT_FALSE(session->app(kAlphaID).has_value());
    ASSERT_TRUE(flow->lastReport().has_value());
    EXPECT_EQ(flow->lastReport()->residueMoved(), 2);
}

// A scan that keeps advancing is waited for past 8 s: the limit counts from
// its last progress. One that stops advancing times out 8 s later, and none
// is waited for past a minute.
TEST_F(UninstallFlowTest, TheScanLimitGrowsWhileEntriesStillArrive)
{
    std::promise<std::function<void()>> started;
    std::future<std::function<void()>> progressOf = started.get_future();
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    const UninstallResidue found(home() + QStringLiteral("/Library/Preferences/com.example.alpha.plist"),
                                 UninstallResidue::Kind::preferences, {kAlphaID});
    makeFlow([&started, released, found](const QList<AppItem> &, const QList<AppItem> &,
                                         const std::function<void()> &progress) {
        started.set_value(progress);
        released.wait();
        return QList<UninstallResidue>{found};
    });
    answer = [&] {
        EXPECT_EQ(progressOf.wait_for(std::chrono::seconds(30)), std::future_status::ready);
        const std::function<void()> progress = progressOf.get();
        for (int step = 0; step < 3; ++step) {
            now += 7.0;
            progress();
            EXPECT_FALSE(flow->pollTick()) << "still advancing after " << (step + 1) * 7 << " s";
        }
        now += 7.9;
        EXPECT_FALSE(flow->pollTick()) << "7.9 s since its last progress";
        release.set_value();
        EXPECT_TRUE(flow->waitForScan(10000));
        EXPECT_TRUE(flow->pollTick());
        EXPECT_EQ(flow->currentCheckbox()->text(),
                  QStringLiteral("Clean uninstall: also remove 1 leftover item (preferences, caches, containers…)"));
        EXPECT_TRUE(flow->currentCheckbox()->isEnabled());
        return AlertBox::secondButtonReturn;
    };
    flow->uninstall({kAlphaID}, false);
    EXPECT_EQ(linesStartingWith(QStringLiteral("[uninstall] 残留扫描完成: 1 项 / 28.90s")).size(), 1);
}

TEST_F(UninstallFlowTest, AScanIsNotWaitedForPastAMinuteEvenWhileItAdvances)
{
    std::promise<std::function<void()>> started;
    std::future<std::function<void()>> progressOf = started.get_future();
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    makeFlow([&started, released](const QList<AppItem> &, const QList<AppItem> &, const std::function<void()> &progress) {
        started.set_value(progress);
        released.wait();
        return QList<UninstallResidue>();
    });
    answer = [&] {
        EXPECT_EQ(progressOf.wait_for(std::chrono::seconds(30)), std::future_status::ready);
        const std::function<void()> progress = progressOf.get();
        while (now + 5 <= 100 + UninstallFlow::scanCeiling) {
            now += 5;
            progress();
            EXPECT_FALSE(flow->pollTick());
        }
        now = 100 + UninstallFlow::scanCeiling + 0.05;
        progress();
        EXPECT_TRUE(flow->pollTick());
        EXPECT_EQ(flow->currentCheckbox()->text(), QStringLiteral("Clean uninstall (scan timed out)"));
        release.set_value();
        return AlertBox::secondButtonReturn;
    };
    flow->uninstall({kAlphaID}, false);
}

} // namespace
