// The application shell of the real tessellon binary on its own virtual X
// display: the hot corner with a real pointer, every simulated trigger word,
// the start-up imports with the layout they leave on disk, the launch options
// that must never bring the program down, and opening an application bundle.
#include "app/e2e/e2e_support.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <ostream>

#include <csignal>
#include <sys/types.h>

namespace {

using e2e::eventually;
using e2e::id;
using e2e::kStartTimeoutMs;
using e2e::Launcher;
using e2e::runTool;

const QString kReady = QStringLiteral("[ready] ");
const QString kWindowLine = QStringLiteral("[windows] launcher x=");

class ShellEndToEndTest : public e2e::ThreeAppTest
{
protected:
    void movePointer(int x, int y) const
    {
        xdotool({QStringLiteral("mousemove"), QString::number(x), QString::number(y)});
    }


    QString defaultsPath() const { return m_home.filePath(QStringLiteral("config/Tessellon/defaults.json")); }

    // The user defaults the launcher reads at start-up.
    void writeDefaults(const QJsonObject &values) const
    {
        QDir().mkpath(QFileInfo(defaultsPath()).path());
        QFile file(defaultsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(values).toJson());
    }

    QJsonObject readDefaults() const
    {
        QFile file(defaultsPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    // A state file's bytes; empty when it is missing.
    QByteArray stateFile(const QString &name) const
    {
        QFile file(QDir(m_home.stateDirectory()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeStateFile(const QString &name, const QByteArray &bytes) const
    {
        QDir().mkpath(m_home.stateDirectory());
        QFile file(QDir(m_home.stateDirectory()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // The saved layout's pages, each entry as its application identifier or
    // as "Name[member,member]" for a folder.
    QList<QStringList> savedPages() const
    {
        QFile file(QDir(m_home.stateDirectory()).filePath(QStringLiteral("layout.json")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QList<QStringList> pages;
        const QJsonArray stored = QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("pages")).toArray();
        for (const QJsonValue &page : stored) {
            QStringList entries;
            for (const QJsonValue &value : page.toArray()) {
                const QJsonObject entry = value.toObject();
                if (entry.contains(QLatin1String("folder"))) {
                    const QJsonObject folder = entry.value(QLatin1String("folder")).toObject();
                    QStringList members;
                    for (const QJsonValue &member : folder.value(QLatin1String("bundleIDs")).toArray())
                        members.append(member.toString());
                    entries.append(folder.value(QLatin1String("name")).toString() + QLatin1Char('[') +
                                   members.join(QLatin1Char(',')) + QLatin1Char(']'));
                } else {
                    entries.append(entry.value(QLatin1String("appID")).toString());
                }
            }
            pages.append(entries);
        }
        return pages;
    }

    // A store of the kind other launchers keep, made by the system's sqlite3.
    void makeSQLiteStore(const QString &path, const QString &rows) const
    {
        QDir().mkpath(QFileInfo(path).path());
        const e2e::Outcome outcome = runTool(
            QStringLiteral("/usr/bin/sqlite3"),
            {path, QStringLiteral("CREATE TABLE items(bundleid TEXT, ordering INTEGER, page INTEGER, folder TEXT);"
                                  "INSERT INTO items VALUES ") +
                       rows + QLatin1Char(';')},
            environment());
        ASSERT_EQ(outcome.exitCode, 0) << outcome.output.toStdString();
    }
};

// --- Hot corner --------------------------------------------------------------------------

struct CornerCase
{
    const char *name;
    const char *corner; // the settings' raw value
    int x;
    int y;
};

void PrintTo(const CornerCase &row, std::ostream *os)
{
    *os << row.name;
}

class HotCornerEndToEndTest : public ShellEndToEndTest, public testing::WithParamInterface<CornerCase>
{
};

// A real pointer resting in the chosen corner shows the hidden launcher, once
// per visit: staying there after the launcher hid does nothing until the
// pointer has left the corner and come back.
TEST_P(HotCornerEndToEndTest, ThePointerInTheCornerShowsTheLauncherOncePerVisit)
{
    const CornerCase &row = GetParam();
    writeDefaults({{QStringLiteral("Tessellon.hotCorner"), QString::fromLatin1(row.corner)}});
    const int middleX = e2e::VirtualDisplay::width / 2;
    const int middleY = e2e::VirtualDisplay::height / 2;
    movePointer(middleX, middleY);

    Launcher launcher(environment());
    // A window dump run without "--show" starts hidden; each show writes a
    // window line after the one of start-up.
    ASSERT_TRUE(launcher.start(arguments({QStringLiteral("--dump-windows"), QStringLiteral("--no-event-tap")})));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
    ASSERT_FALSE(launcherVisible());
    ASSERT_EQ(launcher.count(kWindowLine), 1);

    movePointer(row.x, row.y);
    ASSERT_TRUE(launcher.waitFor(kWindowLine, 2)) << launcher.output().toStdString();
    EXPECT_TRUE(eventually([&] { return launcherVisible(); }));
    EXPECT_EQ(launcher.count(QStringLiteral("[trigger] ")), 0) << "the corner is no trigger of the policy";

    // Hidden by the hot key while the pointer stays in the corner.
    xdotool({QStringLiteral("key"), QStringLiteral("alt+space")});
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[trigger] action=toggle"))) << launcher.output().toStdString();
    EXPECT_TRUE(eventually([&] { return !launcherVisible(); }));
    // Far more than the three polls (0.45 s) that would fire it again.
    EXPECT_FALSE(launcher.waitFor(kWindowLine, 3, 1500)) << launcher.output().toStdString();
    EXPECT_FALSE(launcherVisible());

    // Leaving, until the launcher has seen it, and coming back re-arms it.
    movePointer(middleX, middleY);
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[hot-corner] left rearmed=1"))) << launcher.output().toStdString();
    movePointer(row.x, row.y);
    ASSERT_TRUE(launcher.waitFor(kWindowLine, 3)) << launcher.output().toStdString();
    EXPECT_TRUE(eventually([&] { return launcherVisible(); }));
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Corners, HotCornerEndToEndTest,
    testing::Values(CornerCase{"topLeft", "topLeft", 0, 0},
                    CornerCase{"topRight", "topRight", e2e::VirtualDisplay::width - 1, 0},
                    CornerCase{"bottomLeft", "bottomLeft", 0, e2e::VirtualDisplay::height - 1},
                    // A few pixels short of the edges: the corner is 8 points deep.
                    CornerCase{"bottomRightWithinTolerance", "bottomRight", e2e::VirtualDisplay::width - 6,
                               e2e::VirtualDisplay::height - 6}),
    [](const testing::TestParamInfo<CornerCase> &info) { return std::string(info.param.name); });

// --- Simulated triggers ------------------------------------------------------------------

struct TriggerCase
{
    const char *name;
    const char *word;
    bool startsVisible;
    QStringList extra;
    QJsonObject defaults;
    // The "[trigger]" line the word leads to; empty when it leads to none.
    const char *line;
    bool visibleAfter;
};

void PrintTo(const TriggerCase &row, std::ostream *os)
{
    *os << row.name;
}

class SimulatedTriggerEndToEndTest : public ShellEndToEndTest, public testing::WithParamInterface<TriggerCase>
{
};

// "--simulate-trigger" feeds the word's events to the input monitor about
// 0.35 s after start-up, through the same policy as real input, also without
// the event tap. The language switch, 1.5 s after start-up, marks the moment
// by which the trigger has certainly been delivered.
TEST_P(SimulatedTriggerEndToEndTest, TheWordTakesTheRealTriggerPath)
{
    const TriggerCase &row = GetParam();
    if (!row.defaults.isEmpty())
        writeDefaults(row.defaults);
    QStringList options{QStringLiteral("--no-event-tap"), QStringLiteral("--simulate-trigger"),
                        QString::fromLatin1(row.word), QStringLiteral("--switch-language"), QStringLiteral("en")};
    // A plain start shows the launcher; a window dump without "--show" leaves it hidden.
    if (!row.startsVisible)
        options << QStringLiteral("--dump-windows");
    options << row.extra;

    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments(options)));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[language] switched=en"), 1, kStartTimeoutMs))
        << launcher.output().toStdString();

    const QStringList triggers = launcher.linesStartingWith(QStringLiteral("[trigger] "));
    if (QString::fromUtf8(row.line).isEmpty())
        EXPECT_TRUE(triggers.isEmpty()) << triggers.join(QLatin1Char('\n')).toStdString();
    else
        EXPECT_EQ(triggers, QStringList{QString::fromUtf8(row.line)}) << launcher.output().toStdString();
    EXPECT_TRUE(eventually([&] { return launcherVisible() == row.visibleAfter; })) << launcher.output().toStdString();
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Words, SimulatedTriggerEndToEndTest,
    testing::Values(
        TriggerCase{"F4HidesTheShownLauncher", "f4", true, {}, {}, "[trigger] action=toggle", false},
        TriggerCase{"F4ShowsTheHiddenLauncher", "f4", false, {}, {}, "[trigger] action=toggle", true},
        TriggerCase{"F4SwitchedOffInTheSettings", "f4", true, {}, {{"Tessellon.enableF4Shortcut", false}}, "", true},
        TriggerCase{"HotkeyOfTheOptionSpacePreset", "hotkey", true, {}, {}, "[trigger] action=toggle", false},
        TriggerCase{"HotkeyOfTheDisabledPreset", "hotkey", true, {}, {{"Tessellon.hotKey", "disabled"}}, "", true},
        TriggerCase{"PinchWithFourFingersChosen", "pinch", true, {"--pinch", "four"}, {}, "[trigger] action=toggle",
                    false},
        TriggerCase{"PinchWhileNoPinchIsChosen", "pinch", true, {}, {}, "", true},
        TriggerCase{"LockHides", "lock", true, {}, {}, "[trigger] action=hide", false},
        TriggerCase{"LockLeavesAHiddenLauncherHidden", "lock", false, {}, {}, "[trigger] action=hide", false},
        TriggerCase{"DesktopHides", "desktop", true, {}, {}, "[trigger] action=hide", false},
        TriggerCase{"DesktopWithSystemEventsIgnored", "desktop", true, {}, {{"Tessellon.hideOnSystemEvents", false}},
                    "", true},
        TriggerCase{"WakeNeverActs", "wake", true, {}, {}, "", true},
        TriggerCase{"AWordInOtherLetterCaseIsUnknown", "F4", true, {}, {}, "[trigger] unknown spec=F4", true},
        TriggerCase{"APluralIsUnknown", "pinches", true, {}, {}, "[trigger] unknown spec=pinches", true}),
    [](const testing::TestParamInfo<TriggerCase> &info) { return std::string(info.param.name); });

// --- Start-up imports --------------------------------------------------------------------

struct ImportCase
{
    const char *name;
    // "sqlite" or "plist": the kind of store made for the import.
    const char *store;
    const char *line;
    QStringList firstPage;
};

void PrintTo(const ImportCase &row, std::ostream *os)
{
    *os << row.name;
}

class ImportEndToEndTest : public ShellEndToEndTest, public testing::WithParamInterface<ImportCase>
{
};

// "--import-path" without "--import-source" reads the file as a store of the
// default kind after the first scan, logs the "[import]" line and saves the
// imported arrangement; a later start without the option keeps it.
TEST_P(ImportEndToEndTest, ImportPathArrangesTheLayoutAndTheArrangementSurvivesARestart)
{
    const ImportCase &row = GetParam();
    QString store;
    if (QLatin1String(row.store) == QLatin1String("sqlite")) {
        store = m_home.filePath(QStringLiteral("stores/launcher.db"));
        makeSQLiteStore(store, QStringLiteral("('%1',1,0,''),('%2',2,0,'Tools'),('%3',3,0,'Tools')")
                                   .arg(id("canvas"), id("atlas"), id("beacon")));
    } else {
        store = m_home.filePath(QStringLiteral("stores/launcher.plist"));
        QFile file(store);
        QDir().mkpath(QFileInfo(store).path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                  "<plist version=\"1.0\"><dict><key>apps</key><array>"
                                  "<string>%1</string><string>%2</string><string>%3</string>"
                                  "</array></dict></plist>\n")
                       .arg(id("canvas"), id("beacon"), id("atlas"))
                       .toUtf8());
    }

    {
        Launcher launcher(environment());
        ASSERT_TRUE(launcher.start(arguments({QStringLiteral("--dump-windows"), QStringLiteral("--no-event-tap"),
                                              QStringLiteral("--import-path"), store})));
        ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
        EXPECT_EQ(launcher.linesStartingWith(QStringLiteral("[import] ")), QStringList{QString::fromUtf8(row.line)});
        // The scan comes first; the import arranges what it found.
        EXPECT_TRUE(launcher.output().indexOf(QStringLiteral("[scan] apps=3 ")) <
                    launcher.output().indexOf(QStringLiteral("[import] ")));
        EXPECT_EQ(savedPages(), QList<QStringList>{row.firstPage}) << "saved as soon as it is applied";
        EXPECT_EQ(launcher.terminate(), 0);
    }
    EXPECT_EQ(savedPages(), QList<QStringList>{row.firstPage});

    Launcher again(environment());
    ASSERT_TRUE(again.start(arguments({QStringLiteral("--dump-windows"), QStringLiteral("--no-event-tap")})));
    ASSERT_TRUE(again.waitFor(kReady, 1, kStartTimeoutMs)) << again.output().toStdString();
    EXPECT_EQ(again.count(QStringLiteral("[import] ")), 0);
    EXPECT_EQ(again.terminate(), 0);
    EXPECT_EQ(savedPages(), QList<QStringList>{row.firstPage});
}

INSTANTIATE_TEST_SUITE_P(
    Stores, ImportEndToEndTest,
    testing::Values(
        ImportCase{"SQLiteStoreWithAFolder", "sqlite",
                   "[import] pages=1 folders=1 apps=3 names=Tools source=buhoLaunchpad schema=1 tables · "
                   "items(bundleid,order=ordering,page=page,group=folder) grid=none",
                   {id("canvas"), QStringLiteral("Tools[") + id("atlas") + QLatin1Char(',') + id("beacon") +
                                      QLatin1Char(']')}},
        ImportCase{"PropertyList", "plist",
                   "[import] pages=1 folders=0 apps=3 names= source=buhoLaunchpad schema=plist grid=none",
                   {id("canvas"), id("beacon"), id("atlas")}}),
    [](const testing::TestParamInfo<ImportCase> &info) { return std::string(info.param.name); });

// "--import-source" imports the first source of that kind found in the home.
TEST_F(ShellEndToEndTest, ImportSourceReadsTheStoreFoundInTheHome)
{
    makeSQLiteStore(m_home.filePath(QStringLiteral("Library/Application Support/LaunchNext/Data.store")),
                    QStringLiteral("('%1',1,0,''),('%2',2,0,''),('%3',3,0,'')").arg(id("beacon"), id("canvas"), id("atlas")));
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({QStringLiteral("--dump-windows"), QStringLiteral("--no-event-tap"),
                                          QStringLiteral("--import-source"), QStringLiteral("launchNext"),
                                          QStringLiteral("--list-sources")})));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
    EXPECT_EQ(launcher.line(QStringLiteral("[sources] count=")), QStringLiteral("[sources] count=1"));
    EXPECT_EQ(launcher.linesStartingWith(QStringLiteral("[import] ")),
              QStringList{QStringLiteral("[import] pages=1 folders=0 apps=3 names= source=launchNext schema=1 tables · "
                                         "items(bundleid,order=ordering,page=page,group=folder) grid=none")});
    EXPECT_EQ(launcher.terminate(), 0);
    EXPECT_EQ(savedPages(), (QList<QStringList>{{id("beacon"), id("canvas"), id("atlas")}}));
}

struct FailedImportCase
{
    const char *name;
    QStringList options;
    // Relative to the home: a file that exists but is no store.
    const char *junkFile;
    const char *line;
};

void PrintTo(const FailedImportCase &row, std::ostream *os)
{
    *os << row.name;
}

class FailedImportEndToEndTest : public ShellEndToEndTest, public testing::WithParamInterface<FailedImportCase>
{
};

// A failed start-up import is one log line: the launcher starts all the same
// and keeps the scanned applications in their own order, and the backup of an
// earlier arrangement as it was.
TEST_P(FailedImportEndToEndTest, LogsOneLineAndKeepsTheScannedLayout)
{
    const FailedImportCase &row = GetParam();
    QStringList options{QStringLiteral("--dump-windows"), QStringLiteral("--no-event-tap")};
    for (const QString &option : row.options)
        options << QString(option).replace(QStringLiteral("$HOME"), m_home.path());
    if (row.junkFile != nullptr)
        m_home.addFile(QString::fromLatin1(row.junkFile));
    writeStateFile(QStringLiteral("layout.previous.json"), "an earlier arrangement");

    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments(options)));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
    const QStringList imports = launcher.linesStartingWith(QStringLiteral("[import] "));
    if (QString::fromUtf8(row.line).isEmpty())
        EXPECT_TRUE(imports.isEmpty()) << imports.join(QLatin1Char('\n')).toStdString();
    else
        EXPECT_EQ(imports, QStringList{QString::fromUtf8(row.line)});
    EXPECT_EQ(launcher.terminate(), 0);
    EXPECT_EQ(savedPages(), (QList<QStringList>{{id("atlas"), id("beacon"), id("canvas")}}));
    EXPECT_EQ(stateFile(QStringLiteral("layout.previous.json")), "an earlier arrangement");
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailedImportEndToEndTest,
    testing::Values(
        FailedImportCase{"MissingPath", {"--import-path", "$HOME/nowhere/store.db"}, nullptr,
                         "[import] source=buhoLaunchpad empty or unreadable reason=unreadable"},
        FailedImportCase{"FileThatIsNoStoreOfTheNamedKind",
                         {"--import-path", "$HOME/junk.db", "--import-source", "launchie"},
                         "junk.db",
                         "[import] source=launchie empty or unreadable reason=not a property list: malformed"},
        FailedImportCase{"SourceNotOnThisMachine", {"--import-source", "launchNext"}, nullptr,
                         "[import] source=launchNext not found on this machine"},
        // The named source wins over the system launcher's layout, also when it is unknown.
        FailedImportCase{"UnknownSourceNameWithNative", {"--import-source", "nowhere", "--import-native"}, nullptr,
                         "[import] failed source=nowhere reason=unknown source; known: systemLaunchpad,buhoLaunchpad,"
                         "launchNext,appGrid,appGridAppStore,launchie,launchMe,launchMeAppStore"},
        // Without the system launcher's database there is nothing to import and nothing to say.
        FailedImportCase{"NativeWithoutTheSystemDatabase", {"--import-native"}, nullptr, ""}),
    [](const testing::TestParamInfo<FailedImportCase> &info) { return std::string(info.param.name); });

// SIGTERM while an import waits on a child process that would run for a
// minute: the launcher ends at once, the child with it, and the layout is
// saved as it was before the import.
TEST_F(ShellEndToEndTest, TerminationDuringASlowImportEndsPromptlyAndKeepsTheLayout)
{
    const QString store = m_home.path() + QStringLiteral("/store/items.db");
    makeSQLiteStore(store, QStringLiteral("('%1', 1, 0, NULL), ('%2', 2, 0, NULL)").arg(id("canvas"), id("atlas")));
    const QString marker = m_home.path() + QStringLiteral("/slow-tool.pid");
    const QString tool = m_home.path() + QStringLiteral("/slow-sqlite3");
    {
        QFile script(tool);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho $$ > '%1'\nexec sleep 60\n").arg(marker).toUtf8());
    }
    ASSERT_TRUE(QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QProcessEnvironment slow = environment();
    slow.insert(QStringLiteral("TESSELLON_SQLITE3"), tool);
    slow.insert(QStringLiteral("TESSELLON_CHILD_TIMEOUT_MS"), QStringLiteral("120000"));
    slow.insert(QStringLiteral("TESSELLON_IMPORT_TIME_LIMIT_MS"), QStringLiteral("120000"));

    Launcher launcher(slow);
    ASSERT_TRUE(launcher.start(arguments({"--dump-windows", "--no-event-tap", "--import-path", store})));
    QDeadlineTimer deadline(testCeilingMs(kStartTimeoutMs));
    while (!QFile::exists(marker) && !deadline.hasExpired() && launcher.isRunning())
        launcher.waitFor(QStringLiteral("\x01never\x01"), 1, 50);
    ASSERT_TRUE(QFile::exists(marker)) << launcher.output().toStdString();
    QFile pidFile(marker);
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    const pid_t child = pid_t(pidFile.readAll().trimmed().toInt());

    EXPECT_EQ(launcher.terminate(), 0);
    EXPECT_TRUE(launcher.output().contains(QStringLiteral("[import] source=buhoLaunchpad empty or unreadable reason=stopped")))
        << launcher.output().toStdString();
    EXPECT_NE(::kill(child, 0), 0) << "the slow child is ended with the launcher";
    EXPECT_EQ(savedPages(), (QList<QStringList>{{id("atlas"), id("beacon"), id("canvas")}}));
}

// --- Launch options ----------------------------------------------------------------------

// Every one of the forty options at once, each with a sound value: the
// program starts, applies the run's overrides without storing them, runs its
// hooks and ends cleanly. Options whose parts come with later work (the
// settings window, uninstall previews) start nothing yet.
TEST_F(ShellEndToEndTest, EveryLaunchOptionAtOnceStartsAndEndsCleanly)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({
        "--show", "--settings", "--page", "1", "--search", "Be", "--scroll", "--folder", "--folder-page", "1",
        "--dump-windows", "--no-animation", "--lock-page", "--no-hover", "--slide-progress", "0.5",
        "--drag-progress", "0.3", "--slide-duration", "0.1", "--columns", "4", "--rows", "3", "--side-inset", "0.2",
        "--icon-scale", "1.2", "--import-native", "--no-event-tap", "--simulate-trigger", "wake", "--list-sources",
        "--simulate-page-input", "next", "--simulate-drop", "1:0", "--pinch", "three", "--no-launchpad-names",
        "--uninstall-preview", "Atlas", "--edit-mode", "--freeze-jiggle", "--edit-safe-uninstall",
        "--edit-tap-first-badge", "--badge-side", "left", "--edit-via-option", "--edit-release-option", "--language",
        "de", "--settings-tab", "2", "--switch-language", "fr"})));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[language] switched="), 1, kStartTimeoutMs))
        << launcher.output().toStdString();
    ASSERT_TRUE(launcher.waitFor(kReady)) << launcher.output().toStdString();

    EXPECT_EQ(launcher.line(QStringLiteral("[language] startup=")),
              QStringLiteral("[language] startup=de preference=system override=de"));
    EXPECT_TRUE(launcher.line(QStringLiteral("[scan] ")).startsWith(QStringLiteral("[scan] apps=3 catalog=0 names=0 ")))
        << "--no-launchpad-names: " << launcher.line(QStringLiteral("[scan] ")).toStdString();
    EXPECT_TRUE(launcher.line(QStringLiteral("[input] eventTap disabled by --no-event-tap · "))
                    .endsWith(QStringLiteral(" pinch=three f4=1")))
        << launcher.output().toStdString();
    EXPECT_EQ(launcher.line(QStringLiteral("[sources] count=")), QStringLiteral("[sources] count=0"));
    EXPECT_TRUE(launcher.line(kReady).contains(
        QStringLiteral(" apps=3 columns=4 rows=3 sideInset=0.200 iconScale=1.200 iconSide=")))
        << launcher.line(kReady).toStdString();
    EXPECT_EQ(launcher.line(QStringLiteral("[language] switched=")),
              QStringLiteral("[language] switched=fr current=fr"));
    EXPECT_EQ(launcher.count(QStringLiteral("[trigger] ")), 0) << "wake never acts";
    EXPECT_EQ(launcher.count(QStringLiteral("[import] ")), 0);
    EXPECT_TRUE(eventually([&] { return launcherVisible(); }));
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();

    // The overrides lasted for the run only.
    const QJsonObject defaults = readDefaults();
    for (const char *key : {"Tessellon.columns", "Tessellon.rows", "Tessellon.sideInset", "Tessellon.iconScale",
                            "Tessellon.viewMode", "Tessellon.pinchGesture", "Tessellon.language",
                            "Tessellon.hasLaunched"})
        EXPECT_FALSE(defaults.contains(QLatin1String(key))) << key;
}

// Values out of range, not numbers, unknown words and empty texts: all are
// taken in stride.
TEST_F(ShellEndToEndTest, HostileOptionValuesNeitherCrashNorLeakIntoTheSettings)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({"--show", "--dump-windows", "--columns", "0", "--rows", "99", "--page",
                                          "-2", "--folder", "--folder-page", "-3", "--side-inset", "nan",
                                          "--icon-scale", "1e308", "--slide-progress", "5", "--drag-progress", "-1",
                                          "--slide-duration", "0", "--settings", "--settings-tab", "99",
                                          "--badge-side", "nowhere", "--pinch", "sideways", "--simulate-page-input",
                                          "garbage", "--simulate-trigger", "", "--language", "xx",
                                          "--switch-language", "", "--search", "%@%d%s%n"})));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[trigger] unknown spec="))) << launcher.output().toStdString();

    EXPECT_EQ(launcher.line(QStringLiteral("[language] startup=")),
              QStringLiteral("[language] startup=en preference=system override=xx"));
    EXPECT_EQ(launcher.line(QStringLiteral("[language] unknown spec=")), QStringLiteral("[language] unknown spec="));
    EXPECT_EQ(launcher.line(QStringLiteral("[trigger] ")), QStringLiteral("[trigger] unknown spec="));
    // The grid stays inside its ranges; a value that is no number is ignored.
    EXPECT_TRUE(launcher.line(kReady).contains(QStringLiteral(" columns=4 rows=7 sideInset=0.160 iconScale=1.250 ")))
        << launcher.line(kReady).toStdString();
    EXPECT_TRUE(eventually([&] { return launcherVisible(); }));
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
    EXPECT_FALSE(readDefaults().contains(QStringLiteral("Tessellon.columns")));
}

// A plain start with "--settings" (whose window comes with later work) shows
// the launcher and marks the first launch.
TEST_F(ShellEndToEndTest, PlainStartWithSettingsShowsTheLauncherAndMarksTheFirstLaunch)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({"--settings", "--settings-tab", "1"})));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
    EXPECT_TRUE(eventually([&] { return launcherVisible(); }));
    EXPECT_EQ(launcher.count(QStringLiteral("[windows] ")), 0) << "window lines need --dump-windows";
    EXPECT_EQ(readDefaults().value(QStringLiteral("Tessellon.hasLaunched")), QJsonValue(true));
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

// --- Opening an application ----------------------------------------------------------------

// Typing a name and Return opens the first match: the launcher hides and the
// bundle's executable runs in its Contents/MacOS folder.
TEST_F(ShellEndToEndTest, ReturnAfterTypingANameRunsTheBundlesExecutableAndHidesTheLauncher)
{
    const QString marker = m_home.filePath(QStringLiteral("opened.txt"));
    m_home.addBundle(QStringLiteral("Dune"), QStringLiteral("#!/bin/sh\npwd > '%1'\n").arg(marker).toUtf8());
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({"--show", "--dump-windows", "--no-event-tap"})));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
    ASSERT_TRUE(eventually([&] { return launcherVisible(); }));

    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("Dune")});
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_TRUE(eventually([&] { return QFileInfo(marker).size() > 0; })) << launcher.output().toStdString();
    QFile opened(marker);
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(opened.readAll()).trimmed(),
              QFileInfo(m_home.filePath(QStringLiteral("Applications/Dune.app/Contents/MacOS"))).canonicalFilePath());
    EXPECT_TRUE(eventually([&] { return !launcherVisible(); }));
    EXPECT_EQ(launcher.count(QStringLiteral("[Tessellon] ")), 0) << launcher.output().toStdString();
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

// A real click into the search field: the field takes the press and the
// caret (the focus was moved off it first), the launcher stays, and what is
// typed next searches.
TEST_F(ShellEndToEndTest, AClickIntoTheSearchFieldTakesTheCaretAndKeepsTheLauncher)
{
    const QString marker = m_home.filePath(QStringLiteral("opened.txt"));
    m_home.addBundle(QStringLiteral("Dune"), QStringLiteral("#!/bin/sh\npwd > '%1'\n").arg(marker).toUtf8());
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({"--show", "--dump-windows", "--no-event-tap", "--no-animation"})));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
    ASSERT_TRUE(eventually([&] { return launcherVisible(); }));

    // Tab hands the focus from the field to the grid.
    xdotool({QStringLiteral("key"), QStringLiteral("Tab")});
    // Right of the prompt, inside the field, on the plate 56..98 points down.
    movePointer(e2e::VirtualDisplay::width / 2 + 60, 76);
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("Dune")});
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_TRUE(eventually([&] { return QFileInfo(marker).size() > 0; })) << launcher.output().toStdString();
    EXPECT_EQ(launcher.count(QStringLiteral("[dismiss]")), 0) << launcher.output().toStdString();
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

// --- A second start ----------------------------------------------------------------------

// A second start hands its options to the running launcher, which imports
// what it names and comes forward; options it cannot carry out are named on
// standard error with a non-zero status.
TEST_F(ShellEndToEndTest, ASecondStartsImportIsCarriedOutByTheRunningLauncher)
{
    const QString store = m_home.filePath(QStringLiteral("stores/launcher.db"));
    makeSQLiteStore(store, QStringLiteral("('%1',1,0,''),('%2',2,0,''),('%3',3,0,'')").arg(id("canvas"), id("beacon"), id("atlas")));

    Launcher first(environment());
    ASSERT_TRUE(first.start(arguments({QStringLiteral("--dump-windows"), QStringLiteral("--no-event-tap")})));
    ASSERT_TRUE(first.waitFor(kReady, 1, kStartTimeoutMs)) << first.output().toStdString();
    ASSERT_EQ(first.count(QStringLiteral("[import] ")), 0);
    const QList<QStringList> before = savedPages();
    const QByteArray arranged = stateFile(QStringLiteral("layout.json"));

    Launcher second(environment());
    ASSERT_TRUE(second.start(arguments({QStringLiteral("--import-path"), store, QStringLiteral("--import-source"),
                                        QStringLiteral("buhoLaunchpad")})));
    EXPECT_EQ(second.waitForExit(), 0) << second.output().toStdString();
    EXPECT_TRUE(second.output().contains(QStringLiteral("[instance] handed over"))) << second.output().toStdString();

    ASSERT_TRUE(first.waitFor(QStringLiteral("[import] "), 1)) << first.output().toStdString();
    EXPECT_TRUE(first.line(QStringLiteral("[import] ")).startsWith(
        QStringLiteral("[import] pages=1 folders=0 apps=3 names= source=buhoLaunchpad ")))
        << first.output().toStdString();
    EXPECT_TRUE(eventually([&] { return savedPages() == QList<QStringList>{{id("canvas"), id("beacon"), id("atlas")}}; }))
        << "before: " << before.value(0).join(' ').toStdString();
    // The arrangement the handed-over import replaced stays beside it.
    EXPECT_EQ(stateFile(QStringLiteral("layout.previous.json")), arranged);
    EXPECT_TRUE(first.waitFor(kWindowLine, 2)) << first.output().toStdString();
    EXPECT_TRUE(eventually([&] { return launcherVisible(); }));

    QProcess third;
    third.setProcessEnvironment(environment());
    third.start(QStringLiteral(TESSELLON_BINARY),
                arguments({QStringLiteral("--columns"), QStringLiteral("5"), QStringLiteral("--show")}));
    ASSERT_TRUE(third.waitForFinished(e2e::kStepTimeoutMs));
    const QString errors = QString::fromUtf8(third.readAllStandardError());
    EXPECT_NE(third.exitCode(), 0) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("not applied: --columns"))) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral("--show"))) << errors.toStdString();

    EXPECT_EQ(first.terminate(), 0) << first.output().toStdString();
}

} // namespace

// --- Edit mode and drops -----------------------------------------------------------------

// "--edit-mode" with a window dump: the automation enters edit mode through
// the long-press gate, with a badge on every application, frozen when asked.
TEST_F(ShellEndToEndTest, EditModeAutomationEntersWithBadgesOnTheChosenSide)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({"--show", "--dump-windows", "--edit-mode", "--freeze-jiggle", "--badge-side",
                                          "right"})));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[edit-mode] entered "), 1, kStartTimeoutMs))
        << launcher.output().toStdString();
    EXPECT_EQ(launcher.line(QStringLiteral("[edit-mode] entered ")),
              QStringLiteral("[edit-mode] entered badges=3/3 placement=right frozen=1 via=automation"));
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

// "--edit-via-option --edit-release-option": Alt enters edit mode and its
// release leaves it again.
TEST_F(ShellEndToEndTest, OptionAutomationEntersAndTheReleaseLeaves)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({"--show", "--dump-windows", "--edit-via-option", "--edit-release-option"})));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[edit-mode] option-release restored editing=0"), 1, kStartTimeoutMs))
        << launcher.output().toStdString();
    EXPECT_EQ(launcher.line(QStringLiteral("[edit-mode] option-snapshot ")),
              QStringLiteral("[edit-mode] option-snapshot ignored editing=0"));
    EXPECT_EQ(launcher.line(QStringLiteral("[edit-mode] entered ")),
              QStringLiteral("[edit-mode] entered badges=3/3 placement=left frozen=0 via=option"));
    EXPECT_EQ(launcher.count(QStringLiteral("[edit-mode] exited")), 1);
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

// "--simulate-drop 0/0/2": the first application moves to the third slot,
// the lines say so, and the saved layout holds the new order.
TEST_F(ShellEndToEndTest, DropAutomationMovesTheEntryAndSavesTheLayout)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({"--show", "--dump-windows", "--simulate-drop", "0/0/2"})));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[drop] sim spec="), 1, kStartTimeoutMs))
        << launcher.output().toStdString();
    const QString atlas = QStringLiteral("app:") + id("atlas");
    EXPECT_EQ(launcher.line(QStringLiteral("[drop] page=")),
              QStringLiteral("[drop] page=0 slot=2 id=%1 landed=2").arg(atlas));
    EXPECT_EQ(launcher.line(QStringLiteral("[drop] sim spec=")),
              QStringLiteral("[drop] sim spec=0/0/2 id=%1 ok=1 expected=2 landed=2 displaced=1 (was 2)").arg(atlas));
    EXPECT_EQ(savedPages(), (QList<QStringList>{{id("beacon"), id("canvas"), id("atlas")}}));
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}
