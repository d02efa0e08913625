// The real tessellon binary on its own virtual X display: start-up, the log
// lines, the window, real key presses, the hand-over of a second start, and
// the state written on SIGTERM.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <optional>

#ifndef TESSELLON_BINARY
#error "TESSELLON_BINARY must name the tessellon executable"
#endif

namespace {

constexpr int kStartTimeoutMs = 60000;
constexpr int kStepTimeoutMs = 20000;

struct Outcome
{
    int exitCode = -1;
    QString output;
};

Outcome runTool(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
                int timeoutMs = 10000)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Outcome outcome;
    if (!process.waitForStarted(timeoutMs)) {
        outcome.output = process.errorString();
        return outcome;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        outcome.output = QStringLiteral("timed out");
        return outcome;
    }
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.output = QString::fromUtf8(process.readAll());
    return outcome;
}

// Polls `condition` every 50 ms until it holds or `timeoutMs` passes.
template <typename Condition>
bool eventually(Condition condition, int timeoutMs = kStepTimeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (true) {
        if (condition())
            return true;
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(50);
    }
}

// An X server of the test's own: Xvfb picks a free display itself and tells
// its number through a file descriptor, so parallel tests never collide.
class VirtualDisplay
{
public:
    ~VirtualDisplay() { stop(); }

    std::optional<QString> start()
    {
        const QString numberFile = m_dir.filePath(QStringLiteral("display"));
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(QStringLiteral("/bin/sh"),
                       {QStringLiteral("-c"),
                        QStringLiteral("exec Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>\"$0\""),
                        numberFile});
        if (!m_server.waitForStarted(5000))
            return QStringLiteral("Xvfb could not be started: ") + m_server.errorString();
        QString number;
        const bool announced = eventually(
            [&] {
                QFile file(numberFile);
                if (file.open(QIODevice::ReadOnly))
                    number = QString::fromLatin1(file.readAll()).trimmed();
                return !number.isEmpty() || m_server.state() == QProcess::NotRunning;
            },
            15000);
        if (!announced || number.isEmpty())
            return QStringLiteral("Xvfb announced no display");
        m_display = QLatin1Char(':') + number;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        if (!eventually([&] { return runTool(QStringLiteral("xdpyinfo"), {}, environment).exitCode == 0; }, 15000))
            return QStringLiteral("display ") + m_display + QStringLiteral(" does not answer");
        return std::nullopt;
    }

    void stop()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(5000)) {
                m_server.kill();
                m_server.waitForFinished(5000);
            }
        }
    }

    QString display() const { return m_display; }

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_display;
};

// A private home with generated application bundles in ~/Applications.
class Home
{
public:
    Home()
    {
        QDir root(m_dir.path());
        for (const char *sub : {"config", "data", "cache", "runtime", "state"})
            root.mkpath(QString::fromLatin1(sub));
        QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString path() const { return m_dir.path(); }
    QString stateDirectory() const { return m_dir.filePath(QStringLiteral("state")); }

    void addBundle(const QString &name)
    {
        const QString contents = m_dir.filePath(QStringLiteral("Applications/") + name + QStringLiteral(".app/Contents"));
        QDir().mkpath(contents + QStringLiteral("/MacOS"));
        QFile plist(contents + QStringLiteral("/Info.plist"));
        ASSERT_TRUE(plist.open(QIODevice::WriteOnly));
        plist.write(QStringLiteral(
                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                        "<plist version=\"1.0\"><dict>\n"
                        "<key>CFBundleIdentifier</key><string>org.tessellon.e2e.%1</string>\n"
                        "<key>CFBundleName</key><string>%2</string>\n"
                        "<key>CFBundleExecutable</key><string>%2</string>\n"
                        "<key>CFBundlePackageType</key><string>APPL</string>\n"
                        "</dict></plist>\n")
                        .arg(name.toLower(), name)
                        .toUtf8());
    }

    void addFile(const QString &relative)
    {
        const QString path = m_dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a database");
    }

    QProcessEnvironment environment(const QString &display) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath(QStringLiteral("cache")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("runtime")));
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        environment.insert(QStringLiteral("LANGUAGE"), QString());
        environment.remove(QStringLiteral("APP_STATE_DIR"));
        // No session bus: the desktop's lock and sleep services are absent,
        // as on a build machine.
        environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        // X client libraries keep caches for the process's life.
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        return environment;
    }

private:
    QTemporaryDir m_dir;
};

// One running launcher with its merged output collected line by line.
class Launcher
{
public:
    explicit Launcher(QProcessEnvironment environment) { m_process.setProcessEnvironment(std::move(environment)); }

    ~Launcher()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool start(const QStringList &arguments)
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral(TESSELLON_BINARY), arguments);
        return m_process.waitForStarted(10000);
    }

    QStringList lines()
    {
        m_output += QString::fromUtf8(m_process.readAll());
        return m_output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    int count(const QString &fragment)
    {
        int n = 0;
        for (const QString &line : lines())
            n += line.contains(fragment) ? 1 : 0;
        return n;
    }

    // Waits, polling the output, until `fragment` has appeared `times` times.
    bool waitFor(const QString &fragment, int times = 1, int timeoutMs = kStepTimeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (count(fragment) < times) {
            if (clock.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning)
                return count(fragment) >= times;
            m_process.waitForReadyRead(100);
        }
        return true;
    }

    QString line(const QString &prefix)
    {
        for (const QString &candidate : lines()) {
            if (candidate.startsWith(prefix))
                return candidate;
        }
        return QString();
    }

    // SIGTERM, then the exit code of a normal end (-1 otherwise).
    int terminate(int timeoutMs = kStepTimeoutMs)
    {
        ::kill(pid_t(m_process.processId()), SIGTERM);
        if (!m_process.waitForFinished(timeoutMs))
            return -1;
        lines();
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    // The exit code of a normal end on its own (-1 otherwise).
    int waitForExit(int timeoutMs = kStepTimeoutMs)
    {
        if (!m_process.waitForFinished(timeoutMs))
            return -1;
        lines();
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    QString output()
    {
        lines();
        return m_output;
    }

private:
    QProcess m_process;
    QString m_output;
};

class EndToEndTest : public testing::Test
{
public:
    void SetUp() override
    {
        const std::optional<QString> failure = m_display.start();
        ASSERT_FALSE(failure) << failure->toStdString();
        for (const char *name : {"Atlas", "Beacon", "Canvas"})
            m_home.addBundle(QString::fromLatin1(name));
    }

    QProcessEnvironment environment() const { return m_home.environment(m_display.display()); }

    QStringList arguments(QStringList extra) const
    {
        return QStringList{QStringLiteral("--state-dir"), m_home.stateDirectory()} + extra;
    }

    // The launcher window is mapped and viewable.
    bool launcherVisible() const
    {
        return runTool(QStringLiteral("xdotool"),
                       {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                        QStringLiteral("^Tessellon$")},
                       environment())
                   .exitCode == 0;
    }

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

protected:
    VirtualDisplay m_display;
    Home m_home;
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
    const QRegularExpression windowLine(QStringLiteral(R"(^\[windows\] launcher x=0 y=0 w=1280 h=800 id=\S+$)"));
    EXPECT_TRUE(windowLine.match(launcher.line(QStringLiteral("[windows] launcher"))).hasMatch())
        << launcher.output().toStdString();
    EXPECT_TRUE(launcher.line(QStringLiteral("[screens] ")).contains(QStringLiteral("main=true")));
    EXPECT_TRUE(eventually([&] { return launcherVisible(); }));

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
    // Each show writes the window line again.
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

} // namespace
