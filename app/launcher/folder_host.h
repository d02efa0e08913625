#pragma once

#include "model/app_item.h"
#include "model/layout_entry.h"
#include "model/layout_folder.h"
#include "folders/folder_item.h"
#include "folders/folder_overlay.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QString>

#include <optional>

class IconProvider;
class LauncherSession;
struct LaunchOptions;
class QWidget;

// The launcher's side of an open folder: builds the overlay with the
// folder's applications, wires its callbacks to the session and the launcher,
// closes it, and places an application dragged out of it on the grid. At
// most one folder is open; a callback of an overlay that is no longer the
// open one does nothing.
class FolderHost
{
public:
    // What the folder needs of the launcher view.
    class Host
    {
    public:
        virtual ~Host() = default;
        // The view the overlay covers (its parent).
        virtual QWidget *folderParent() = 0;
        virtual LauncherSession &folderSession() = 0;
        virtual IconProvider &folderIcons() = 0;
        virtual const LaunchOptions &folderOptions() const = 0;
        virtual double folderGridIconSide() const = 0;
        virtual std::optional<QImage> folderBackdropImage() const = 0;
        virtual int folderCurrentPage() const = 0;
        virtual bool folderScrollMode() const = 0;
        virtual bool folderSearching() const = 0;
        // The slot of the grid that a drop at this launcher point goes to:
        // the one a tile dragged there would go to.
        virtual int folderInsertionIndex(const QPointF &point) const = 0;
        // A member dragged out of the folder is over the grid at this point:
        // the grid shows where it would land as for a tile dragged there.
        virtual void folderDropPreview(const QPointF &point) = 0;
        virtual void folderClearDropIndicators() = 0;
        virtual void folderOpenApp(const AppItem &app) = 0;
        // The overlay shown (null once the folder closed).
        virtual void folderOverlayChanged(FolderOverlay *overlay) = 0;
    };

    // Folder pages of the overlay.
    static constexpr int columns = 7;
    static constexpr int rows = 5;

    explicit FolderHost(Host &host);
    ~FolderHost();

    FolderHost(const FolderHost &) = delete;
    FolderHost &operator=(const FolderHost &) = delete;

    // Replaces an open folder. Without an initial page, the "--folder-page" option's.
    void show(const LayoutFolder &folder, std::optional<int> initialPage);
    void close();
    // Captures the drop now and, one turn of the event loop later, closes the
    // folder and commits the application's new place.
    void dropFromFolder(const QString &appID, const QPointF &point);
    void refreshGeometry();
    void backdropChanged();

    FolderOverlay *overlay() const { return m_overlay; }
    bool isOpen() const { return m_overlay != nullptr; }

    // What a folder is called after its title was edited to `typed`: the
    // default name when nothing but blanks remains, else the text as typed.
    static QString nameAfterEdit(const QString &typed);

private:
    QList<FolderItem> itemsOf(const LayoutFolder &folder) const;
    void rename(const LayoutFolder &folder, const QString &typed);
    void removeMember(const QString &appID);

    Host &m_host;
    QPointer<FolderOverlay> m_overlay;
};
