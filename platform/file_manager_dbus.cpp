#include "file_manager_dbus.h"

#include "foundation/log.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <memory>
#include <utility>

namespace {

const QString kService = QStringLiteral("org.freedesktop.FileManager1");
const QString kPath = QStringLiteral("/org/freedesktop/FileManager1");
const QString kDesktopOpener = QStringLiteral("xdg-open");

} // namespace

std::shared_ptr<FileManager> FileManager::desktop()
{
    return std::make_shared<DBusFileManager>();
}

QList<QUrl> FileManager::containingFolders(const QStringList &paths)
{
    QList<QUrl> folders;
    for (const QString &path : paths) {
        if (path.isEmpty())
            continue;
        // A bundle is a folder itself: what holds it is its parent.
        const QString parent = QFileInfo(QDir::cleanPath(path)).absolutePath();
        const QUrl url = QUrl::fromLocalFile(parent);
        if (!folders.contains(url))
            folders.append(url);
    }
    return folders;
}

DBusFileManager::DBusFileManager(QDBusConnection connection, FolderOpener openFolder)
    : m_connection(std::move(connection))
    , m_openFolder(std::move(openFolder))
{
    if (!m_openFolder)
        m_openFolder = &DBusFileManager::openWithDesktopHandler;
}

void DBusFileManager::showItems(const QStringList &paths, FailureHandler onFailure)
{
    if (paths.isEmpty())
        return;
    if (!m_connection.isConnected()) {
        openFolders(m_openFolder, paths, onFailure);
        return;
    }
    QStringList uris;
    for (const QString &path : paths)
        uris.append(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("ShowItems"));
    message << uris << QString();
    // Asynchronous: a slow file manager never holds up the launcher.
    const QDBusPendingCall call = m_connection.asyncCall(message);
    auto *watcher = new QDBusPendingCallWatcher(call);
    const FolderOpener openFolder = m_openFolder;
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, paths, openFolder, onFailure](QDBusPendingCallWatcher *) {
                         const QDBusPendingReply<> reply = *watcher;
                         if (reply.isError()) {
                             Log::write("[finder] show-items failed error=%@ fallback=open-folder",
                                        reply.error().name());
                             openFolders(openFolder, paths, onFailure);
                         }
                         watcher->deleteLater();
                     });
}

void DBusFileManager::openFolders(const FolderOpener &openFolder, const QStringList &paths,
                                  const FailureHandler &onFailure)
{
    // Several folders may fail; the user hears of the first one only.
    auto reported = std::make_shared<bool>(false);
    for (const QUrl &folder : containingFolders(paths)) {
        openFolder(folder, [folder, onFailure, reported](bool opened) {
            if (opened || *reported)
                return;
            *reported = true;
            Log::write("[finder] open-folder failed folder=%@", folder.toLocalFile());
            if (onFailure)
                onFailure(folder.toLocalFile());
        });
    }
}

void DBusFileManager::openWithDesktopHandler(const QUrl &folder, std::function<void(bool opened)> done)
{
    auto *process = new QProcess;
    process->setProgram(kDesktopOpener);
    process->setArguments({folder.toString(QUrl::FullyEncoded)});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // Either signal ends the run, once: a tool that cannot start reports only
    // its error, one that ran only its exit.
    auto finish = [process, done, over = std::make_shared<bool>(false)](bool opened) {
        if (std::exchange(*over, true))
            return;
        process->deleteLater();
        if (done)
            done(opened);
    };
    QObject::connect(process, &QProcess::errorOccurred, process, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(false);
    });
    QObject::connect(process, &QProcess::finished, process, [finish](int exitCode, QProcess::ExitStatus status) {
        finish(status == QProcess::NormalExit && exitCode == 0);
    });
    process->start();
}
