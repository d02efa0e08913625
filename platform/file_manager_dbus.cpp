#include "file_manager_dbus.h"

#include "foundation/log.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace {

const QString kService = QStringLiteral("org.freedesktop.FileManager1");
const QString kPath = QStringLiteral("/org/freedesktop/FileManager1");

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
        m_openFolder = [](const QUrl &folder) { QDesktopServices::openUrl(folder); };
}

void DBusFileManager::showItems(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    if (!m_connection.isConnected()) {
        openFolders(paths);
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
                     [watcher, paths, openFolder](QDBusPendingCallWatcher *) {
                         const QDBusPendingReply<> reply = *watcher;
                         if (reply.isError()) {
                             Log::write("[finder] show-items failed error=%@ fallback=open-folder",
                                        reply.error().name());
                             for (const QUrl &folder : FileManager::containingFolders(paths))
                                 openFolder(folder);
                         }
                         watcher->deleteLater();
                     });
}

void DBusFileManager::openFolders(const QStringList &paths) const
{
    for (const QUrl &folder : containingFolders(paths))
        m_openFolder(folder);
}
