#include "single_instance.h"

#include "support/temp_env.h"

#include <QDir>
#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Spins the event loop until `done` holds (or a generous guard expires).
template <typename Predicate>
bool spinUntil(Predicate done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(0);
    QTimer::singleShot(10000, &loop, [&] { loop.exit(1); });
    return loop.exec() == 0;
}

class SingleInstanceTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("instance")); }
};

TEST_F(SingleInstanceTest, LaterStartHandsOverToTheRunningOne)
{
    SingleInstance running(path());
    int reopens = 0;
    running.onReopen = [&] { ++reopens; };
    ASSERT_EQ(running.acquire(), SingleInstance::Role::primary);

    SingleInstance second(path());
    EXPECT_EQ(second.acquire(), SingleInstance::Role::handedOver);
    SingleInstance third(path());
    EXPECT_EQ(third.acquire(), SingleInstance::Role::handedOver);
    EXPECT_EQ(reopens, 0) << "the running instance answers from its event loop";

    ASSERT_TRUE(spinUntil([&] { return reopens == 2; }));
    EXPECT_EQ(reopens, 2);
}

// A later start's command line reaches the running one whole: spaces, tabs,
// newlines and any script in an argument included.
TEST_F(SingleInstanceTest, LaterStartHandsItsArgumentsOver)
{
    SingleInstance running(path());
    QList<QStringList> received;
    running.onReopenWithArguments = [&](const QStringList &arguments) { received.append(arguments); };
    ASSERT_EQ(running.acquire(), SingleInstance::Role::primary);

    const QStringList arguments{QStringLiteral("--import-path"), QStringLiteral("/tmp/a b\tc\nd/Данные.db"),
                                QStringLiteral("--settings"), QString()};
    SingleInstance second(path());
    second.setHandOverArguments(arguments);
    EXPECT_EQ(second.acquire(), SingleInstance::Role::handedOver);
    SingleInstance plain(path());
    EXPECT_EQ(plain.acquire(), SingleInstance::Role::handedOver);

    ASSERT_TRUE(spinUntil([&] { return received.size() == 2; }));
    EXPECT_EQ(received.value(0), arguments);
    EXPECT_EQ(received.value(1), QStringList());
}

TEST(SingleInstanceMessage, ReopenLinesAndOthers)
{
    EXPECT_EQ(SingleInstance::reopenMessageWith({}), SingleInstance::reopenMessage);
    EXPECT_EQ(SingleInstance::parseReopenMessage(SingleInstance::reopenMessage), QStringList());
    const QStringList arguments{QStringLiteral("--show"), QStringLiteral("é\t")};
    EXPECT_EQ(SingleInstance::parseReopenMessage(SingleInstance::reopenMessageWith(arguments)), arguments);
    EXPECT_FALSE(SingleInstance::parseReopenMessage("quit\n"));
    EXPECT_FALSE(SingleInstance::parseReopenMessage("reopen"));
    EXPECT_FALSE(SingleInstance::parseReopenMessage("reopened\n"));
    EXPECT_FALSE(SingleInstance::parseReopenMessage("reopen\t***\n"));
}

TEST_F(SingleInstanceTest, DistinctNamesDoNotMeet)
{
    SingleInstance a(dir.filePath(QStringLiteral("a")));
    SingleInstance b(dir.filePath(QStringLiteral("b")));
    EXPECT_EQ(a.acquire(), SingleInstance::Role::primary);
    EXPECT_EQ(b.acquire(), SingleInstance::Role::primary);
}

// A crashed instance leaves its socket file behind; nobody answers on it.
TEST_F(SingleInstanceTest, DeadInstanceSocketIsReplaced)
{
    const QByteArray native = QFile::encodeName(path());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(native.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(path()));

    SingleInstance fresh(path());
    int reopens = 0;
    fresh.onReopen = [&] { ++reopens; };
    EXPECT_EQ(fresh.acquire(), SingleInstance::Role::primary);
    SingleInstance later(path());
    EXPECT_EQ(later.acquire(), SingleInstance::Role::handedOver);
    EXPECT_TRUE(spinUntil([&] { return reopens == 1; }));
}

TEST_F(SingleInstanceTest, OtherMessagesAreIgnored)
{
    LogCapture log;
    SingleInstance running(path());
    int reopens = 0;
    running.onReopen = [&] { ++reopens; };
    ASSERT_EQ(running.acquire(), SingleInstance::Role::primary);

    QLocalSocket stranger;
    stranger.connectToServer(path());
    ASSERT_TRUE(stranger.waitForConnected(5000));
    stranger.write("quit\n");
    ASSERT_TRUE(stranger.waitForBytesWritten(5000));
    ASSERT_TRUE(spinUntil([&] { return log.contains(QStringLiteral("[instance] ignored message bytes=5")); }));
    EXPECT_EQ(reopens, 0);
}

TEST_F(SingleInstanceTest, UnusableSocketPathRunsStandalone)
{
    LogCapture log;
    SingleInstance lost(dir.filePath(QStringLiteral("missing-directory/instance")));
    EXPECT_EQ(lost.acquire(), SingleInstance::Role::standalone);
    EXPECT_TRUE(log.contains(QStringLiteral("[instance] listen failed")));
}

TEST(SingleInstancePath, OnePerUserAndStateDirectory)
{
    ScopedEnv env;
    QTemporaryDir runtime;
    env.set("XDG_RUNTIME_DIR", runtime.path());
    const QString mine = SingleInstance::socketPathFor(QStringLiteral("/home/a/state"), 1000);
    EXPECT_EQ(QFileInfo(mine).absolutePath(), QDir(runtime.path()).absolutePath());
    EXPECT_TRUE(QFileInfo(mine).fileName().startsWith(QStringLiteral("tessellon-1000-")));
    EXPECT_EQ(mine, SingleInstance::socketPathFor(QStringLiteral("/home/a/state/"), 1000));
    EXPECT_NE(mine, SingleInstance::socketPathFor(QStringLiteral("/home/a/other"), 1000));
    EXPECT_NE(mine, SingleInstance::socketPathFor(QStringLiteral("/home/a/state"), 1001));

    env.unset("XDG_RUNTIME_DIR");
    const QString fallback = SingleInstance::socketPathFor(QStringLiteral("/home/a/state"), 1000);
    // Never directly in the shared temporary directory, where anyone could take the name first.
    EXPECT_EQ(QFileInfo(fallback).absolutePath(), QDir(QDir::tempPath()).filePath(QStringLiteral("tessellon-1000")));
}

TEST(SingleInstancePath, FallbackDirectoryIsMadePrivate)
{
    ScopedEnv env;
    QTemporaryDir temporary;
    env.set("TMPDIR", temporary.path());
    env.unset("XDG_RUNTIME_DIR");
    const QString path = SingleInstance::socketPathFor(QStringLiteral("/home/a/state"));
    SingleInstance instance(path);
    ASSERT_EQ(instance.acquire(), SingleInstance::Role::primary);
    struct stat status;
    ASSERT_EQ(::lstat(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_EQ(status.st_uid, ::getuid());
}

// Someone else got there first. Whatever it is, it is left alone, and the
// launcher runs on its own rather than hand over or fail to start.
constexpr unsigned kOtherUser = 54321;

bool chownTo(const QString &path, unsigned uid)
{
    return ::lchown(QFile::encodeName(path).constData(), uid, gid_t(-1)) == 0;
}

void bindStaleSocket(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ::close(fd);
}

struct SquatCase
{
    const char *name;
    const char *kind; // "file", "fifo", "stale-socket-of-other-user", "directory"
};

class SingleInstanceSquatTest : public SingleInstanceTest, public ::testing::WithParamInterface<SquatCase>
{
};

TEST_P(SingleInstanceSquatTest, ForeignThingAtThePathIsLeftAloneAndTheLauncherRunsAlone)
{
    const std::string kind = GetParam().kind;
    const QByteArray native = QFile::encodeName(path());
    if (kind == "file") {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("precious");
    } else if (kind == "fifo") {
        ASSERT_EQ(::mkfifo(native.constData(), 0600), 0);
    } else if (kind == "directory") {
        ASSERT_TRUE(QDir().mkpath(path()));
    } else {
        bindStaleSocket(path());
        if (!chownTo(path(), kOtherUser))
            GTEST_SKIP() << "cannot give a file to another user here";
    }
    struct stat before;
    ASSERT_EQ(::lstat(native.constData(), &before), 0);

    LogCapture log;
    SingleInstance instance(path());
    EXPECT_EQ(instance.acquire(), SingleInstance::Role::standalone);
    EXPECT_TRUE(log.contains(QStringLiteral("[instance] socket path taken by a ")));

    struct stat after;
    ASSERT_EQ(::lstat(native.constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
}

INSTANTIATE_TEST_SUITE_P(Cases, SingleInstanceSquatTest,
                         ::testing::Values(SquatCase{"RegularFile", "file"}, SquatCase{"Fifo", "fifo"},
                                           SquatCase{"Directory", "directory"},
                                           SquatCase{"StaleSocketOfAnotherUser", "stale-socket-of-other-user"}),
                         [](const ::testing::TestParamInfo<SquatCase> &info) { return std::string(info.param.name); });

// A listener of another user at our socket: no hand-over, no message.
TEST(SingleInstanceStrangerTest, ListenerOfAnotherUserIsNotHandedOverTo)
{
    QTemporaryDir dir;
    // The directory belongs to the user whose launcher this is; the listener
    // (this process) is someone else.
    if (::getuid() == kOtherUser || !chownTo(dir.path(), kOtherUser))
        GTEST_SKIP() << "cannot give a directory to another user here";
    const QString path = dir.filePath(QStringLiteral("instance"));
    QLocalServer squatter;
    ASSERT_TRUE(squatter.listen(path));
    int heard = 0;
    QObject::connect(&squatter, &QLocalServer::newConnection, [&] { ++heard; });

    LogCapture log;
    SingleInstance instance(path, nullptr, kOtherUser);
    EXPECT_EQ(instance.acquire(), SingleInstance::Role::standalone);
    EXPECT_TRUE(log.contains(QStringLiteral("[instance] listener of another user uid=%1").arg(::getuid())));
    EXPECT_FALSE(log.contains(QStringLiteral("[instance] handed over")));
    EXPECT_TRUE(QFileInfo::exists(path));
}

struct UnsafeDirectoryCase
{
    const char *name;
    const char *kind; // "group-writable", "other-owner", "symlink"
};

class SingleInstanceDirectoryTest : public ::testing::TestWithParam<UnsafeDirectoryCase>
{
};

TEST_P(SingleInstanceDirectoryTest, SocketDirectoryOthersCanEnterIsRefused)
{
    QTemporaryDir parent;
    const QString directory = parent.filePath(QStringLiteral("sockets"));
    const std::string kind = GetParam().kind;
    if (kind == "symlink") {
        ASSERT_TRUE(QFile::link(parent.path(), directory));
    } else {
        ASSERT_EQ(::mkdir(QFile::encodeName(directory).constData(), 0700), 0);
        if (kind == "group-writable")
            ASSERT_EQ(::chmod(QFile::encodeName(directory).constData(), 0770), 0);
        else if (!chownTo(directory, kOtherUser))
            GTEST_SKIP() << "cannot give a directory to another user here";
    }
    LogCapture log;
    SingleInstance instance(directory + QStringLiteral("/instance"));
    EXPECT_EQ(instance.acquire(), SingleInstance::Role::standalone);
    EXPECT_TRUE(log.contains(QStringLiteral("[instance] unsafe socket directory=") + directory));
    EXPECT_FALSE(QFileInfo::exists(directory + QStringLiteral("/instance")));
}

INSTANTIATE_TEST_SUITE_P(Cases, SingleInstanceDirectoryTest,
                         ::testing::Values(UnsafeDirectoryCase{"GroupWritable", "group-writable"},
                                           UnsafeDirectoryCase{"OwnedByAnotherUser", "other-owner"},
                                           UnsafeDirectoryCase{"SymbolicLink", "symlink"}),
                         [](const ::testing::TestParamInfo<UnsafeDirectoryCase> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
