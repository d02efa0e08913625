// The launcher window's desktop hints, fill and compositing check on a real X
// server: a private Xvfb, the probe program showing the window, xprop reading
// its properties.
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QString>

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <memory>

namespace {

constexpr int kWaitMs = 20000;

// Reads one line from `process`, waiting as long as needed (up to kWaitMs).
QString readLine(QProcess &process)
{
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(testCeilingMs(kWaitMs)))
            return {};
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

class XvfbWindowHints : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // -displayfd: the server picks a free display and prints its number
        // once it accepts connections, so there is neither a race nor a wait.
        xvfb.setProgram(QStringLiteral("Xvfb"));
        xvfb.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                           QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                           QStringLiteral("tcp")});
        xvfb.setProcessChannelMode(QProcess::SeparateChannels);
        xvfb.start();
        ASSERT_TRUE(xvfb.waitForStarted(testCeilingMs(kWaitMs))) << "Xvfb is required (scripts/install-deps.sh installs it)";
        const QString number = readLine(xvfb);
        ASSERT_FALSE(number.isEmpty()) << "Xvfb did not report its display";
        display = QStringLiteral(":") + number;
    }

    void TearDown() override
    {
        if (probe.state() != QProcess::NotRunning) {
            probe.closeWriteChannel();
            if (!probe.waitForFinished(testCeilingMs(kWaitMs)))
                probe.kill();
            probe.waitForFinished();
        }
        if (xvfb.state() != QProcess::NotRunning) {
            xvfb.terminate();
            if (!xvfb.waitForFinished(testCeilingMs(kWaitMs)))
                xvfb.kill();
            xvfb.waitForFinished();
        }
    }

    QString startProbe()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        probe.setProcessEnvironment(environment);
        probe.setProgram(QStringLiteral(WINDOW_HINTS_PROBE));
        probe.start();
        if (!probe.waitForStarted(testCeilingMs(kWaitMs)))
            return {};
        const QString line = readLine(probe);
        if (!line.startsWith(QStringLiteral("window=")))
            return {};
        return line.mid(7);
    }

    QString command(const char *text)
    {
        probe.write(text);
        probe.write("\n");
        probe.waitForBytesWritten(testCeilingMs(kWaitMs));
        return readLine(probe);
    }

    QString xprop(const QStringList &arguments)
    {
        QProcess tool;
        tool.start(QStringLiteral("xprop"), QStringList{QStringLiteral("-display"), display} + arguments);
        if (!tool.waitForFinished(testCeilingMs(kWaitMs)))
            return {};
        return QString::fromUtf8(tool.readAllStandardOutput());
    }

    void expectOverlayHints(const QString &window)
    {
        const QString state = xprop({QStringLiteral("-id"), window, QStringLiteral("_NET_WM_STATE")});
        for (const char *atom : {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR",
                                 "_NET_WM_STATE_SKIP_PAGER"})
            EXPECT_TRUE(state.contains(QLatin1String(atom))) << atom << " missing in: " << state.toStdString();
        const QString desktop = xprop({QStringLiteral("-id"), window, QStringLiteral("_NET_WM_DESKTOP")});
        EXPECT_TRUE(desktop.contains(QRegularExpression(QStringLiteral("_NET_WM_DESKTOP\\(CARDINAL\\) = 4294967295\\s*$"))))
            << desktop.toStdString();
    }

    QProcess xvfb;
    QProcess probe;
    QString display;
};

TEST_F(XvfbWindowHints, ShownWindowIsAboveStickyAndOutOfTaskBarAndPager)
{
    const QString window = startProbe();
    ASSERT_FALSE(window.isEmpty()) << "the probe did not show its window";
    expectOverlayHints(window);
}

// A window manager removes the state of a withdrawn window; the hints must be
// back after the next show.
TEST_F(XvfbWindowHints, HintsReturnAfterTheWindowManagerDroppedThem)
{
    const QString window = startProbe();
    ASSERT_FALSE(window.isEmpty());
    ASSERT_EQ(command("hide"), QStringLiteral("hidden"));
    xprop({QStringLiteral("-id"), window, QStringLiteral("-remove"), QStringLiteral("_NET_WM_STATE")});
    xprop({QStringLiteral("-id"), window, QStringLiteral("-remove"), QStringLiteral("_NET_WM_DESKTOP")});
    ASSERT_FALSE(xprop({QStringLiteral("-id"), window, QStringLiteral("_NET_WM_STATE")})
                     .contains(QStringLiteral("SKIP_PAGER")));
    ASSERT_EQ(command("show"), QStringLiteral("shown"));
    expectOverlayHints(window);
}

// A compositing manager is known by the selection it holds on its screen.
TEST_F(XvfbWindowHints, CompositingIsSeenWhileAManagerHoldsItsSelection)
{
    ASSERT_FALSE(startProbe().isEmpty());
    EXPECT_EQ(command("compositing"), QStringLiteral("compositing=0"));

    const auto closeDisplay = [](Display *d) { XCloseDisplay(d); };
    std::unique_ptr<Display, decltype(closeDisplay)> manager(XOpenDisplay(display.toLocal8Bit().constData()),
                                                             closeDisplay);
    ASSERT_NE(manager, nullptr);
    const Window owner = XCreateSimpleWindow(manager.get(), DefaultRootWindow(manager.get()), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(manager.get(), XInternAtom(manager.get(), "_NET_WM_CM_S0", False), owner, CurrentTime);
    XSync(manager.get(), False);
    EXPECT_EQ(command("compositing"), QStringLiteral("compositing=1"));

    manager.reset();
    EXPECT_EQ(command("compositing"), QStringLiteral("compositing=0"));
}

// The server fills a window with its background as it maps, before the
// program paints: in the window's own pixel layout, premultiplied with alpha
// at depth 32 and as over black at depth 24.
TEST_F(XvfbWindowHints, TheServerFillsTheWindowBeforeItPaints)
{
    ASSERT_FALSE(startProbe().isEmpty());
    EXPECT_EQ(command("fill 24 #80c86432"), QStringLiteral("pixel=643219"));
    EXPECT_EQ(command("fill 32 #80c86432"), QStringLiteral("pixel=80643219"));
    EXPECT_EQ(command("fill 24 #ff0000ff"), QStringLiteral("pixel=ff"));
}

} // namespace
