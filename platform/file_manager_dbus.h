#pragma once

#include "file_manager.h"

#include <QDBusConnection>

// The freedesktop file-manager service ("org.freedesktop.FileManager1",
// method ShowItems) on the session bus. When the bus is not there or the call
// fails (no file manager implements the service), the folders that hold the
// items are opened instead through `openFolder`, the desktop's handler for
// folders by default ("xdg-open"); when one of those does not open either,
// the request's failure handler hears of it, once.
class DBusFileManager final : public FileManager
{
public:
    // Opens one folder and calls `done` with whether it did, now or later.
    using FolderOpener = std::function<void(const QUrl &folder, std::function<void(bool opened)> done)>;

    explicit DBusFileManager(QDBusConnection connection = QDBusConnection::sessionBus(),
                             FolderOpener openFolder = {});

    void showItems(const QStringList &paths, FailureHandler onFailure) override;

    // "xdg-open" with the folder; it opened when the tool ran and exited with 0.
    static void openWithDesktopHandler(const QUrl &folder, std::function<void(bool opened)> done);

private:
    static void openFolders(const FolderOpener &openFolder, const QStringList &paths, const FailureHandler &onFailure);

    QDBusConnection m_connection;
    FolderOpener m_openFolder;
};
