#include "file_manager_dbus.h"

#include "private_bus.h"
#include "support/temp_env.h"
#include "support/test_files.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
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

    // Records each folder; those in `refusing` do not open.
    DBusFileManager::FolderOpener recordOpened()
    {
        return [this](const QUrl &folder, const std::function<void(bool)> &done) {
            opened.append(folder.toLocalFile());
            done(!refusing.contains(folder.toLocalFile()));
        };
    }
    FileManager::FailureHandler recordFailures()
    {
        return [this](const QString &folder) { failures.append(folder); };
    }

    QStringList opened;
    QStringList refusing;
    QStringList failures;
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
    manager.showItems(kBundles, recordFailures());
    ASSERT_TRUE(waitFor([&] { return !service.shown.isEmpty(); }));
    EXPECT_EQ(service.shown.first(),
              (QStringList{QStringLiteral("file:///opt/Apps/Alpha.app"), QStringLiteral("file:///opt/Apps/Beta.app/"),
                           QStringLiteral("file:///home/u/Applications/Gamma.app")}));
    QCoreApplication::processEvents();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(failures.isEmpty());

    services.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
    services.interface()->unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
}

TEST_F(FileManagerDBusTest, WithoutTheServiceTheFoldersHoldingTheItemsOpenOnceEach)
{
    LogCapture log;
    DBusFileManager manager(connection(QStringLiteral("client")), recordOpened());
    manager.showItems(kBundles, recordFailures());
    ASSERT_TRUE(waitFor([&] { return opened.size() >= 2; }));
    EXPECT_EQ(opened, (QStringList{QStringLiteral("/opt/Apps"), QStringLiteral("/home/u/Applications")}));
    EXPECT_TRUE(log.contains(QStringLiteral("[finder] show-items failed")));
    EXPECT_TRUE(failures.isEmpty()) << "the folders opened";
}

// No service and no folder opens either: the request's failure handler hears
// of it once, with the first folder that stayed shut, and the log names it.
TEST_F(FileManagerDBusTest, WhenTheFoldersDoNotOpenEitherTheFailureIsReportedOnce)
{
    LogCapture log;
    refusing = {QStringLiteral("/opt/Apps"), QStringLiteral("/home/u/Applications")};
    DBusFileManager manager(connection(QStringLiteral("client")), recordOpened());
    manager.showItems(kBundles, recordFailures());
    ASSERT_TRUE(waitFor([&] { return opened.size() >= 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(failures, QStringList{QStringLiteral("/opt/Apps")});
    EXPECT_TRUE(log.contains(QStringLiteral("[finder] open-folder failed folder=/opt/Apps")));
}

// The desktop's handler is "xdg-open" as PATH finds it: a tool that exits
// with 0 opened the folder; one that fails, or is not there, did not.
struct DesktopHandlerRow
{
    const char *name;
    const char *script; // nullptr: no xdg-open at all
    bool opened;
};

class DesktopHandlerTest : public ::testing::TestWithParam<DesktopHandlerRow>
{
};

TEST_P(DesktopHandlerTest, OpensTheFolderOrSaysItDidNot)
{
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    const QString argumentFile = bin.filePath(QStringLiteral("argument"));
    if (const char *script = GetParam().script) {
        const QString tool = bin.filePath(QStringLiteral("xdg-open"));
        writeFile(tool, QByteArray("#!/bin/sh\nprintf '%s' \"$1\" > '") + argumentFile.toUtf8() + "'\n" + script + "\n");
        ASSERT_TRUE(QFile::setPermissions(tool, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    ScopedEnv env;
    env.set("PATH", bin.path());
    std::optional<bool> opened;
    DBusFileManager::openWithDesktopHandler(QUrl::fromLocalFile(QStringLiteral("/opt/My Apps")),
                                            [&](bool result) { opened = result; });
    ASSERT_TRUE(waitFor([&] { return opened.has_value(); }, 30000));
    EXPECT_EQ(*opened, GetParam().opened);
    if (GetParam().script)
        EXPECT_EQ(readAll(argumentFile), QByteArray("file:///opt/My%20Apps"));
}

INSTANTIATE_TEST_SUITE_P(Tools, DesktopHandlerTest,
                         ::testing::Values(DesktopHandlerRow{"Opens", "exit 0", true},
                                           DesktopHandlerRow{"Fails", "exit 3", false},
                                           DesktopHandlerRow{"Missing", nullptr, false}),
                         [](const ::testing::TestParamInfo<DesktopHandlerRow> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(FileManagerDBusTest, WithoutABusTheFoldersOpenAtOnceAndNothingIsShownForNoItems)
{
    DBusFileManager manager(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                          QStringLiteral("nowhere")),
                            recordOpened());
    manager.showItems({}, recordFailures());
    EXPECT_TRUE(opened.isEmpty());
    manager.showItems({kBundles.first()}, recordFailures());
    EXPECT_EQ(opened, QStringList{QStringLiteral("/opt/Apps")});
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
}

} // namespace

#include "file_manager_dbus_test.moc"
