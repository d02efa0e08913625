#include "launcher_session_test_support.h"

using session_test::describe;
using session_test::SessionTest;

namespace {

// A session over a fixed set of scanned applications.
class SessionChangesTest : public SessionTest
{
protected:
    void startWith(const QStringList &names, const QStringList &options = {})
    {
        for (const QString &name : names)
            makeApp(name);
        session = makeSession(options);
        session->start();
    }

    QStringList ids(std::initializer_list<const char *> names)
    {
        QStringList result;
        for (const char *name : names)
            result << id(QString::fromLatin1(name));
        return result;
    }

    std::unique_ptr<LauncherSession> session;
};

// ---------------------------------------------------------------- settings

// Change in memory, defaults, layout file, both settings receivers, changed:
// each step sees the ones before it done.
TEST_F(SessionChangesTest, UpdateSettingsRunsItsStepsInOrder)
{
    startWith({"A1", "A2", "A3", "A4", "A5", "A6", "A7", "A8", "A9", "B1", "B2", "B3", "B4"});
    QStringList events;
    const auto layoutOnDisk = [&] { return QString::number(storedLayout().pages.size()); };
    defaults.onWrite = [&] {
        if (events.isEmpty() || events.last() != "defaults")
            events << "defaults";
    };
    QObject::connect(session.get(), &LauncherSession::settingsChanged,
                     [&] { events << "view pages=" + layoutOnDisk(); });
    QObject::connect(session.get(), &LauncherSession::settingsChanged, [&] { events << "delegate"; });
    QObject::connect(session.get(), &LauncherSession::changed,
                     [&] { events << "change columns=" + QString::number(session->settings().columns); });

    session->updateSettings([&](Settings &s) {
        events << "closure";
        s.columns = 4;
        s.rows = 3; // 12 per page: the 13 applications take two pages
    });
    EXPECT_EQ(events, (QStringList{"closure", "defaults", "view pages=2", "delegate", "change columns=4"}));
    EXPECT_EQ(stored("columns"), QVariant(4));

    events.clear();
    defaults.writes = 0;
    session->updateSettings([](Settings &s) { s.columns = 10; }, false);
    EXPECT_EQ(events, (QStringList{"view pages=2", "delegate", "change columns=10"}));
    EXPECT_EQ(defaults.writes, 0);
}

// Every receiver hears a change, in the order it connected, for as long as it lives.
TEST_F(SessionChangesTest, ReceiversOfTwoOwnersBothRunWhileTheyLive)
{
    startWith({"A"});
    QStringList calls;
    auto view = std::make_unique<QObject>();
    QObject delegate;
    QObject::connect(session.get(), &LauncherSession::settingsChanged, view.get(), [&] { calls << "view"; });
    QObject::connect(session.get(), &LauncherSession::settingsChanged, &delegate, [&] { calls << "delegate"; });
    QObject::connect(session.get(), &LauncherSession::changed, view.get(), [&] { calls << "view change"; });
    session->updateSettings([](Settings &) {});
    EXPECT_EQ(calls, (QStringList{"view", "delegate", "view change"}));

    calls.clear();
    view.reset();
    session->updateSettings([](Settings &) {});
    EXPECT_EQ(calls, QStringList{"delegate"});
}

TEST_F(SessionChangesTest, UpdateSettingsRepagesAndStoresUnclamped)
{
    QStringList names;
    for (int i = 0; i < 12; ++i)
        names << QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0'));
    startWith(names);
    ASSERT_EQ(session->layout().pages.size(), 1);

    session->updateSettings([](Settings &s) {
        s.columns = 3; // below the range: stands as set for the run
        s.rows = 3;
    });
    EXPECT_EQ(session->settings().pageSize(), 9);
    EXPECT_EQ(session->layout().pages.size(), 2);
    EXPECT_EQ(storedLayout().pages.size(), 2);
    EXPECT_EQ(storedLayout().pages.at(0).size(), 9);
    EXPECT_EQ(stored("columns"), QVariant(3));
}

TEST_F(SessionChangesTest, LanguageOverrideHoldsUntilAnAutomationSwitch)
{
    defaults.setObject(Settings::key(u"language"), "fr");
    startWith({"A"}, {"--language", "en"});
    EXPECT_EQ(L10n::current(), AppLanguage::en);

    session->updateSettings([](Settings &s) { s.language = AppLanguage::de; });
    EXPECT_EQ(L10n::current(), AppLanguage::en);
    EXPECT_EQ(stored("language"), QVariant("de"));

    int changes = 0;
    QObject::connect(session.get(), &LauncherSession::changed, [&] { ++changes; });
    session->switchLanguageForAutomation(AppLanguage::system);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(L10n::current(), AppLanguage::en);

    defaults.writes = 0;
    session->switchLanguageForAutomation(AppLanguage::ja);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(L10n::current(), AppLanguage::ja);
    EXPECT_EQ(defaults.writes, 0);
    EXPECT_EQ(stored("language"), QVariant("de"));
    // The override is gone: the settings decide from now on.
    session->updateSettings([](Settings &s) { s.language = AppLanguage::ru; }, false);
    EXPECT_EQ(L10n::current(), AppLanguage::ru);
}

// ---------------------------------------------------------------- layout changes

TEST_F(SessionChangesTest, CommitChangesSavesThenNotifies)
{
    startWith({"Alpha", "Beta"});
    QStringList seen;
    QObject::connect(session.get(), &LauncherSession::changed, [&] {
        // The callback may read the session back: the change is already on disk.
        seen << storedPages() << describe(session->displayPages());
    });
    session->commit([](LauncherLayout &l) { l.move(QStringLiteral("app:com.t.beta"), 0, 0); });
    EXPECT_EQ(seen, (QStringList{"com.t.beta com.t.alpha", "com.t.beta com.t.alpha"}));
}

TEST_F(SessionChangesTest, ReorganizeSortsByNameThroughCommit)
{
    startWith({"Cedar", "alpha", "Beta"});
    session->commit([](LauncherLayout &l) { l.move(QStringLiteral("app:com.t.cedar"), 0, 0); });
    int changes = 0;
    QObject::connect(session.get(), &LauncherSession::changed, [&] { ++changes; });
    session->reorganize();
    EXPECT_EQ(describe(session->layout().pages), "com.t.alpha com.t.beta com.t.cedar");
    EXPECT_EQ(storedPages(), "com.t.alpha com.t.beta com.t.cedar");
    EXPECT_EQ(changes, 1);
}

TEST_F(SessionChangesTest, CustomSourcesRescanOnlyWhenTheListChanges)
{
    startWith({"Alpha"});
    const QString extra = path("Extra");
    makeApp(extra, QStringLiteral("Zeta"), id("Zeta"));
    int changes = 0;
    QObject::connect(session.get(), &LauncherSession::changed, [&] { ++changes; });

    session->addSource(extra);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(session->app(id("Zeta")));
    EXPECT_EQ(storedLayout().customSources, QStringList{extra});

    session->addSource(extra);
    EXPECT_EQ(changes, 2);

    session->removeSource(path("never-listed"));
    EXPECT_EQ(changes, 4);

    session->removeSource(extra);
    EXPECT_EQ(changes, 6);
    EXPECT_FALSE(session->app(id("Zeta")));
    EXPECT_EQ(describe(session->layout().pages), "com.t.alpha");
}

// ---------------------------------------------------------------- pins

struct PinCase
{
    const char *name;
    QStringList before;
    QStringList toggles;
    QStringList after;
};

void PrintTo(const PinCase &c, std::ostream *os)
{
    *os << c.name;
}

class SessionPinTest : public SessionTest, public ::testing::WithParamInterface<PinCase>
{
};

TEST_P(SessionPinTest, TogglesWritesAndNotifies)
{
    const PinCase &c = GetParam();
    ASSERT_TRUE(LayoutStore(stateDir()).savePinned(c.before));
    auto session = makeSession();
    int changes = 0;
    QObject::connect(session.get(), &LauncherSession::changed, [&] { ++changes; });
    for (const QString &toggled : c.toggles)
        session->togglePin(toggled);
    EXPECT_EQ(session->pinned(), c.after);
    EXPECT_EQ(LayoutStore(stateDir()).loadPinned(), c.after);
    EXPECT_EQ(changes, c.toggles.size());
    EXPECT_FALSE(QFile::exists(LayoutStore(stateDir()).fileURL())); // the layout is not saved
}

INSTANTIATE_TEST_SUITE_P(
    Pins, SessionPinTest,
    ::testing::Values(PinCase{"PinAppends", {"a", "b"}, {"c"}, {"a", "b", "c"}},
                      PinCase{"UnpinRemoves", {"a", "b", "c"}, {"b"}, {"a", "c"}},
                      PinCase{"PinThenUnpin", {"a"}, {"x", "x"}, {"a"}},
                      PinCase{"TwiceMovesToTheEnd", {"a", "b", "c"}, {"a", "a"}, {"b", "c", "a"}},
                      PinCase{"DuplicatesAllRemoved", {"a", "b", "a"}, {"a"}, {"b"}},
                      PinCase{"PathIdentifier", {}, {"/Apps/No Id.app"}, {"/Apps/No Id.app"}}),
    [](const ::testing::TestParamInfo<PinCase> &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- queries

TEST_F(SessionChangesTest, DisplayPagesShowHiddenApplicationsLastByName)
{
    startWith({"Delta", "charlie", "Bravo", "alpha", "Echo"});
    session->commit([&](LauncherLayout &l) { l.hide(ids({"Echo", "charlie", "alpha"})); });
    EXPECT_EQ(describe(session->displayPages()), "com.t.bravo com.t.delta");

    session->updateSettings([](Settings &s) {
        s.showHidden = true;
        s.columns = 4;
        s.rows = 1; // unclamped: four per page
    }, false);
    EXPECT_EQ(describe(session->displayPages()), "com.t.bravo com.t.delta com.t.alpha com.t.charlie | com.t.echo");
    // Hidden applications are shown, never searched.
    EXPECT_EQ(describe(session->searchEntries(QStringLiteral("a"))), "com.t.bravo com.t.delta");
    EXPECT_TRUE(session->isHidden(LayoutEntry::app(id("Echo"))));
    EXPECT_FALSE(session->isHidden(LayoutEntry::app(id("Delta"))));
}

TEST_F(SessionChangesTest, TitlesAndLookups)
{
    startWith({"Alpha", "Beta"});
    session->commit([&](LauncherLayout &l) {
        l.renameApp(id("Beta"), QStringLiteral("  My Beta "));
        l.merge(QStringLiteral("app:com.t.alpha"), QStringLiteral("app:com.t.beta"));
    });
    const LayoutEntry folder = session->layout().allEntries().first();
    ASSERT_TRUE(folder.isFolder());
    session->commit([&](LauncherLayout &l) { l.rename(folder.id, QStringLiteral("Tools")); });

    EXPECT_EQ(session->titleFor(session->layout().allEntries().first()), QStringLiteral("Tools"));
    EXPECT_EQ(session->titleFor(LayoutEntry::app(id("Beta"))), QStringLiteral("My Beta"));
    EXPECT_EQ(session->titleFor(LayoutEntry::app(id("Alpha"))), QStringLiteral("Alpha"));
    EXPECT_EQ(session->titleFor(LayoutEntry::app(QStringLiteral("com.gone"))), QStringLiteral("com.gone"));
    EXPECT_EQ(session->titleFor(LayoutEntry(QStringLiteral("odd"))), QString());
    EXPECT_EQ(session->appFor(LayoutEntry::app(id("Alpha")))->path, appsDir() + QStringLiteral("/Alpha.app"));
    EXPECT_FALSE(session->appFor(folder));
    EXPECT_FALSE(session->appFor(LayoutEntry::app(QStringLiteral("com.gone"))));
    EXPECT_FALSE(session->isHidden(folder));
}

struct SearchCase
{
    const char *name;
    QString query;
    QString expected;
};

void PrintTo(const SearchCase &c, std::ostream *os)
{
    *os << c.name;
}

class SessionSearchTest : public SessionTest, public ::testing::WithParamInterface<SearchCase>
{
};

// Layout: [Utilities: com.t.terminal com.t.console] com.t.notepad com.t.notes
//         com.t.mailbox com.t.toolbox
TEST_P(SessionSearchTest, RanksEntriesBestFirst)
{
    for (const char *name : {"Terminal", "Console", "Notepad", "Notes", "Mailbox", "Toolbox"})
        makeApp(QString::fromLatin1(name));
    auto session = makeSession({"--no-launchpad-names"});
    session->start();
    session->commit([](LauncherLayout &l) {
        l.pages = {{LayoutEntry::makeFolder(LayoutFolder(QStringLiteral("f1"), QStringLiteral("Utilities"),
                                                         {QStringLiteral("com.t.terminal"), QStringLiteral("com.t.console")})),
                    LayoutEntry::app(QStringLiteral("com.t.notepad")), LayoutEntry::app(QStringLiteral("com.t.notes")),
                    LayoutEntry::app(QStringLiteral("com.t.mailbox")), LayoutEntry::app(QStringLiteral("com.t.toolbox"))}};
    });
    EXPECT_EQ(describe(session->searchEntries(GetParam().query)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Queries, SessionSearchTest,
    ::testing::Values(
        SearchCase{"EmptyIsEverythingDisplayed", "",
                   "[Utilities: com.t.terminal com.t.console] com.t.notepad com.t.notes com.t.mailbox com.t.toolbox"},
        SearchCase{"SpacesOnlyAsEmpty", "   ",
                   "[Utilities: com.t.terminal com.t.console] com.t.notepad com.t.notes com.t.mailbox com.t.toolbox"},
        SearchCase{"FolderNameInTheMiddleScores700", "ilit", "[Utilities: com.t.terminal com.t.console]"},
        // A member match gives its folder 200; the member itself is no result.
        SearchCase{"MemberMatchScores200", "termi", "[Utilities: com.t.terminal com.t.console]"},
        // Equal scores keep layout order; a shorter prefix match ranks higher.
        SearchCase{"EqualScoresInLayoutOrder", "box", "com.t.mailbox com.t.toolbox"},
        SearchCase{"ShorterPrefixFirst", "note", "com.t.notes com.t.notepad"},
        SearchCase{"ExactName", "Notes", "com.t.notes"},
        SearchCase{"FolderScoreRankedWithApplicationScores", "o",
                   "com.t.notes com.t.notepad com.t.mailbox com.t.toolbox [Utilities: com.t.terminal com.t.console]"},
        SearchCase{"FolderOutranksIdentifierMatches", "com.t.",
                   "[Utilities: com.t.terminal com.t.console] com.t.notepad com.t.notes com.t.mailbox com.t.toolbox"},
        SearchCase{"NoMatch", "zzz", ""}),
    [](const ::testing::TestParamInfo<SearchCase> &info) { return std::string(info.param.name); });

} // namespace
