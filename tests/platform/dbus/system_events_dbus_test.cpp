#include "system_events_dbus.h"
#include "system_notifications.h"

#include "private_bus.h"
#include "support/temp_env.h"
#include "support/test_files.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {


class SystemEventsDBusTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_bus = new PrivateBus(); }
    static void TearDownTestSuite()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
        QDBusConnection::disconnectFromBus(QStringLiteral("services"));
        delete s_bus;
        s_bus = nullptr;
    }

    void SetUp() override
    {
        ASSERT_FALSE(s_bus->address().isEmpty()) << "dbus-daemon did not start";
        for (const QString &name : {SystemNotifications::screenIsLocked, SystemNotifications::screenIsUnlocked,
                                    SystemNotifications::willSleep, SystemNotifications::didWake})
            center.addObserver(name, [this, name] { posted.append(name); });
    }

    static QDBusConnection connection(const QString &name)
    {
        return QDBusConnection::connectToBus(s_bus->address(), name);
    }

    // The desktop's service announces a change.
    static void emitSignal(const QString &service, const QString &path, const QString &interface,
                           const QString &member, bool value)
    {
        QDBusConnection services = connection(QStringLiteral("services"));
        services.interface()->registerService(service);
        QDBusMessage message = QDBusMessage::createSignal(path, interface, member);
        message << value;
        services.send(message);
    }

    NotificationCenter center;
    QStringList posted;
    static PrivateBus *s_bus;
};

PrivateBus *SystemEventsDBusTest::s_bus = nullptr;

TEST_F(SystemEventsDBusTest, LockSleepAndWakeArePostedOncePerChange)
{
    SystemEventsDBus events(center);
    const QDBusConnection bus = connection(QStringLiteral("watcher"));
    ASSERT_EQ(events.start(bus, bus), 2);

    emitSignal("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
               "ActiveChanged", true);
    // The same lock announced on the second path is no new event.
    emitSignal("org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", true);
    emitSignal("org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "ActiveChanged", false);
    emitSignal("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
               "PrepareForSleep", true);
    emitSignal("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
               "PrepareForSleep", false);
    ASSERT_TRUE(waitFor([&] { return posted.size() >= 4; }));
    EXPECT_EQ(posted, (QStringList{SystemNotifications::screenIsLocked, SystemNotifications::screenIsUnlocked,
                                   SystemNotifications::willSleep, SystemNotifications::didWake}));
}

TEST_F(SystemEventsDBusTest, MissingBusIsLoggedAndLeftOut)
{
    LogCapture log;
    SystemEventsDBus events(center);
    const QDBusConnection none = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                               QStringLiteral("nowhere"));
    EXPECT_EQ(events.start(none, none), 0);
    EXPECT_TRUE(log.contains("[input] systemEvents bus=system connected=0"));
    EXPECT_TRUE(log.contains("[input] systemEvents bus=session connected=0"));
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
}

} // namespace
