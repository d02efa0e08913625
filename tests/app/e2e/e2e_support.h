// Helpers of the end-to-end tests that run the real tessellon binary: its own
// virtual X display, a private home with generated application bundles, and
// the running launcher with its log collected line by line.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <optional>

#ifndef TESSELLON_BINARY
#error "TESSELLON_BINARY must name the tessellon executable"
#endif

namespace e2e {

// Ceilings of waits that end on the launcher's own signal (a log line, a
// window, a file); every wait below scales them by testCeilingMs().
inline constexpr int kStartTimeoutMs = 60000;
inline constexpr int kStepTimeoutMs = 20000;

struct Outcome
{
    int exitCode = -1;
    QString output;
};

inline Outcome runTool(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
                       int timeoutMs = 10000)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Outcome outcome;
    timeoutMs = testCeilingMs(timeoutMs);
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

// Polls `condition` every 50 ms until it holds or the ceiling of `timeoutMs`
// passes.
template <typename Condition>
bool eventually(Condition condition, int timeoutMs = kStepTimeoutMs)
{
    timeoutMs = testCeilingMs(timeoutMs);
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
// -noreset keeps the server as it is when its last client leaves, so a client
// that connects at that moment still finds a display.
class VirtualDisplay
{
public:
    static constexpr int width = 1280;
    static constexpr int height = 800;

    ~VirtualDisplay() { stop(); }

    std::optional<QString> start()
    {
        const QString numberFile = m_dir.filePath(QStringLiteral("display"));
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(QStringLiteral("/bin/sh"),
                       {QStringLiteral("-c"),
                        QStringLiteral("exec Xvfb -displayfd 3 -screen 0 %1x%2x24 -nolisten tcp -noreset 3>\"$0\"")
                            .arg(width)
                            .arg(height),
                        numberFile});
        if (!m_server.waitForStarted(testCeilingMs(5000)))
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
            if (!m_server.waitForFinished(testCeilingMs(5000))) {
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
    QString filePath(const QString &relative) const { return m_dir.filePath(relative); }
    QString stateDirectory() const { return m_dir.filePath(QStringLiteral("state")); }

    // A bundle named `name` with identifier "org.tessellon.e2e." plus the
    // lower-cased name. With a script, the bundle's executable is that shell
    // script; without one the bundle has no executable.
    void addBundle(const QString &name, const QByteArray &script = QByteArray())
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
        if (script.isEmpty())
            return;
        QFile executable(contents + QStringLiteral("/MacOS/") + name);
        ASSERT_TRUE(executable.open(QIODevice::WriteOnly));
        executable.write(script);
        executable.close();
        ASSERT_TRUE(executable.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
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
        // as on a build machine. An address where nothing listens, not none:
        // without one, the bus library forks a helper to start a bus for
        // the display, and a child forked while another thread holds the
        // address sanitizer's allocator lock spins for ever on its first
        // free(), outliving the launcher it came from.
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("no-session-bus")));
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

    Launcher(const Launcher &) = delete;
    Launcher &operator=(const Launcher &) = delete;

    bool start(const QStringList &arguments)
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral(TESSELLON_BINARY), arguments);
        return m_process.waitForStarted(testCeilingMs(10000));
    }

    QStringList lines()
    {
        // Without an event loop the process's output is only taken in while
        // waiting for it: take in what is there without blocking.
        while (m_process.state() == QProcess::Running && m_process.waitForReadyRead(0)) {
        }
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
        timeoutMs = testCeilingMs(timeoutMs);
        QElapsedTimer clock;
        clock.start();
        while (count(fragment) < times) {
            if (clock.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning)
                return count(fragment) >= times;
            m_process.waitForReadyRead(100);
        }
        return true;
    }

    // Waits, polling the output, until exactly this line has appeared.
    bool waitForLine(const QString &line, int timeoutMs = kStepTimeoutMs)
    {
        timeoutMs = testCeilingMs(timeoutMs);
        QElapsedTimer clock;
        clock.start();
        while (!lines().contains(line)) {
            if (clock.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning)
                return lines().contains(line);
            m_process.waitForReadyRead(100);
        }
        return true;
    }

    // The first line that starts with `prefix` (empty when there is none).
    QString line(const QString &prefix)
    {
        for (const QString &candidate : lines()) {
            if (candidate.startsWith(prefix))
                return candidate;
        }
        return QString();
    }

    // Every line that starts with `prefix`, in order.
    QStringList linesStartingWith(const QString &prefix)
    {
        QStringList result;
        for (const QString &candidate : lines()) {
            if (candidate.startsWith(prefix))
                result.append(candidate);
        }
        return result;
    }

    // SIGTERM, then the exit code of a normal end (-1 otherwise).
    int terminate(int timeoutMs = kStepTimeoutMs)
    {
        ::kill(pid_t(m_process.processId()), SIGTERM);
        if (!m_process.waitForFinished(testCeilingMs(timeoutMs)))
            return -1;
        lines();
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    // The exit code of a normal end on its own (-1 otherwise).
    int waitForExit(int timeoutMs = kStepTimeoutMs)
    {
        if (!m_process.waitForFinished(testCeilingMs(timeoutMs)))
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

// A display of its own and a home with three bundles: the start of most
// end-to-end tests of the launcher.
// The identifier of the bundle that Home::addBundle made under `name`.
inline QString id(const char *name)
{
    return QStringLiteral("org.tessellon.e2e.") + QString::fromLatin1(name);
}

class ThreeAppTest : public testing::Test
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

    QStringList arguments(const QStringList &extra) const
    {
        return QStringList{QStringLiteral("--state-dir"), m_home.stateDirectory()} + extra;
    }

    // Runs xdotool on this display; fails the test when it fails.
    void xdotool(const QStringList &arguments) const
    {
        const Outcome outcome = runTool(QStringLiteral("xdotool"), arguments, environment());
        ASSERT_EQ(outcome.exitCode, 0) << arguments.join(QLatin1Char(' ')).toStdString() << ": "
                                       << outcome.output.toStdString();
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

    VirtualDisplay m_display;
    Home m_home;
};

} // namespace e2e
