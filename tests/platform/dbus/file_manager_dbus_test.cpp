#include "file_manager_dbus.h"

#include "private_bus.h"
#include "support/temp_env.h"
#include "support/test_files.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The desktop's file manager as the bus shows it.
class FakeFileManagerService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QList<QStringList> shown;

public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList &uris, const QString &startupId)
    {
        Q_UNUSED(startupId);
        shown.append(uris);
    }
};

namespace {

class FileManagerDBusTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_bus = new PrivateBus(); }
    static void TearDownTestSuite()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        delete s_bus;
        s_bus = nullptr;
    }

    void SetUp() override { ASSERT_FALSE(s_bus->address().isEmpty()) << "dbus-daemon did not start"; }

    static QDBusConnection connection(const QString &name)
    {
        return QDBusConnection::connectToBus(s_bus->address(), name);
    }

    DBusFileManager::FolderOpener recordOpened()
    {
        return [this](const QUrl &folder) { opened.append(folder.toLocalFile()); };
    }

    QStringList opened;
    static PrivateBus *s_bus;
};

PrivateBus *FileManagerDBusTest::s_bus = nullptr;

const QStringList kBundles{QStringLiteral("/opt/Apps/Alpha.app"), QStringLiteral("/opt/Apps/Beta.app/"),
                           QStringLiteral("/home/u/Applications/Gamma.app")};

TEST_F(FileManagerDBusTest, TheFileManagerServiceIsAskedToShowTheItems)
{
    FakeFileManagerService service;
    QDBusConnection services = connection(QStringLiteral("service"));
    ASSERT_TRUE(services.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &service,
                                        QDBusConnection::ExportScriptableSlots));
    ASSERT_TRUE(services.interface()->registerService(QStringLiteral("org.freedesktop.FileManager1")));

    DBusFileManager manager(connection(QStringLiteral("client")), recordOpened());
    manager.showItems(kBundles);
    ASSERT_TRUE(waitFor([&] { return !service.shown.isEmpty(); }));
    EXPECT_EQ(service.shown.first(),
              (QStringList{QStringLiteral("file:///opt/Apps/Alpha.app"), QStringLiteral("file:///opt/Apps/Beta.app/"),
                           QStringLiteral("file:///home/u/Applications/Gamma.app")}));
    QCoreApplication::processEvents();
    EXPECT_TRUE(opened.isEmpty());

    services.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
    services.interface()->unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
}

TEST_F(FileManagerDBusTest, WithoutTheServiceTheFoldersHoldingTheItemsOpenOnceEach)
{
    LogCapture log;
    DBusFileManager manager(connection(QStringLiteral("client")), recordOpened());
    manager.showItems(kBundles);
    ASSERT_TRUE(waitFor([&] { return opened.size() >= 2; }));
    EXPECT_EQ(opened, (QStringList{QStringLiteral("/opt/Apps"), QStringLiteral("/home/u/Applications")}));
    EXPECT_TRUE(log.contains(QStringLiteral("[finder] show-items failed")));
}

TEST_F(FileManagerDBusTest, WithoutABusTheFoldersOpenAtOnceAndNothingIsShownForNoItems)
{
    DBusFileManager manager(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                          QStringLiteral("nowhere")),
                            recordOpened());
    manager.showItems({});
    EXPECT_TRUE(opened.isEmpty());
    manager.showItems({kBundles.first()});
    EXPECT_EQ(opened, QStringList{QStringLiteral("/opt/Apps")});
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
}

} // namespace

#include "file_manager_dbus_test.moc"
