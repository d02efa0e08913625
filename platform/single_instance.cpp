#include "single_instance.h"

#include "foundation/log.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {
using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kConnectTimeout{1000};
constexpr std::chrono::milliseconds kWriteTimeout{1000};
// A busy listener's queue of connections is full; how long to wait before
// knocking again.
constexpr std::chrono::milliseconds kConnectRetry{10};
// A peer that never finishes its line is dropped after this many bytes
// (room for a command line of import paths).
constexpr qsizetype kMaxMessageBytes = 64 * 1024;
// A later start writes its whole line at once; a connection that has not
// sent one within this time is someone holding a descriptor open.
constexpr std::chrono::milliseconds kDefaultMessageTimeout{5000};
// Connections waiting for their line at one time. A later start's line comes
// with its connection and is read as it is accepted, so only a silent or slow
// connection ever waits; past this many the oldest is closed, so that no
// burst of connections can take every descriptor the launcher has.
constexpr qsizetype kMaxWaitingConnections = 32;
// Out of descriptors, a pending connection would wake the loop again at once;
// accepting pauses this long instead.
constexpr int kAcceptPauseMs = 1000;

// One open descriptor, closed when it goes.
class Descriptor
{
public:
    Descriptor() = default;
    explicit Descriptor(int descriptor) : m_descriptor(descriptor) {}
    Descriptor(Descriptor &&other) noexcept : m_descriptor(std::exchange(other.m_descriptor, -1)) {}
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_descriptor = std::exchange(other.m_descriptor, -1);
        }
        return *this;
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() { reset(); }

    int get() const { return m_descriptor; }
    explicit operator bool() const { return m_descriptor >= 0; }
    // Not retried on EINTR: Linux frees the descriptor even then, and a retry
    // could close one that another thread has just opened.
    void reset()
    {
        if (m_descriptor >= 0)
            ::close(std::exchange(m_descriptor, -1));
    }

private:
    int m_descriptor = -1;
};

// The user at the other end of a connected local socket.
std::optional<unsigned> peerUser(int descriptor)
{
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (descriptor < 0 || ::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return std::nullopt;
    return unsigned(credentials.uid);
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The address of the socket file at `path`; nothing (with errno set) when the
// path does not fit.
std::optional<sockaddr_un> addressOf(const QByteArray &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path) {
        errno = path.isEmpty() ? ENOENT : ENAMETOOLONG;
        return std::nullopt;
    }
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return address;
}

// Whether `descriptor` became ready for `events` (or failed, for the next call
// to say how) before `deadline`.
bool waitFor(int descriptor, short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd entry{descriptor, events, 0};
        const int ready = ::poll(&entry, 1, int(left.count()));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

// A connection to the listener at `path`, or nothing when none answers by
// `deadline`. A socket file whose listener is gone refuses at once.
Descriptor connectWithin(const QString &path, Clock::time_point deadline)
{
    const std::optional<sockaddr_un> address = addressOf(QFile::encodeName(path));
    if (!address)
        return {};
    Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket)
        return {};
    for (;;) {
        if (::connect(socket.get(), reinterpret_cast<const sockaddr *>(&*address), sizeof *address) == 0 ||
            errno == EISCONN)
            return socket;
        switch (errno) {
        case EINTR:
            continue;
        case EAGAIN: {
            // The listener lives but has not taken its earlier connections
            // yet; a local socket does not queue this one, so knock again.
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return {};
            ::poll(nullptr, 0, int(std::min(left, kConnectRetry).count()));
            continue;
        }
        case EINPROGRESS:
        case EALREADY: {
            int error = 0;
            socklen_t length = sizeof error;
            if (!waitFor(socket.get(), POLLOUT, deadline) ||
                ::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
                return {};
            return socket;
        }
        default:
            return {};
        }
    }
}

// Whether all of `data` went out on `socket` before `deadline`.
bool writeWithin(int socket, const QByteArray &data, Clock::time_point deadline)
{
    qsizetype written = 0;
    while (written < data.size()) {
        // MSG_NOSIGNAL: a listener that went away is a failed hand-over, not
        // a SIGPIPE that ends this start.
        const ssize_t sent = ::send(socket, data.constData() + written, size_t(data.size() - written), MSG_NOSIGNAL);
        if (sent >= 0)
            written += sent;
        else if (errno == EINTR)
            continue;
        else if ((errno != EAGAIN && errno != EWOULDBLOCK) || !waitFor(socket, POLLOUT, deadline))
            return false;
    }
    return true;
}

} // namespace

// The listening socket, watched on the event loop, and the file it is bound to.
struct SingleInstance::Listener
{
    Descriptor socket;
    std::unique_ptr<QSocketNotifier> notifier;
    QByteArray path;
    dev_t device = 0;
    ino_t inode = 0;

    ~Listener()
    {
        // The notifier goes before the descriptor it watches.
        notifier.reset();
        // The file goes with the listener, so that the next start need not
        // find it refusing; a file that has since been replaced is not ours.
        struct stat status;
        if (::lstat(path.constData(), &status) == 0 && status.st_dev == device && status.st_ino == inode)
            ::unlink(path.constData());
    }
};

// One connection of a later start, read without blocking as its bytes arrive:
// a peer that connects and says nothing holds up nobody, and is closed when
// its time for a whole line has run out, so that idle connections cannot pile
// up until the launcher has no descriptor left.
class SingleInstance::Peer : public QObject
{
public:
    Peer(Descriptor socket, SingleInstance &owner)
        : QObject(&owner), m_owner(owner), m_socket(std::move(socket)), m_notifier(m_socket.get(), QSocketNotifier::Read)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] { read(); });
        // From the connection on, not from the last byte: a peer that trickles
        // a byte now and then gets no more time than one that says nothing.
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] { finish(); });
        m_deadline.start(owner.m_messageTimeout);
    }

    void read()
    {
        char chunk[4096];
        for (;;) {
            const ssize_t got = ::read(m_socket.get(), chunk, sizeof chunk);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            // What the peer wrote before it left has been read: without a
            // whole line there is nothing to do.
            if (got <= 0) {
                finish();
                return;
            }
            const qsizetype searched = m_pending.size();
            m_pending.append(chunk, got);
            const qsizetype end = m_pending.indexOf('\n', searched);
            if (end >= 0 && end < kMaxMessageBytes) {
                const QByteArray line = m_pending.left(end + 1);
                SingleInstance &owner = m_owner;
                finish();
                owner.handleLine(line);
                return;
            }
            if (m_pending.size() >= kMaxMessageBytes) {
                finish();
                return;
            }
        }
    }

    // One line a connection. The descriptor closes now; the object goes once
    // the notifier's signal has returned.
    void finish()
    {
        m_owner.m_waiting.removeOne(this);
        m_deadline.stop();
        m_notifier.setEnabled(false);
        m_socket.reset();
        deleteLater();
    }

private:
    SingleInstance &m_owner;
    Descriptor m_socket;
    QSocketNotifier m_notifier;
    QTimer m_deadline{this};
    QByteArray m_pending;
};

SingleInstance::SingleInstance(QString socketPath, QObject *parent, std::optional<unsigned> user)
    : QObject(parent), m_socketPath(std::move(socketPath)), m_user(user.value_or(unsigned(::getuid()))),
      m_messageTimeout(kDefaultMessageTimeout)
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::socketPathFor(const QString &stateKey, unsigned uid)
{
    const QByteArray digest = QCryptographicHash::hash(QDir::cleanPath(stateKey).toUtf8(), QCryptographicHash::Sha1);
    const QString name = QStringLiteral("tessellon-%1-%2").arg(uid).arg(QString::fromLatin1(digest.toHex().left(16)));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    // The shared temporary directory is open to every user, and a name there
    // can be predicted and taken first: the fallback is a directory of our own.
    const QString directory =
        (!runtime.isEmpty() && QFileInfo(runtime).isDir()) ? runtime : privateDirectoryFor(uid);
    return QDir(directory).filePath(name);
}

QString SingleInstance::privateDirectoryFor(unsigned uid)
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("tessellon-%1").arg(uid));
}

QString SingleInstance::socketPathFor(const QString &stateKey)
{
    return socketPathFor(stateKey, unsigned(::getuid()));
}

SingleInstance::Role SingleInstance::acquire()
{
    if (m_listener)
        return Role::primary;
    if (!directoryIsPrivate())
        return Role::standalone;
    switch (handOver()) {
    case HandOver::done:
        Log::write("[instance] handed over socket=%@", m_socketPath);
        return Role::handedOver;
    case HandOver::stranger:
        return Role::standalone;
    case HandOver::nobody:
        break;
    }
    if (listen())
        return Role::primary;
    return Role::standalone;
}

bool SingleInstance::directoryIsPrivate()
{
    const QString directory = QFileInfo(m_socketPath).absolutePath();
    const QByteArray native = QFile::encodeName(directory);
    if (directory == privateDirectoryFor(m_user) && ::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        Log::write("[instance] listen failed socket=%@ error=cannot make directory: %@; running alone", m_socketPath,
                   errnoText());
        return false;
    }
    struct stat status;
    if (::lstat(native.constData(), &status) != 0) {
        Log::write("[instance] listen failed socket=%@ error=%@; running alone", m_socketPath, errnoText());
        return false;
    }
    if (!S_ISDIR(status.st_mode) || status.st_uid != m_user || (status.st_mode & 0077) != 0) {
        Log::write("[instance] unsafe socket directory=%@ owner=%d mode=%@ (wanted a directory of user %d that only "
                   "it can enter); running alone",
                   directory, int(status.st_uid), QString::number(status.st_mode & 07777, 8), int(m_user));
        return false;
    }
    return true;
}

SingleInstance::HandOver SingleInstance::handOver()
{
    const Descriptor socket = connectWithin(m_socketPath, Clock::now() + kConnectTimeout);
    if (!socket)
        return HandOver::nobody;
    // Only our own launcher may hear from us, or keep us from starting.
    const std::optional<unsigned> peer = peerUser(socket.get());
    if (peer != m_user) {
        Log::write("[instance] listener of another user uid=%@ socket=%@ refused; running alone",
                   peer ? QString::number(*peer) : QStringLiteral("unknown"), m_socketPath);
        return HandOver::stranger;
    }
    // The running instance reads the line from its own event loop; waiting
    // for an answer here could deadlock two instances in one thread (tests)
    // and tells nothing more: a live process accepted the connection. What
    // was written stays readable after the descriptor closes.
    if (!writeWithin(socket.get(), reopenMessageWith(m_handOverArguments), Clock::now() + kWriteTimeout))
        return HandOver::nobody;
    return HandOver::done;
}

bool SingleInstance::listen()
{
    // Nobody answered on the path a moment ago. A socket of our own user there
    // is a dead instance's leftover; anything else is not ours to remove.
    const QByteArray native = QFile::encodeName(m_socketPath);
    struct stat status;
    if (::lstat(native.constData(), &status) == 0) {
        if (!S_ISSOCK(status.st_mode) || status.st_uid != m_user) {
            Log::write("[instance] socket path taken by a %@ of uid=%d socket=%@; left alone, running alone",
                       S_ISSOCK(status.st_mode) ? QStringLiteral("socket") : QStringLiteral("non-socket"),
                       int(status.st_uid), m_socketPath);
            return false;
        }
        ::unlink(native.constData());
    }
    const auto failed = [this](const QString &error) {
        Log::write("[instance] listen failed socket=%@ error=%@", m_socketPath, error);
        return false;
    };
    const std::optional<sockaddr_un> address = addressOf(native);
    if (!address)
        return failed(errnoText());
    Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    // bind() gives the file the socket's own mode less the umask: made
    // private first, the file is never open to others, not even for a moment.
    if (!socket || ::fchmod(socket.get(), S_IRWXU) != 0)
        return failed(errnoText());
    if (::bind(socket.get(), reinterpret_cast<const sockaddr *>(&*address), sizeof *address) != 0)
        return failed(errnoText());
    // The umask may have taken our own bits too, and without write permission
    // not even our own later start could connect.
    if (::chmod(native.constData(), S_IRWXU) != 0 || ::lstat(native.constData(), &status) != 0 ||
        ::listen(socket.get(), SOMAXCONN) != 0) {
        const QString error = errnoText();
        ::unlink(native.constData());
        return failed(error);
    }
    m_listener = std::make_unique<Listener>();
    m_listener->path = native;
    m_listener->device = status.st_dev;
    m_listener->inode = status.st_ino;
    m_listener->notifier = std::make_unique<QSocketNotifier>(socket.get(), QSocketNotifier::Read);
    m_listener->socket = std::move(socket);
    connect(m_listener->notifier.get(), &QSocketNotifier::activated, this, [this] { accept(); });
    return true;
}

void SingleInstance::accept()
{
    for (;;) {
        Descriptor connection(::accept4(m_listener->socket.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!connection) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return;
            Log::write("[instance] accept failed error=%@; trying again in %d ms", errnoText(), kAcceptPauseMs);
            m_listener->notifier->setEnabled(false);
            QTimer::singleShot(kAcceptPauseMs, this, [this] {
                if (m_listener)
                    m_listener->notifier->setEnabled(true);
            });
            return;
        }
        if (const std::optional<unsigned> peer = peerUser(connection.get()); peer != m_user) {
            Log::write("[instance] refused connection of uid=%@",
                       peer ? QString::number(*peer) : QStringLiteral("unknown"));
            continue;
        }
        if (m_waiting.size() >= kMaxWaitingConnections)
            m_waiting.first()->finish();
        auto *peer = new Peer(std::move(connection), *this);
        m_waiting.append(peer);
        // The line may have arrived with the connection.
        peer->read();
    }
}

void SingleInstance::handleLine(const QByteArray &line)
{
    if (const std::optional<QStringList> arguments = parseReopenMessage(line)) {
        Log::write("[instance] reopen");
        if (onReopenWithArguments)
            onReopenWithArguments(*arguments);
        else if (onReopen)
            onReopen();
    } else {
        Log::write("[instance] ignored message bytes=%d", int(line.size()));
    }
}

QByteArray SingleInstance::reopenMessageWith(const QStringList &arguments)
{
    QByteArray message = reopenMessage.chopped(1);
    for (const QString &argument : arguments) {
        message += '\t';
        message += argument.toUtf8().toBase64();
    }
    message += '\n';
    return message;
}

std::optional<QStringList> SingleInstance::parseReopenMessage(const QByteArray &line)
{
    if (!line.endsWith('\n'))
        return std::nullopt;
    const QList<QByteArray> fields = line.chopped(1).split('\t');
    if (fields.first() != reopenMessage.chopped(1))
        return std::nullopt;
    QStringList arguments;
    for (qsizetype i = 1; i < fields.size(); ++i) {
        const QByteArray::FromBase64Result decoded =
            QByteArray::fromBase64Encoding(fields.at(i), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        arguments.append(QString::fromUtf8(*decoded));
    }
    return arguments;
}
