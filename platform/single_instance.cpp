#include "single_instance.h"

#include "foundation/log.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int kConnectTimeoutMs = 1000;
constexpr int kWriteTimeoutMs = 1000;
// A peer that never finishes its line is dropped after this many bytes
// (room for a command line of import paths).
constexpr qint64 kMaxMessageBytes = 64 * 1024;
// The user at the other end of a connected local socket.
std::optional<unsigned> peerUser(qintptr descriptor)
{
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (descriptor < 0 || ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return std::nullopt;
    return unsigned(credentials.uid);
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject *parent, std::optional<unsigned> user)
    : QObject(parent), m_socketPath(std::move(socketPath)), m_user(user.value_or(unsigned(::getuid())))
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
    if (m_server && m_server->isListening())
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
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return HandOver::nobody;
    // Only our own launcher may hear from us, or keep us from starting.
    const std::optional<unsigned> peer = peerUser(socket.socketDescriptor());
    if (peer != m_user) {
        socket.abort();
        Log::write("[instance] listener of another user uid=%@ socket=%@ refused; running alone",
                   peer ? QString::number(*peer) : QStringLiteral("unknown"), m_socketPath);
        return HandOver::stranger;
    }
    // The running instance reads the line from its own event loop; waiting
    // for an answer here could deadlock two instances in one thread (tests)
    // and tells nothing more: a live process accepted the connection.
    socket.write(reopenMessageWith(m_handOverArguments));
    if (!socket.waitForBytesWritten(kWriteTimeoutMs) && socket.bytesToWrite() > 0)
        return HandOver::nobody;
    socket.disconnectFromServer();
    return HandOver::done;
}

bool SingleInstance::listen()
{
    // Nobody answered on the path a moment ago. A socket of our own user there
    // is a dead instance's leftover; anything else is not ours to remove (the
    // server would replace it without a word).
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
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        Log::write("[instance] listen failed socket=%@ error=%@", m_socketPath, m_server->errorString());
        m_server.reset();
        return false;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] { accept(); });
    return true;
}

void SingleInstance::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (const std::optional<unsigned> peer = peerUser(socket->socketDescriptor()); peer != m_user) {
            Log::write("[instance] refused connection of uid=%@",
                       peer ? QString::number(*peer) : QStringLiteral("unknown"));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const QPointer<QLocalSocket> guard(socket);
        auto readLine = [this, guard] {
            if (!guard)
                return;
            if (!guard->canReadLine()) {
                if (guard->bytesAvailable() > kMaxMessageBytes)
                    guard->abort();
                return;
            }
            const QByteArray line = guard->readLine(kMaxMessageBytes);
            guard->disconnectFromServer();
            if (const std::optional<QStringList> arguments = parseReopenMessage(line)) {
                Log::write("[instance] reopen");
                if (onReopenWithArguments)
                    onReopenWithArguments(*arguments);
                else if (onReopen)
                    onReopen();
            } else {
                Log::write("[instance] ignored message bytes=%d", int(line.size()));
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readLine);
        // A later start writes its line and leaves at once: what it wrote is
        // still readable after the disconnect.
        connect(socket, &QLocalSocket::disconnected, this, [guard, readLine] {
            readLine();
            if (guard)
                guard->deleteLater();
        });
        readLine(); // the line may have arrived with the connection
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
