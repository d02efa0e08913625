#include "launcher_session_test_support.h"
#include "support/test_files.h"

#include <cmath>

using session_test::describe;
using session_test::NativeFolder;
using session_test::SessionTest;

namespace {

// ---------------------------------------------------------------- construction and overrides

struct OverrideCase
{
    const char *name;
    QStringList options;
    QVariantMap storedDefaults;
    std::function<void(Settings &)> expect; // applied to the loaded settings
};

void PrintTo(const OverrideCase &c, std::ostream *os)
{
    *os << c.name;
}

class SessionOverrideTest : public SessionTest, public ::testing::WithParamInterface<OverrideCase>
{
};

// Command-line overrides change the settings for the run, inside the ranges
// the settings always keep, and are never written at construction.
TEST_P(SessionOverrideTest, AppliesForTheRunWithoutWriting)
{
    const OverrideCase &c = GetParam();
    for (auto it = c.storedDefaults.cbegin(); it != c.storedDefaults.cend(); ++it)
        defaults.setObject(it.key(), it.value());
    defaults.writes = 0;

    auto session = makeSession(c.options);
    Settings expected = Settings::load(defaults);
    c.expect(expected);
    EXPECT_EQ(session->settings(), expected);
    EXPECT_GE(session->settings().columns, 1);
    EXPECT_GE(session->settings().rows, 1);
    EXPECT_EQ(defaults.writes, 0);
    EXPECT_EQ(defaults.dictionaryRepresentation(), c.storedDefaults);
}

QVariantMap storedGrid(int columns, int rows)
{
    return {{Settings::key(u"columns"), columns}, {Settings::key(u"rows"), rows}};
}

INSTANTIATE_TEST_SUITE_P(
    Overrides, SessionOverrideTest,
    ::testing::Values(
        OverrideCase{"None", {}, storedGrid(6, 4), [](Settings &) {}},
        OverrideCase{"GridInRange", {"--columns", "8", "--rows", "4"}, storedGrid(6, 6),
                     [](Settings &s) {
                         s.columns = 8;
                         s.rows = 4;
                     }},
        OverrideCase{"ZeroColumnsHeldAtTheSmallestGrid", {"--columns", "0"}, {}, [](Settings &s) { s.columns = 4; }},
        OverrideCase{"NegativeRowsHeldAtTheSmallestGrid", {"--rows", "-2"}, {}, [](Settings &s) { s.rows = 3; }},
        OverrideCase{"HugeRowsHeldAtTheLargestGrid", {"--rows", "99"}, {}, [](Settings &s) { s.rows = 7; }},
        OverrideCase{"SaturatedColumns", {"--columns", "99999999999"}, {}, [](Settings &s) { s.columns = 10; }},
        OverrideCase{"InsetAndScale", {"--side-inset", "0.2", "--icon-scale", "1.2"}, {},
                     [](Settings &s) {
                         s.sideInset = 0.2;
                         s.iconScale = 1.2;
                     }},
        OverrideCase{"InsetAndScaleOutOfRange", {"--side-inset", "5", "--icon-scale", "-1"}, {},
                     [](Settings &s) {
                         s.sideInset = 0.28;
                         s.iconScale = 0.75;
                     }},
        OverrideCase{"NotANumberIgnored", {"--icon-scale", "nan", "--side-inset", "inf"},
                     {{Settings::key(u"iconScale"), 0.9}}, [](Settings &) {}},
        OverrideCase{"Scroll", {"--scroll"}, {}, [](Settings &s) { s.viewMode = Settings::ViewMode::scroll; }},
        OverrideCase{"PinchThree", {"--pinch", "three"}, {{Settings::key(u"pinchGesture"), "four"}},
                     [](Settings &s) { s.pinchGesture = PinchGesture::three; }},
        OverrideCase{"PinchUnknownKeepsLoaded", {"--pinch", "seven"}, {{Settings::key(u"pinchGesture"), "four"}},
                     [](Settings &) {}},
        OverrideCase{"NoLaunchpadNames", {"--no-launchpad-names"}, {}, [](Settings &s) { s.useLaunchpadNames = false; }}),
    [](const ::testing::TestParamInfo<OverrideCase> &info) { return std::string(info.param.name); });

TEST_F(SessionTest, ConstructionLoadsTheStoredFilesAndNothingElse)
{
    LayoutStore store(stateDir());
    LauncherLayout layout({{LayoutEntry::app(id("Beta")), LayoutEntry::app(id("Alpha"))}});
    ASSERT_TRUE(store.save(layout));
    ASSERT_TRUE(store.savePinned({id("Beta")}));
    makeApp("Alpha");

    // What a save killed before its rename left: gone with the new start.
    const QString leftover = stateDir() + QStringLiteral("/.layout.json.x1Y2z3");
    writeFile(leftover, "{\"pages\":[[");

    auto session = makeSession();
    EXPECT_EQ(session->layout(), layout);
    EXPECT_EQ(session->pinned(), QStringList{id("Beta")});
    EXPECT_FALSE(QFileInfo::exists(leftover));
    EXPECT_TRUE(session->apps().isEmpty()); // nothing is scanned before start()
    EXPECT_FALSE(session->lastImportSummary());
    EXPECT_FALSE(session->lastImportSource());
    EXPECT_TRUE(session->lastImportDetail().isEmpty());
}

// ---------------------------------------------------------------- the grid override fault

// A grid from the command line lasts for this run: the layout file stays paged
// by the user's own grid and the defaults keep the user's grid, even after
// settings are saved during the run.
TEST_F(SessionTest, GridOverrideNeverRepagesTheSavedLayoutNorReachesTheDefaults)
{
    defaults.setObject(Settings::key(u"columns"), 5);
    defaults.setObject(Settings::key(u"rows"), 3); // 15 per page
    QStringList names;
    for (int i = 0; i < 15; ++i) {
        names << QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0'));
        makeApp(names.last());
    }

    auto session = makeSession({"--columns", "0", "--rows", "0"});
    EXPECT_EQ(session->settings().pageSize(), 12); // held at 4 x 3: nothing divides by zero
    EXPECT_TRUE(session->hasGridOverride());
    session->start();
    ASSERT_EQ(session->layout().allEntries().size(), 15);
    EXPECT_EQ(session->displayPages().size(), 2); // shown at the run's grid
    EXPECT_EQ(storedLayout().pages.size(), 1);    // stored at the user's
    EXPECT_EQ(storedLayout().pages.first().size(), 15);

    session->updateSettings([](Settings &s) { s.dim = 0.5; }, true);
    EXPECT_EQ(stored("columns"), QVariant(5));
    EXPECT_EQ(stored("rows"), QVariant(3));
    EXPECT_EQ(stored("dim"), QVariant(0.5));
    EXPECT_EQ(storedLayout().pages.size(), 1);
    // The order the user saw is the order stored.
    EXPECT_EQ(storedLayout().allEntries(), session->layout().allEntries());

    session.reset();
    auto next = makeSession();
    EXPECT_EQ(next->settings().columns, 5);
    EXPECT_EQ(next->settings().rows, 3);
    EXPECT_EQ(next->layout().pages.size(), 1);
}

// A grid the user picks during the run replaces the override and is stored.
TEST_F(SessionTest, GridChosenDuringTheRunEndsTheOverride)
{
    defaults.setObject(Settings::key(u"columns"), 5);
    defaults.setObject(Settings::key(u"rows"), 3);
    auto session = makeSession({"--columns", "9"});
    session->updateSettings([](Settings &s) { s.columns = 6; }, true);
    EXPECT_EQ(session->settings().columns, 6);
    EXPECT_FALSE(session->hasGridOverride());
    EXPECT_EQ(stored("columns"), QVariant(6));

    // The other run-only overrides stay out of the defaults until changed.
    auto scrolled = makeSession({"--scroll", "--pinch", "five"});
    scrolled->updateSettings([](Settings &s) { s.animate = false; }, true);
    EXPECT_EQ(stored("viewMode"), QVariant("pages"));
    EXPECT_EQ(stored("pinchGesture"), QVariant("off"));
    EXPECT_EQ(scrolled->settings().viewMode, Settings::ViewMode::scroll);
    scrolled->updateSettings([](Settings &s) { s.pinchGesture = PinchGesture::four; }, true);
    EXPECT_EQ(stored("pinchGesture"), QVariant("four"));
}

// ---------------------------------------------------------------- rescan

TEST_F(SessionTest, RescanScansMergesReconcilesSavesAndNotifies)
{
    makeApp("Gamma");
    makeApp("alpha");
    makeApp("Beta");
    auto session = makeSession();
    int changes = 0;
    QObject::connect(session.get(), &LauncherSession::changed, [&] { ++changes; });
    LogCapture log;

    session->rescan();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(session->apps().size(), 3);
    EXPECT_EQ(session->appsByID().size(), 3);
    for (const AppItem &app : session->apps())
        EXPECT_EQ(session->appsByID().value(app.stableID()), app);
    EXPECT_EQ(describe(session->layout().pages), "com.t.alpha com.t.beta com.t.gamma");
    EXPECT_EQ(storedPages(), "com.t.alpha com.t.beta com.t.gamma");
    EXPECT_TRUE(log.lines().contains("[scan] apps=3 catalog=0 names=1 restored=0 realigned=0 ids="));

    // A custom source adds its applications; excluded ones are left out.
    makeApp(path("Extra"), QStringLiteral("Delta"), id("Delta"));
    session->commit([&](LauncherLayout &l) { l.customSources << path("Extra"); });
    session->rescan({id("Beta")});
    EXPECT_FALSE(session->app(id("Beta")));
    EXPECT_EQ(describe(session->layout().pages), "com.t.alpha com.t.gamma com.t.delta");
}

TEST_F(SessionTest, TheFirstRescanTakesAPrefetchedReadingOnlyWhileItsSourcesStand)
{
    makeApp("Alpha");
    makeApp(path("Extra"), QStringLiteral("Delta"), id("Delta"));

    // Read ahead and taken: the same applications as a reading of its own.
    {
        auto session = makeSession();
        LogCapture log;
        session->prefetchScan();
        session->start();
        EXPECT_EQ(describe(session->layout().pages), "com.t.alpha");
        EXPECT_TRUE(log.lines().contains("[scan] apps=1 catalog=0 names=1 restored=0 realigned=0 ids="))
            << log.lines().join('\n').toStdString();
    }
    // A custom source added after the reading began makes it stale: its
    // applications are there all the same.
    {
        auto session = makeSession();
        session->prefetchScan();
        session->commit([&](LauncherLayout &l) { l.customSources << path("Extra"); });
        session->rescan();
        EXPECT_EQ(describe(session->layout().pages), "com.t.alpha com.t.delta");
        // The reading is taken once: a later rescan reads afresh.
        makeApp("Beta");
        session->rescan();
        EXPECT_TRUE(session->app(id("Beta")));
    }
    // A session that ends before taking its reading waits for the worker.
    {
        auto session = makeSession();
        session->prefetchScan();
    }
}

TEST_F(SessionTest, RescanMergesTheSystemLauncherCatalog)
{
    makeApp("Alpha");
    makeApp("Beta");
    fallback.insert(id("Gone"), makeApp(path("Elsewhere"), QStringLiteral("Gone"), id("Gone")));
    makeNativeDatabase({{id("Alpha"), id("Gone"), id("Beta"), id("Unknown")}});

    LogCapture log;
    auto session = makeSession();
    session->rescan();
    EXPECT_EQ(session->app(id("Alpha"))->name, QStringLiteral("LP com.t.alpha"));
    ASSERT_TRUE(session->app(id("Gone")));
    EXPECT_FALSE(session->app(id("Unknown"))); // no bundle anywhere
    EXPECT_TRUE(log.lines().contains("[scan] apps=3 catalog=4 names=1 restored=1 realigned=0 ids=com.t.gone"));

    auto plain = makeSession({"--no-launchpad-names"});
    plain->rescan({id("Gone")});
    EXPECT_EQ(plain->app(id("Alpha"))->name, QStringLiteral("Alpha"));
    EXPECT_FALSE(plain->app(id("Gone")));
    EXPECT_TRUE(log.lines().contains("[scan] apps=2 catalog=4 names=0 restored=0 realigned=0 ids="));
}

// ---------------------------------------------------------------- realignment with the system launcher

class RealignTest : public SessionTest
{
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        for (const char *name : {"Alpha", "Beta", "Cedar", "Dune"})
            makeApp(QString::fromLatin1(name));
        // Echo is laid out by the system launcher but not installed yet.
        makeNativeDatabase({{id("Alpha"), id("Echo"), NativeFolder{"Work", {id("Cedar"), id("Dune")}}, id("Beta")}});
        session = makeSession();
        session->start();
        ASSERT_TRUE(session->importNativeLayout());
        ASSERT_EQ(describe(session->layout().pages), "com.t.alpha [Work: com.t.cedar com.t.dune] com.t.beta");
    }

    std::unique_ptr<LauncherSession> session;
};

TEST_F(RealignTest, NewApplicationLandsWhereTheSystemLauncherPutsIt)
{
    makeApp("Echo");
    LogCapture log;
    session->rescan();
    EXPECT_EQ(describe(session->layout().pages), "com.t.alpha com.t.echo [Work: com.t.cedar com.t.dune] com.t.beta");
    EXPECT_TRUE(log.contains("realigned=1"));
    EXPECT_EQ(storedPages(), describe(session->layout().pages));
}

TEST_F(RealignTest, RenamedImportedFolderStillFollowsAndKeepsItsName)
{
    session->commit([](LauncherLayout &l) { l.rename(QStringLiteral("folder:native-100"), QStringLiteral("Mine")); });
    makeApp("Echo");
    session->rescan();
    EXPECT_EQ(describe(session->layout().pages), "com.t.alpha com.t.echo [Mine: com.t.cedar com.t.dune] com.t.beta");
}

// The user's own arrangement is never thrown away for a new application.
TEST_F(RealignTest, OwnArrangementIsKeptAndTheNewcomerAppended)
{
    session->commit([](LauncherLayout &l) { l.move(QStringLiteral("app:com.t.beta"), 0, 0); });
    const QString arranged = describe(session->layout().allEntries());
    makeApp("Echo");
    LogCapture log;
    session->rescan();
    EXPECT_EQ(describe(session->layout().allEntries()), arranged + " com.t.echo");
    EXPECT_EQ(arranged, "com.t.beta com.t.alpha [Work: com.t.cedar com.t.dune]");
    EXPECT_TRUE(log.lines().contains("[scan] realign skipped reason=own-arrangement missing=1"));
    EXPECT_TRUE(log.contains("realigned=0"));
}

TEST_F(RealignTest, NothingMissingReconcilesEvenWithHiddenApplications)
{
    session->commit([](LauncherLayout &l) { l.hide({id("Beta")}); });
    LogCapture log;
    session->rescan();
    EXPECT_TRUE(log.contains("realigned=0"));
    EXPECT_FALSE(log.contains("realign skipped"));
    EXPECT_TRUE(session->layout().hiddenIDs.contains(id("Beta")));
    EXPECT_EQ(describe(session->layout().pages), "com.t.alpha [Work: com.t.cedar com.t.dune]");
}

TEST_F(SessionTest, NewApplicationWithoutImportedFoldersIsAppended)
{
    makeApp("Beta");
    makeApp("Alpha");
    makeNativeDatabase({{id("Charlie"), id("Beta"), id("Alpha")}});
    auto session = makeSession();
    session->start();
    session->commit([](LauncherLayout &l) { l.move(QStringLiteral("app:com.t.beta"), 0, 0); });
    makeApp("Charlie");
    LogCapture log;
    session->rescan();
    EXPECT_EQ(describe(session->layout().pages), "com.t.beta com.t.alpha com.t.charlie");
    EXPECT_TRUE(log.contains("realigned=0"));
}

// ---------------------------------------------------------------- import

TEST_F(SessionTest, ImportPathReadsAnotherLaunchersStore)
{
    makeApp("Alpha");
    makeApp("Beta");
    const QString store = makeStore(QStringLiteral("buho.db"), {id("Beta"), id("Alpha")});
    for (const QStringList &options : {QStringList{"--import-path", store},
                                       QStringList{"--import-path", store, "--import-source", "buhoLaunchpad"}}) {
        LogCapture log;
        auto session = makeSession(options);
        int changes = 0;
        QObject::connect(session.get(), &LauncherSession::changed, [&] { ++changes; });
        session->start();
        EXPECT_EQ(changes, 2); // the rescan, then the import's commit
        EXPECT_EQ(session->lastImportSource(), LayoutSource::buhoLaunchpad);
        ASSERT_TRUE(session->lastImportSummary());
        EXPECT_EQ(session->lastImportSummary()->appCount, 2);
        EXPECT_FALSE(session->lastImportDetail().isEmpty());
        EXPECT_EQ(describe(session->layout().pages), "com.t.beta com.t.alpha");
        EXPECT_EQ(storedPages(), "com.t.beta com.t.alpha");
        EXPECT_TRUE(log.lines().contains(
            QStringLiteral("[import] pages=1 folders=0 apps=2 names= source=buhoLaunchpad schema=%1 grid=none")
                .arg(session->lastImportDetail())));
    }
}

TEST_F(SessionTest, UnknownImportSourceSaysSoAndImportsNothing)
{
    makeApp("Alpha");
    makeApp("Beta");
    const QString store = makeStore(QStringLiteral("buho.db"), {id("Beta"), id("Alpha")});
    makeNativeDatabase({{id("Alpha")}});
    for (const QStringList &options : {QStringList{"--import-path", store, "--import-source", "nonsense"},
                                       QStringList{"--import-source", "nonsense", "--import-native"}}) {
        LogCapture log;
        auto session = makeSession(options);
        session->start();
        EXPECT_FALSE(session->lastImportSummary());
        EXPECT_FALSE(session->lastImportSource());
        EXPECT_TRUE(log.contains(QStringLiteral("[import] failed source=nonsense reason=unknown source; known: ")));
        EXPECT_FALSE(log.contains(QStringLiteral("[import] pages=")));
    }
}

// Values the session reads itself: one line naming them, the run goes on.
TEST_F(SessionTest, UnreadableLanguageOrPinchIsNamedAndIgnored)
{
    LogCapture log;
    auto session = makeSession({"--language", "xx", "--pinch", "bogus"});
    EXPECT_TRUE(log.lines().contains(QStringLiteral("[options] unreadable value option=--language value=xx; ignored")));
    EXPECT_TRUE(log.lines().contains(QStringLiteral("[options] unreadable value option=--pinch value=bogus; ignored")));
    EXPECT_EQ(session->settings().pinchGesture, Settings().pinchGesture);
}

TEST_F(SessionTest, ImportNativeAtStartUpWithFolders)
{
    makeApp("Alpha");
    makeApp("Cedar");
    makeApp("Dune");
    makeNativeDatabase({{NativeFolder{"Work", {id("Cedar"), id("Dune")}}, id("Alpha")}});
    LogCapture log;
    auto session = makeSession({"--import-native"});
    session->start();
    EXPECT_EQ(session->lastImportSource(), LayoutSource::systemLaunchpad);
    EXPECT_EQ(session->lastImportDetail(), QStringLiteral("items/apps/groups"));
    EXPECT_EQ(describe(session->layout().pages), "[Work: com.t.cedar com.t.dune] com.t.alpha");
    EXPECT_TRUE(log.lines().contains(
        "[import] pages=1 folders=1 apps=3 names=Work source=systemLaunchpad schema=items/apps/groups grid=none"));
}

TEST_F(SessionTest, NamedSourceMissingImportsNothingNotEvenTheNativeLayout)
{
    makeApp("Alpha");
    makeNativeDatabase({{id("Alpha")}});
    LogCapture log;
    auto session = makeSession({"--import-source", "appGrid", "--import-native"});
    session->start();
    EXPECT_TRUE(log.lines().contains("[import] source=appGrid not found on this machine"));
    EXPECT_FALSE(session->lastImportSummary());
    EXPECT_FALSE(session->lastImportSource());

    // A named source that is present is found by discovery and imported.
    auto named = makeSession({"--import-source", "systemLaunchpad"});
    named->start();
    EXPECT_EQ(named->lastImportSource(), LayoutSource::systemLaunchpad);
}

TEST_F(SessionTest, EmptyOrUnreadableImportClearsTheLastImportAndTouchesNothing)
{
    makeApp("Alpha");
    makeApp("Beta");
    auto session = makeSession();
    session->start();
    ASSERT_TRUE(session->importLayout(
        LayoutSourceRecord(LayoutSource::launchNext, makeStore(QStringLiteral("ok.db"), {id("Beta"), id("Alpha")}))));
    const LauncherLayout before = session->layout();
    int changes = 0;
    QObject::connect(session.get(), &LauncherSession::changed, [&] { ++changes; });
    LogCapture log;

    EXPECT_FALSE(session->importLayout(LayoutSourceRecord(LayoutSource::launchNext, path("missing.db"))));
    EXPECT_FALSE(
        session->importLayout(LayoutSourceRecord(LayoutSource::appGrid, makeStore(QStringLiteral("empty.db"), {}))));
    EXPECT_FALSE(session->lastImportSummary());
    EXPECT_FALSE(session->lastImportSource());
    EXPECT_TRUE(session->lastImportDetail().isEmpty());
    EXPECT_EQ(session->layout(), before);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(log.lines(), (QStringList{"[import] source=launchNext empty or unreadable reason=unreadable",
                                        "[import] source=appGrid empty or unreadable reason=no installed application "
                                        "in table apps"}));
}

TEST_F(SessionTest, ImportAdoptsAKnownGridFirst)
{
    defaults.setObject(Settings::key(u"adoptImportGrid"), true);
    for (int i = 0; i < 25; ++i)
        makeApp(QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0')));
    auto session = makeSession();
    session->start();
    QStringList calls;
    QObject::connect(session.get(), &LauncherSession::changed, [&] { calls << "change"; });
    QObject::connect(session.get(), &LauncherSession::settingsChanged, [&] { calls << "settings"; });
    const QString store = makeStore(QStringLiteral("store.db"), {id("App24"), id("App00")});

    grid = DockGridPreference{5, 4};
    LogCapture log;
    ASSERT_TRUE(session->importLayout(LayoutSourceRecord(LayoutSource::launchNext, store)));
    EXPECT_EQ(calls, (QStringList{"settings", "change", "change"}));
    EXPECT_EQ(session->settings().pageSize(), 20);
    EXPECT_EQ(stored("columns"), QVariant(5));
    EXPECT_EQ(stored("rows"), QVariant(4));
    EXPECT_EQ(session->layout().pages.first().size(), 20); // applied at the adopted page size
    EXPECT_TRUE(log.contains(QStringLiteral("grid=5 × 4")));

    // Only the columns known: nothing adopted.
    calls.clear();
    grid = DockGridPreference{8, std::nullopt};
    ASSERT_TRUE(session->importLayout(LayoutSourceRecord(LayoutSource::launchNext, store)));
    EXPECT_EQ(calls, QStringList{"change"});
    EXPECT_EQ(session->settings().columns, 5);
}

TEST_F(SessionTest, ImportNativeWithoutTheSystemLauncherKeepsSourceAndDetail)
{
    makeApp("Alpha");
    auto session = makeSession();
    session->start();
    ASSERT_TRUE(session->importLayout(
        LayoutSourceRecord(LayoutSource::launchNext, makeStore(QStringLiteral("ok.db"), {id("Alpha")}))));
    const QString detail = session->lastImportDetail();
    EXPECT_FALSE(session->importNativeLayout());
    EXPECT_FALSE(session->lastImportSummary());
    EXPECT_EQ(session->lastImportSource(), LayoutSource::launchNext);
    EXPECT_EQ(session->lastImportDetail(), detail);
}

// ---------------------------------------------------------------- the arrangement an import replaces

// One import as a start's command line asks for it; "%store" stands for a
// store listing Beta before Alpha, "%empty" for one listing nothing.
struct ImportBackupCase
{
    const char *name;
    QStringList options;
    bool nativeDatabase; // the system launcher's database lists Beta, Alpha
    bool applies;
};

void PrintTo(const ImportBackupCase &c, std::ostream *os)
{
    *os << c.name;
}

class SessionImportBackupTest : public SessionTest, public ::testing::WithParamInterface<ImportBackupCase>
{
protected:
    QString backupFile() const { return stateDir() + QStringLiteral("/layout.previous.json"); }
    QString layoutFile() const { return stateDir() + QStringLiteral("/layout.json"); }

    LaunchOptions importOptions()
    {
        QStringList arguments{QStringLiteral("tessellon"), QStringLiteral("--state-dir"), stateDir()};
        for (const QString &option : GetParam().options) {
            if (option == u"%store")
                arguments << makeStore(QStringLiteral("store.db"), {id("Beta"), id("Alpha")});
            else if (option == u"%empty")
                arguments << makeStore(QStringLiteral("empty.db"), {});
            else
                arguments << option;
        }
        return LaunchOptions::parse(arguments);
    }
};

// An import asked for on the command line, or by a later start that handed
// its command line over, keeps the arrangement it replaces as
// "layout.previous.json"; one that applies nothing leaves an earlier backup
// exactly as it was.
TEST_P(SessionImportBackupTest, KeepsTheReplacedArrangementOnlyWhenOneIsApplied)
{
    makeApp("Alpha");
    makeApp("Beta");
    if (GetParam().nativeDatabase)
        makeNativeDatabase({{id("Beta"), id("Alpha")}});
    const LaunchOptions options = importOptions();

    for (const bool handedOver : {false, true}) {
        SCOPED_TRACE(handedOver ? "handed over by a later start" : "on the command line");
        QDir(stateDir()).removeRecursively();
        makeSession()->start();
        const QByteArray arranged = readAll(layoutFile());
        ASSERT_EQ(storedPages(), "com.t.alpha com.t.beta");
        writeFile(backupFile(), "an earlier arrangement");

        auto session = handedOver ? makeSession() : std::make_unique<LauncherSession>(options, environment());
        session->start();
        if (handedOver)
            session->importRequested(options);

        if (GetParam().applies) {
            EXPECT_EQ(storedPages(), "com.t.beta com.t.alpha");
            EXPECT_EQ(readAll(backupFile()), arranged);
        } else {
            EXPECT_EQ(readAll(layoutFile()), arranged);
            EXPECT_EQ(readAll(backupFile()), "an earlier arrangement");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Imports, SessionImportBackupTest,
    ::testing::Values(
        ImportBackupCase{"PathApplied", {"--import-path", "%store", "--import-source", "launchNext"}, false, true},
        ImportBackupCase{"NamedSourceApplied", {"--import-source", "systemLaunchpad"}, true, true},
        ImportBackupCase{"NativeApplied", {"--import-native"}, true, true},
        ImportBackupCase{"PathEmpty", {"--import-path", "%empty", "--import-source", "appGrid"}, false, false},
        ImportBackupCase{"PathMissing", {"--import-path", "/nonexistent/store.db"}, false, false},
        ImportBackupCase{"UnknownSource", {"--import-path", "%store", "--import-source", "nope"}, false, false},
        ImportBackupCase{"NamedSourceMissing", {"--import-source", "appGrid"}, true, false},
        ImportBackupCase{"NativeMissing", {"--import-native"}, false, false}),
    [](const ::testing::TestParamInfo<ImportBackupCase> &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- sources

TEST_F(SessionTest, ListSourcesWritesTheDiscoveredSources)
{
    makeNativeDatabase({{id("Alpha")}});
    QDir().mkpath(path("home/Library/Application Support/BuhoLaunchpad"));
    const QString buho = makeStore(QStringLiteral("home/Library/Application Support/BuhoLaunchpad/layout.db"), {});

    auto quiet = makeSession();
    {
        LogCapture log;
        quiet->logAvailableLayoutSources();
        EXPECT_TRUE(log.lines().isEmpty());
    }
    EXPECT_EQ(quiet->availableLayoutSources(),
              (QList<LayoutSourceRecord>{LayoutSourceRecord(LayoutSource::systemLaunchpad, nativeDatabase()),
                                         LayoutSourceRecord(LayoutSource::buhoLaunchpad, buho)}));

    auto listing = makeSession({"--list-sources"});
    LogCapture log;
    listing->logAvailableLayoutSources();
    EXPECT_EQ(log.lines(), (QStringList{"[sources] count=2",
                                        QStringLiteral("[sources] systemLaunchpad path=%1").arg(nativeDatabase()),
                                        QStringLiteral("[sources] buhoLaunchpad path=%1").arg(buho)}));
}

TEST_F(SessionTest, LanguageLineNamesTheChoice)
{
    defaults.setObject(Settings::key(u"language"), "fr");
    LogCapture log;
    makeSession({"--language", "de"})->logLanguageChoice();
    makeSession()->logLanguageChoice();
    EXPECT_EQ(log.lines(), (QStringList{"[language] startup=de preference=fr override=de",
                                        "[language] startup=fr preference=fr override=none"}));
}

} // namespace
