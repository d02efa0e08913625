#include "single_instance.h"

#include "foundation/log.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <unistd.h>

namespace {
constexpr int kConnectTimeoutMs = 1000;
constexpr int kWriteTimeoutMs = 1000;
// A peer that never finishes its line is dropped after this many bytes
// (room for a command line of import paths).
constexpr qint64 kMaxMessageBytes = 64 * 1024;
} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject *parent)
    : QObject(parent), m_socketPath(std::move(socketPath))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::socketPathFor(const QString &stateKey, unsigned uid)
{
    const QByteArray digest = QCryptographicHash::hash(QDir::cleanPath(stateKey).toUtf8(), QCryptographicHash::Sha1);
    const QString name = QStringLiteral("tessellon-%1-%2").arg(uid).arg(QString::fromLatin1(digest.toHex().left(16)));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString directory = (!runtime.isEmpty() && QFileInfo(runtime).isDir()) ? runtime : QDir::tempPath();
    return QDir(directory).filePath(name);
}

QString SingleInstance::socketPathFor(const QString &stateKey)
{
    return socketPathFor(stateKey, unsigned(::getuid()));
}

SingleInstance::Role SingleInstance::acquire()
{
    if (m_server && m_server->isListening())
        return Role::primary;
    if (handOver()) {
        Log::write("[instance] handed over socket=%@", m_socketPath);
        return Role::handedOver;
    }
    if (listen())
        return Role::primary;
    return Role::standalone;
}

bool SingleInstance::handOver()
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    // The running instance reads the line from its own event loop; waiting
    // for an answer here could deadlock two instances in one thread (tests)
    // and tells nothing more: a live process accepted the connection.
    socket.write(reopenMessageWith(m_handOverArguments));
    if (!socket.waitForBytesWritten(kWriteTimeoutMs) && socket.bytesToWrite() > 0)
        return false;
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen()
{
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    bool listening = m_server->listen(m_socketPath);
    if (!listening && m_server->serverError() == QAbstractSocket::AddressInUseError) {
        // Nobody answered on it a moment ago: a dead instance's leftover.
        QLocalServer::removeServer(m_socketPath);
        listening = m_server->listen(m_socketPath);
    }
    if (!listening) {
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
