#pragma once

#include "file_manager.h"

#include <QDBusConnection>

// The freedesktop file-manager service ("org.freedesktop.FileManager1",
// method ShowItems) on the session bus. When the bus is not there or the call
// fails (no file manager implements the service), the folders that hold the
// items are opened instead through `openFolder`.
class DBusFileManager final : public FileManager
{
public:
    using FolderOpener = std::function<void(const QUrl &folder)>;

    explicit DBusFileManager(QDBusConnection connection = QDBusConnection::sessionBus(),
                             FolderOpener openFolder = {});

    void showItems(const QStringList &paths) override;

private:
    void openFolders(const QStringList &paths) const;

    QDBusConnection m_connection;
    FolderOpener m_openFolder;
};
