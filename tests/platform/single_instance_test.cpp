#include "single_instance.h"

#include "support/temp_env.h"

#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <vector>

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

// A plain Unix-domain socket for the tests to play a peer with, closed when
// it goes.
class PlainSocket
{
public:
    explicit PlainSocket(int descriptor = -1) : m_descriptor(descriptor) {}
    PlainSocket(PlainSocket &&other) noexcept : m_descriptor(std::exchange(other.m_descriptor, -1)) {}
    PlainSocket(const PlainSocket &) = delete;
    PlainSocket &operator=(const PlainSocket &) = delete;
    ~PlainSocket()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }

    // A client connected to the listener at `path`; not open when none is there.
    static PlainSocket connectedTo(const QString &path)
    {
        PlainSocket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        const sockaddr_un address = addressOf(path);
        if (socket.isOpen() && ::connect(socket.fd(), reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
            return PlainSocket();
        return socket;
    }
    // A listener at `path` that nobody accepts on; accept4() does not wait.
    static PlainSocket listeningAt(const QString &path)
    {
        PlainSocket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        const sockaddr_un address = addressOf(path);
        if (socket.isOpen() && (::bind(socket.fd(), reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
                                ::listen(socket.fd(), 8) != 0))
            return PlainSocket();
        return socket;
    }

    int fd() const { return m_descriptor; }
    bool isOpen() const { return m_descriptor >= 0; }

    bool writeAll(const QByteArray &data) const
    {
        for (qsizetype written = 0; written < data.size();) {
            const ssize_t sent =
                ::send(m_descriptor, data.constData() + written, size_t(data.size() - written), MSG_NOSIGNAL);
            if (sent < 0 && errno != EINTR)
                return false;
            written += std::max<ssize_t>(sent, 0);
        }
        return true;
    }
    // Whether the other end has closed (read returns end of file, or the
    // connection was reset); never waits.
    bool peerClosed() const
    {
        char byte;
        const ssize_t got = ::recv(m_descriptor, &byte, 1, MSG_DONTWAIT);
        return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
    }

private:
    static sockaddr_un addressOf(const QString &path)
    {
        const QByteArray native = QFile::encodeName(path);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, native.constData(), std::min(size_t(native.size()), sizeof address.sun_path - 1));
        return address;
    }

    int m_descriptor;
};

// This process's open descriptors.
std::set<int> openDescriptors()
{
    std::set<int> open;
    DIR *directory = ::opendir("/proc/self/fd");
    if (!directory)
        return open;
    while (const dirent *entry = ::readdir(directory)) {
        if (entry->d_name[0] != '.')
            open.insert(std::atoi(entry->d_name));
    }
    open.erase(::dirfd(directory));
    ::closedir(directory);
    return open;
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

// The listener's socket file is private to its user and goes with it; no
// descriptor outlives the connection or the instance it belongs to, and none
// is left to the applications the launcher starts.
TEST_F(SingleInstanceTest, SocketFileAndDescriptorsGoWithTheRunningInstance)
{
    // The event loop's own descriptors exist before counting.
    ASSERT_TRUE(spinUntil([] { return true; }));
    const std::set<int> before = openDescriptors();
    {
        SingleInstance running(path());
        // The silent connection stays open while it is counted.
        running.setMessageTimeout(std::chrono::hours(1));
        int reopens = 0;
        running.onReopen = [&] { ++reopens; };
        ASSERT_EQ(running.acquire(), SingleInstance::Role::primary);
        struct stat status;
        ASSERT_EQ(::lstat(QFile::encodeName(path()).constData(), &status), 0);
        EXPECT_TRUE(S_ISSOCK(status.st_mode));
        EXPECT_EQ(status.st_mode & 07777, 0700u);

        const PlainSocket silent = PlainSocket::connectedTo(path());
        ASSERT_TRUE(silent.isOpen());
        SingleInstance later(path());
        ASSERT_EQ(later.acquire(), SingleInstance::Role::handedOver);
        ASSERT_TRUE(spinUntil([&] { return reopens == 1; }));

        const std::set<int> during = openDescriptors();
        // The listener and both ends of the silent connection; the hand-over's
        // connection is closed on both sides.
        EXPECT_EQ(during.size(), before.size() + 3);
        for (const int descriptor : during) {
            if (!before.contains(descriptor)) {
                EXPECT_TRUE(::fcntl(descriptor, F_GETFD) & FD_CLOEXEC) << "descriptor " << descriptor;
            }
        }
    }
    EXPECT_EQ(openDescriptors(), before);
    struct stat status;
    EXPECT_NE(::lstat(QFile::encodeName(path()).constData(), &status), 0) << "the socket file outlived its listener";

    SingleInstance next(path());
    EXPECT_EQ(next.acquire(), SingleInstance::Role::primary);
}

// A peer that connects and stops halfway through its line holds up neither
// the running instance nor the starts after it.
TEST_F(SingleInstanceTest, StalledPeerDoesNotHoldUpAHandOver)
{
    SingleInstance running(path());
    running.setMessageTimeout(std::chrono::hours(1));
    int reopens = 0;
    running.onReopen = [&] { ++reopens; };
    ASSERT_EQ(running.acquire(), SingleInstance::Role::primary);

    const PlainSocket stalled = PlainSocket::connectedTo(path());
    ASSERT_TRUE(stalled.isOpen());
    ASSERT_TRUE(stalled.writeAll("reop"));
    ASSERT_TRUE(spinUntil([] { return true; }));

    SingleInstance later(path());
    EXPECT_EQ(later.acquire(), SingleInstance::Role::handedOver);
    ASSERT_TRUE(spinUntil([&] { return reopens == 1; }));
    EXPECT_FALSE(stalled.peerClosed());
}

// A connection that has not sent its whole line when its time runs out is
// closed, whether it said nothing or stopped halfway: idle connections cannot
// pile up and hold the launcher's descriptors. A later start still gets in.
TEST_F(SingleInstanceTest, ConnectionsWithoutAWholeLineInTimeAreClosed)
{
    SingleInstance running(path());
    running.setMessageTimeout(std::chrono::milliseconds(50));
    int reopens = 0;
    running.onReopen = [&] { ++reopens; };
    ASSERT_EQ(running.acquire(), SingleInstance::Role::primary);
    ASSERT_TRUE(spinUntil([] { return true; }));
    const std::set<int> before = openDescriptors();

    {
        std::vector<PlainSocket> idle;
        for (int i = 0; i < 20; ++i) {
            idle.push_back(PlainSocket::connectedTo(path()));
            ASSERT_TRUE(idle.back().isOpen());
        }
        ASSERT_TRUE(idle.front().writeAll("reop"));
        ASSERT_TRUE(spinUntil([&] {
            return std::all_of(idle.cbegin(), idle.cend(), [](const PlainSocket &socket) { return socket.peerClosed(); });
        }));
    }
    // Only the clients' ends were left, and they are gone now.
    ASSERT_TRUE(spinUntil([&] { return openDescriptors() == before; }));
    EXPECT_EQ(reopens, 0);

    SingleInstance later(path());
    EXPECT_EQ(later.acquire(), SingleInstance::Role::handedOver);
    ASSERT_TRUE(spinUntil([&] { return reopens == 1; }));
}

// A burst of connections that say nothing holds no more than a bounded number
// of the launcher's descriptors, even before their time runs out: the oldest
// waiting one is closed for each newcomer past the bound.
TEST_F(SingleInstanceTest, ABurstOfSilentConnectionsHoldsABoundedNumberOfDescriptors)
{
    SingleInstance running(path());
    running.setMessageTimeout(std::chrono::hours(1));
    int reopens = 0;
    running.onReopen = [&] { ++reopens; };
    ASSERT_EQ(running.acquire(), SingleInstance::Role::primary);
    ASSERT_TRUE(spinUntil([] { return true; }));
    const std::set<int> before = openDescriptors();

    constexpr int kBurst = 100;
    constexpr int kBound = 32;
    std::vector<PlainSocket> silent;
    for (int i = 0; i < kBurst; ++i) {
        silent.push_back(PlainSocket::connectedTo(path()));
        ASSERT_TRUE(silent.back().isOpen());
    }
    ASSERT_TRUE(spinUntil([&] {
        return std::all_of(silent.cbegin(), silent.cend() - kBound,
                           [](const PlainSocket &socket) { return socket.peerClosed(); });
    }));
    EXPECT_TRUE(std::none_of(silent.cend() - kBound, silent.cend(),
                             [](const PlainSocket &socket) { return socket.peerClosed(); }));
    EXPECT_EQ(openDescriptors().size(), before.size() + kBurst + kBound);

    // A later start's line is read as it is accepted, whatever waits.
    SingleInstance later(path());
    EXPECT_EQ(later.acquire(), SingleInstance::Role::handedOver);
    ASSERT_TRUE(spinUntil([&] { return reopens == 1; }));
}

// A line arrives in many reads; up to the cap it is read whole.
TEST_F(SingleInstanceTest, LongLineWithinTheCapArrivesWhole)
{
    SingleInstance running(path());
    QList<QStringList> received;
    running.onReopenWithArguments = [&](const QStringList &arguments) { received.append(arguments); };
    ASSERT_EQ(running.acquire(), SingleInstance::Role::primary);

    const QStringList arguments{QStringLiteral("--import-path"), QString(45000, QLatin1Char('a'))};
    ASSERT_LT(SingleInstance::reopenMessageWith(arguments).size(), 64 * 1024);
    SingleInstance later(path());
    later.setHandOverArguments(arguments);
    ASSERT_EQ(later.acquire(), SingleInstance::Role::handedOver);
    ASSERT_TRUE(spinUntil([&] { return !received.isEmpty(); }));
    EXPECT_EQ(received.value(0), arguments);
}

// A peer that writes on and on without ending its line is cut off at the cap
// rather than read into memory without end.
TEST_F(SingleInstanceTest, UnendingLineIsCutOffAtTheCap)
{
    LogCapture log;
    SingleInstance running(path());
    int reopens = 0;
    running.onReopen = [&] { ++reopens; };
    ASSERT_EQ(running.acquire(), SingleInstance::Role::primary);

    const PlainSocket flood = PlainSocket::connectedTo(path());
    ASSERT_TRUE(flood.isOpen());
    const QByteArray data(64 * 1024 + 1, 'x');
    qsizetype sent = 0;
    ASSERT_TRUE(spinUntil([&] {
        if (sent < data.size()) {
            const ssize_t more = ::send(flood.fd(), data.constData() + sent, size_t(data.size() - sent),
                                        MSG_DONTWAIT | MSG_NOSIGNAL);
            sent += std::max<ssize_t>(more, 0);
            return more < 0 && (errno == EPIPE || errno == ECONNRESET);
        }
        return flood.peerClosed();
    }));
    EXPECT_EQ(reopens, 0);
    EXPECT_FALSE(log.contains(QStringLiteral("[instance] ignored message")));
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

    const PlainSocket stranger = PlainSocket::connectedTo(path());
    ASSERT_TRUE(stranger.isOpen());
    ASSERT_TRUE(stranger.writeAll("quit\n"));
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
    const PlainSocket squatter = PlainSocket::listeningAt(path);
    ASSERT_TRUE(squatter.isOpen());

    LogCapture log;
    SingleInstance instance(path, nullptr, kOtherUser);
    EXPECT_EQ(instance.acquire(), SingleInstance::Role::standalone);
    EXPECT_TRUE(log.contains(QStringLiteral("[instance] listener of another user uid=%1").arg(::getuid())));
    EXPECT_FALSE(log.contains(QStringLiteral("[instance] handed over")));
    EXPECT_TRUE(QFileInfo::exists(path));
    // The connection that found a stranger there carried nothing.
    const PlainSocket knock(::accept4(squatter.fd(), nullptr, nullptr, SOCK_CLOEXEC));
    ASSERT_TRUE(knock.isOpen());
    char byte;
    EXPECT_EQ(::read(knock.fd(), &byte, 1), 0);
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
