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

class LauncherGrid;
class QWidget;

// The launcher's side of an open folder: builds the overlay with the
// folder's applications, wires its callbacks to the session and the launcher,
// closes it, and places an application dragged out of it on the grid. At
// most one folder is open; a callback of an overlay that is no longer the
// open one does nothing.
class FolderHost
{
public:
    // What the folder asks of the launcher view; the grid behind the
    // overlay it reads from the LauncherGrid.
    class Host
    {
    public:
        virtual ~Host() = default;
        // The blurred desktop picture the overlay's panel shows through.
        virtual std::optional<QImage> backdropImage() const = 0;
        // A member dragged out of the folder is over the grid at this point:
        // the grid shows where it would land as for a tile dragged there.
        virtual void dropPreview(const QPointF &point) = 0;
        virtual void clearDropIndicators() = 0;
        virtual void openApp(const AppItem &app) = 0;
        // The overlay shown (null once the folder closed).
        virtual void overlayChanged(FolderOverlay *overlay) = 0;
    };

    // Folder pages of the overlay.
    static constexpr int columns = 7;
    static constexpr int rows = 5;

    FolderHost(LauncherGrid &grid, Host &host);
    ~FolderHost();

    FolderHost(const FolderHost &) = delete;
    FolderHost &operator=(const FolderHost &) = delete;

    // Replaces an open folder. Without an initial page, the "--folder-page" option's.
    void show(const LayoutFolder &folder, std::optional<int> initialPage);
    void close();
    // "--open-folder": the layout's first folder, or else one made of the
    // first four applications, shown without changing the layout.
    void showDemo();
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

    LauncherGrid &m_grid;
    Host &m_host;
    QPointer<FolderOverlay> m_overlay;
};
