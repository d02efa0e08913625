#include "single_instance.h"

#include "support/temp_env.h"

#include <QDir>
#include <QEventLoop>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/socket.h>
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
    EXPECT_EQ(QFileInfo(fallback).absolutePath(), QDir(QDir::tempPath()).absolutePath());
}

} // namespace
