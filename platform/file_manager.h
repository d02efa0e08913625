#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

// Shows files in the desktop's file manager, selected.
class FileManager
{
public:
    // Nothing could show the items: `folder` is the first containing folder
    // that did not open. Called at most once a request, maybe later, from the
    // event loop.
    using FailureHandler = std::function<void(const QString &folder)>;

    virtual ~FileManager() = default;

    // Absolute paths; nothing for an empty list.
    virtual void showItems(const QStringList &paths, FailureHandler onFailure) = 0;

    // The desktop's file manager (see DBusFileManager).
    static std::shared_ptr<FileManager> desktop();

    // The folders that hold the paths, each once, in first-seen order.
    static QList<QUrl> containingFolders(const QStringList &paths);
};
