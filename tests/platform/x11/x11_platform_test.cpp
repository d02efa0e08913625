#include "xvfb_server.h"

#include "x11/global_key_grabber_x11.h"
#include "x11/input_event_source_x11.h"
#include "x11/mac_key_map.h"
#include "x11/show_desktop_watcher_x11.h"
#include "x11/tray_watcher_x11.h"
#include "x11/window_background.h"
#include "system_notifications.h"
#include "x11/x11_display.h"

#include "triggers/hot_key_manager.h"
#include "triggers/input_event_bridge.h"
#include "triggers/input_event_monitor.h"

#include "support/temp_env.h"
#include "support/test_files.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <vector>

namespace {

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size());
}

struct TapRecord
{
    quint32 type;
    EventTapEvent event;
};

class X11PlatformTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_server = new XvfbServer(); }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(s_server->isRunning()) << s_server->errorText().toStdString(); }

    QString display() const { return s_server->display(); }
    bool xdotool(const QStringList &arguments) const { return s_server->run(QStringLiteral("xdotool"), arguments); }

    static XvfbServer *s_server;
};

XvfbServer *X11PlatformTest::s_server = nullptr;

// ---- Global hot key ----

TEST_F(X11PlatformTest, GrabbedKeyFiresWithAndWithoutLockKeys)
{
    GlobalKeyGrabberX11 grabber(display());
    int presses = 0;
    ASSERT_TRUE(grabber.installHandler([&] { ++presses; }));
    ASSERT_TRUE(grabber.grab(49, 2048)); // Option-Space

    // Space alone is not the combination; the Option-Space after it is.
    ASSERT_TRUE(xdotool({"key", "space", "alt+space"}));
    ASSERT_TRUE(waitFor([&] { return presses >= 1; }));
    grabber.processPendingEvents();
    EXPECT_EQ(presses, 1);

    ASSERT_TRUE(xdotool({"key", "Caps_Lock", "alt+space", "Caps_Lock"}));
    ASSERT_TRUE(waitFor([&] { return presses >= 2; }));
    ASSERT_TRUE(xdotool({"key", "Num_Lock", "alt+space", "Num_Lock"}));
    ASSERT_TRUE(waitFor([&] { return presses >= 3; }));

    grabber.ungrab();
    ASSERT_TRUE(xdotool({"key", "alt+space", "F4"}));
    grabber.processPendingEvents();
    EXPECT_EQ(presses, 3);
}

TEST_F(X11PlatformTest, KeyHeldByAnotherClientFailsToRegister)
{
    LogCapture log;
    GlobalKeyGrabberX11 first(display());
    GlobalKeyGrabberX11 second(display());
    ASSERT_TRUE(first.grab(118, 0)); // F4
    EXPECT_FALSE(second.grab(118, 0));
    EXPECT_FALSE(second.isGrabbed());
    EXPECT_TRUE(log.contains("[hotkey] grab=failed keyCode=118 modifiers=0 reason=taken"));

    // The failure is the manager's answer too.
    HotKeyManager manager(second);
    EXPECT_FALSE(manager.registerKey(118, 0, [] {}));
    EXPECT_FALSE(manager.isRegistered());

    // Once the other client lets go, the key is free again, and the refused
    // attempt left nothing half-grabbed behind.
    first.ungrab();
    int presses = 0;
    EXPECT_TRUE(manager.registerKey(118, 0, [&] { ++presses; }));
    ASSERT_TRUE(xdotool({"key", "F4"}));
    ASSERT_TRUE(waitFor([&] { return presses == 1; }));
    EXPECT_TRUE(first.grab(49, 2048));
}

// Another client holds Alt+Space with Num Lock only. Our grab of Alt+Space
// with every lock variant is refused for that one variant, but the server has
// already granted the variants asked for before it; they must go back, or a
// third client could no longer take plain Alt+Space.
TEST_F(X11PlatformTest, GrabRefusedForOneLockVariantGivesBackTheVariantsItTook)
{
    std::unique_ptr<X11Display> other = X11Display::open(display());
    ASSERT_TRUE(other);
    const X11Display::ModifierMasks masks = other->modifierMasks();
    ASSERT_NE(masks.numLock, 0u);
    ASSERT_NE(masks.alt, 0u);
    const int space = XKeysymToKeycode(other->handle(), XK_space);
    {
        X11ErrorTrap trap(*other);
        XGrabKey(other->handle(), space, masks.alt | masks.numLock, other->rootWindow(), False, GrabModeAsync,
                 GrabModeAsync);
        ASSERT_TRUE(trap.syncSucceeded());
    }

    LogCapture log;
    GlobalKeyGrabberX11 ours(display());
    EXPECT_FALSE(ours.grab(49, 2048)); // Option-Space
    EXPECT_FALSE(ours.isGrabbed());
    EXPECT_TRUE(log.contains("[hotkey] grab=failed keyCode=49 modifiers=2048 reason=taken"));

    std::unique_ptr<X11Display> third = X11Display::open(display());
    ASSERT_TRUE(third);
    for (unsigned lock : {0u, unsigned(LockMask), unsigned(LockMask) | masks.numLock}) {
        X11ErrorTrap trap(*third);
        XGrabKey(third->handle(), space, masks.alt | lock, third->rootWindow(), False, GrabModeAsync, GrabModeAsync);
        EXPECT_TRUE(trap.syncSucceeded()) << "Alt+Space with lock mask " << lock;
    }
}

TEST_F(X11PlatformTest, UnknownKeyCodeIsRefused)
{
    GlobalKeyGrabberX11 grabber(display());
    EXPECT_FALSE(grabber.grab(127, 0)); // no such macOS key here
}

TEST(X11NoServer, EverythingFailsPolitely)
{
    GlobalKeyGrabberX11 grabber(QStringLiteral(":9999"));
    EXPECT_FALSE(grabber.installHandler([] {}));
    EXPECT_FALSE(grabber.grab(49, 2048));
    InputEventSourceX11 source(QStringLiteral(":9999"));
    EXPECT_FALSE(source.isProcessTrusted());
    EXPECT_EQ(source.createTap(InputEventMonitor::keyMask, InputEventSource::TapOption::listenOnly, {}), nullptr);
    NotificationCenter center;
    ShowDesktopWatcherX11 watcher(center, QStringLiteral(":9999"));
    EXPECT_FALSE(watcher.start());
    TrayWatcherX11 trayWatcher(QStringLiteral(":9999"));
    EXPECT_FALSE(trayWatcher.start());
    EXPECT_FALSE(trayWatcher.isTrayAvailable());
}

// ---- Event taps ----

TEST_F(X11PlatformTest, RawKeysReachTheTapWithMacCodesAndFlags)
{
    InputEventSourceX11 source(display());
    EXPECT_TRUE(source.isProcessTrusted());
    std::vector<TapRecord> records;
    std::unique_ptr<EventTap> tap = source.createTap(
        InputEventMonitor::keyMask, InputEventSource::TapOption::listenOnly,
        [&](quint32 type, const EventTapEvent &event) { records.push_back({type, event}); });
    ASSERT_TRUE(tap);
    ASSERT_TRUE(tap->addToMainLoop());
    tap->setEnabled(true);

    ASSERT_TRUE(xdotool({"key", "F4"}));
    ASSERT_TRUE(waitFor([&] { return !records.empty(); }));
    EXPECT_EQ(records[0].type, EventTapTypes::keyDown);
    EXPECT_EQ(records[0].event.keyCode, 118);
    EXPECT_FALSE(records[0].event.isRepeat);
    EXPECT_EQ(records[0].event.flags & EventTapFlags::option, 0u);

    records.clear();
    ASSERT_TRUE(xdotool({"keydown", "alt", "key", "F4", "keyup", "alt"}));
    ASSERT_TRUE(waitFor([&] { return records.size() >= 3; }));
    ASSERT_EQ(records.size(), 3u); // key up is not in the mask
    EXPECT_EQ(records[0].type, EventTapTypes::flagsChanged);
    EXPECT_EQ(records[0].event.keyCode, 58);
    EXPECT_NE(records[0].event.flags & EventTapFlags::option, 0u);
    EXPECT_EQ(records[1].type, EventTapTypes::keyDown);
    EXPECT_NE(records[1].event.flags & EventTapFlags::option, 0u);
    EXPECT_EQ(records[2].type, EventTapTypes::flagsChanged);
    EXPECT_EQ(records[2].event.flags & EventTapFlags::option, 0u);

    // A disabled tap reports nothing.
    records.clear();
    tap->setEnabled(false);
    ASSERT_TRUE(xdotool({"key", "F4"}));
    InputEventSourceX11::processPendingEvents(*tap);
    EXPECT_TRUE(records.empty());
    tap->setEnabled(true);
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    ASSERT_TRUE(waitFor([&] { return !records.empty(); }));
    EXPECT_EQ(records[0].event.keyCode, 53);
}

TEST_F(X11PlatformTest, GestureTapExistsWhenTheServerHasPinches)
{
    InputEventSourceX11 source(display());
    const std::optional<int> version = source.serverXInputVersion();
    ASSERT_TRUE(version);
    std::unique_ptr<EventTap> tap =
        source.createTap(InputEventMonitor::gestureMask, InputEventSource::TapOption::listenOnly, {});
    EXPECT_EQ(tap != nullptr, InputEventSourceX11::supportsGestures(*version)) << "XInput " << *version;
}

TEST_F(X11PlatformTest, MonitorTogglesOnRealF4AndRebuildsWithoutLeaking)
{
    InputEventSourceX11 source(display());
    NotificationCenter center;
    InputEventMonitor monitor(source, center);
    std::vector<InputTriggerAction> actions;
    monitor.onTrigger = [&](InputTriggerAction action) { actions.push_back(action); };
    const int before = openDescriptors();
    monitor.start();
    EXPECT_TRUE(monitor.isTrusted);
    EXPECT_TRUE(monitor.keyTapReady);

    ASSERT_TRUE(xdotool({"key", "F4"}));
    ASSERT_TRUE(waitFor([&] { return !actions.empty(); }));
    EXPECT_EQ(actions[0], InputTriggerAction::toggle);

    // Every settings change rebuilds the taps: their connections must go.
    for (int i = 0; i < 5; ++i)
        monitor.configure(InputTriggerPolicy::Configuration());
    const int settled = openDescriptors();
    for (int i = 0; i < 30; ++i)
        monitor.configure(InputTriggerPolicy::Configuration());
    EXPECT_EQ(openDescriptors(), settled);
    EXPECT_TRUE(monitor.keyTapReady);
    monitor.stop();
    EXPECT_FALSE(monitor.keyTapReady);
    EXPECT_LE(openDescriptors(), before + 1); // the permission probe stays connected
    inputBridge().setHandlers({}, {});
}

// ---- Show desktop ----

TEST_F(X11PlatformTest, ShowingDesktopPropertyIsSeen)
{
    NotificationCenter center;
    QStringList posted;
    for (const QString &name : {SystemNotifications::showDesktopSet, SystemNotifications::showDesktopAwake})
        center.addObserver(name, [&posted, name] { posted.append(name); });
    ShowDesktopWatcherX11 watcher(center, display());
    ASSERT_TRUE(watcher.start());

    const auto setShowing = [&](const char *value) {
        return s_server->run(QStringLiteral("xprop"),
                             {"-root", "-f", "_NET_SHOWING_DESKTOP", "32c", "-set", "_NET_SHOWING_DESKTOP", value});
    };
    ASSERT_TRUE(setShowing("1"));
    ASSERT_TRUE(waitFor([&] { return posted.size() >= 1; }));
    ASSERT_TRUE(setShowing("1")); // rewritten unchanged: no event
    ASSERT_TRUE(setShowing("0"));
    ASSERT_TRUE(waitFor([&] { return posted.size() >= 2; }));
    watcher.processPendingEvents();
    EXPECT_EQ(posted, (QStringList{SystemNotifications::showDesktopSet, SystemNotifications::showDesktopAwake}));
}

// ---- System tray ----

// A tray is a client that owns _NET_SYSTEM_TRAY_S0. The watcher hears of it
// coming and going, whether the owner's window is destroyed or its client
// ends; a watcher started while a tray is there starts with it.
TEST_F(X11PlatformTest, TrayWatcherFollowsTheTraySelectionOwner)
{
    TrayWatcherX11 watcher(display());
    ASSERT_TRUE(watcher.start());
    EXPECT_FALSE(watcher.isTrayAvailable());
    std::vector<bool> changes;
    QObject::connect(&watcher, &TrayWatcher::trayAvailabilityChanged,
                     [&changes](bool available) { changes.push_back(available); });

    // The panel: a connection of its own and a window that takes the selection.
    const auto closeDisplay = [](Display *d) { XCloseDisplay(d); };
    std::unique_ptr<Display, decltype(closeDisplay)> panel(XOpenDisplay(display().toLocal8Bit().constData()),
                                                           closeDisplay);
    ASSERT_NE(panel, nullptr);
    const Atom selection = XInternAtom(panel.get(), "_NET_SYSTEM_TRAY_S0", False);
    const auto takeTray = [&] {
        const Window window = XCreateSimpleWindow(panel.get(), DefaultRootWindow(panel.get()), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(panel.get(), selection, window, CurrentTime);
        XSync(panel.get(), False);
        return window;
    };

    const Window first = takeTray();
    ASSERT_TRUE(waitFor([&] { return changes.size() >= 1; }));
    EXPECT_TRUE(watcher.isTrayAvailable());
    TrayWatcherX11 late(display());
    ASSERT_TRUE(late.start());
    EXPECT_TRUE(late.isTrayAvailable());

    XDestroyWindow(panel.get(), first);
    XSync(panel.get(), False);
    ASSERT_TRUE(waitFor([&] { return changes.size() >= 2; }));
    EXPECT_FALSE(watcher.isTrayAvailable());

    takeTray();
    ASSERT_TRUE(waitFor([&] { return changes.size() >= 3; }));
    panel.reset();
    ASSERT_TRUE(waitFor([&] { return changes.size() >= 4; }));
    watcher.processPendingEvents();
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true, false}));
    EXPECT_FALSE(watcher.isTrayAvailable());
}

// ---- Window background ----

// The server fills a window with a raw pixel in the layout of its visual:
// premultiplied with the alpha in the spare bits at depth 32, the colour as
// over black without alpha, each channel scaled to its mask's width.
TEST(WindowBackgroundPixel, FollowsTheVisualsLayout)
{
    struct Case
    {
        const char *name;
        QColor color;
        int depth;
        std::uint32_t red, green, blue;
        std::uint32_t pixel;
    };
    const QColor halfOrange(200, 100, 50, 128);
    const std::vector<Case> cases{
        {"opaque red, 24 bit", QColor(255, 0, 0), 24, 0xff0000, 0xff00, 0xff, 0xff0000},
        {"translucent, 24 bit: over black", halfOrange, 24, 0xff0000, 0xff00, 0xff, 0x643219},
        {"translucent, 32 bit: premultiplied", halfOrange, 32, 0xff0000, 0xff00, 0xff, 0x80643219},
        {"clear, 32 bit", QColor(255, 255, 255, 0), 32, 0xff0000, 0xff00, 0xff, 0x0},
        {"opaque white, 32 bit", QColor(255, 255, 255), 32, 0xff0000, 0xff00, 0xff, 0xffffffff},
        {"dimming black, 24 bit", QColor(0, 0, 0, 87), 24, 0xff0000, 0xff00, 0xff, 0x0},
        {"red, blue first", QColor(255, 0, 0), 24, 0xff, 0xff00, 0xff0000, 0xff},
        {"white, 16 bit", QColor(255, 255, 255), 16, 0xf800, 0x07e0, 0x001f, 0xffff},
        {"grey, 16 bit", QColor(128, 128, 128), 16, 0xf800, 0x07e0, 0x001f, 0x8410},
    };
    for (const Case &c : cases)
        EXPECT_EQ(windowBackgroundPixel(c.color, c.depth, c.red, c.green, c.blue), c.pixel) << c.name;
}

// ---- Key map ----

TEST(MacKeyMap, PresetKeysAndModifiers)
{
    EXPECT_EQ(MacKeyMap::keysymForKeyCode(49), 0x20u);   // space
    EXPECT_EQ(MacKeyMap::keysymForKeyCode(118), 0xFFC1u); // F4
    EXPECT_EQ(MacKeyMap::keysymForKeyCode(127), 0u);
    EXPECT_EQ(MacKeyMap::keyCodeForKeysym(0xFFE9), 58); // Alt_L
    EXPECT_EQ(MacKeyMap::keyCodeForKeysym(0xFFEA), 61); // Alt_R
    EXPECT_EQ(MacKeyMap::keyCodeForKeysym(0xFE03), 61); // AltGr
    EXPECT_EQ(MacKeyMap::keyCodeForKeysym(0x41), 0);    // A like a
    EXPECT_EQ(MacKeyMap::keyCodeForKeysym(0x12345), -1);
    EXPECT_EQ(MacKeyMap::modifierFlagForKeyCode(58), EventTapFlags::option);
    EXPECT_EQ(MacKeyMap::modifierFlagForKeyCode(55), EventTapFlags::command);
    EXPECT_TRUE(MacKeyMap::isModifierKeyCode(57));
    EXPECT_FALSE(MacKeyMap::isModifierKeyCode(49));
    for (quint32 code = 0; code < 128; ++code) {
        if (const quint32 keysym = MacKeyMap::keysymForKeyCode(code)) {
            EXPECT_EQ(MacKeyMap::keyCodeForKeysym(keysym), qint64(code)) << code;
        }
    }
}

} // namespace
