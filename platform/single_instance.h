#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// One running launcher per user and state directory. The first start listens
// on a local socket; a later start finds it there, asks it to bring the
// launcher forward (as a click on the Dock icon would) and then exits.
//
// Nobody else may stand in for the running launcher: the socket lives in a
// directory only its user can enter (checked, never trusted by name), a later
// start hands over only to a listener of the same user, and the running one
// takes messages only from its own user. Anything at the socket's path that is
// not a stale socket of the same user is left alone; the launcher then runs
// alone and says so in one line.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Role
    {
        // This process is the running instance and now listens.
        primary,
        // Another instance runs and has been asked to come forward.
        handedOver,
        // Neither: the socket could not be set up; run on alone.
        standalone,
    };

    // `socketPath`: the local socket's full path, see socketPathFor(). `user`:
    // whose launcher this is; this process's user when none.
    explicit SingleInstance(QString socketPath, QObject *parent = nullptr, std::optional<unsigned> user = std::nullopt);
    ~SingleInstance() override;

    // The socket of user `uid` for the state kept under `stateKey` (the state
    // directory, or the home directory when there is none): in
    // $XDG_RUNTIME_DIR when set, else in the private directory
    // "<temporary directory>/tessellon-<uid>" (made on acquire()), named
    // "tessellon-<uid>-<hash of stateKey>".
    static QString socketPathFor(const QString &stateKey, unsigned uid);
    // The same for this process's user.
    static QString socketPathFor(const QString &stateKey);
    // The private fallback directory of user `uid`.
    static QString privateDirectoryFor(unsigned uid);

    // Hands over to a running instance when one answers, else becomes the
    // running instance. A socket left behind by an instance that died is
    // replaced. Main thread; does not wait for the other instance's loop.
    Role acquire();

    QString socketPath() const { return m_socketPath; }

    // Called on the main thread each time a later start hands over.
    std::function<void()> onReopen;
    // When set, called instead of onReopen, with what the later start was
    // given on its command line (without the executable; empty for none).
    std::function<void(const QStringList &arguments)> onReopenWithArguments;

    // What a later start hands over besides the reopen itself.
    void setHandOverArguments(const QStringList &arguments) { m_handOverArguments = arguments; }

    // How long a connection may take to send its whole line before it is
    // closed (a few seconds unless set); for connections accepted afterwards.
    void setMessageTimeout(std::chrono::milliseconds timeout) { m_messageTimeout = timeout; }

    // The one message of the hand-over protocol: "reopen", then for each
    // argument a tab and the argument's UTF-8 in base64, then a newline.
    static inline const QByteArray reopenMessage = QByteArrayLiteral("reopen\n");
    static QByteArray reopenMessageWith(const QStringList &arguments);
    // The arguments of a reopen message; nothing for any other line.
    static std::optional<QStringList> parseReopenMessage(const QByteArray &line);

private:
    enum class HandOver { done, nobody, stranger };
    HandOver handOver();
    // Whether the socket's directory is one only our user can enter; makes
    // the private fallback directory when it is missing.
    bool directoryIsPrivate();
    bool listen();
    void accept();
    void handleLine(const QByteArray &line);

    // The listening socket and its file; a connection of a later start.
    struct Listener;
    class Peer;

    QString m_socketPath;
    unsigned m_user = 0;
    QStringList m_handOverArguments;
    std::chrono::milliseconds m_messageTimeout;
    std::unique_ptr<Listener> m_listener;
    // Accepted connections still waiting for their line, oldest first.
    QList<Peer *> m_waiting;
};
