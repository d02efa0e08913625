#pragma once

#include "model/layout_entry.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <optional>

// Where a grid opens a folder: the overlay that shows the folder's own pages
// above the grid, its geometry and its backdrop. The overlay is not built
// yet; what is here keeps the grid's callers correct meanwhile.
class FolderHost
{
public:
    // The grid that opens folders.
    class Host
    {
    public:
        virtual ~Host() = default;
        // The rectangle the overlay covers, in the grid's coordinates.
        virtual QRect folderOverlayFrame() const = 0;
    };

    explicit FolderHost(Host &host);

    FolderHost(const FolderHost &) = delete;
    FolderHost &operator=(const FolderHost &) = delete;

    // A folder is open over the grid.
    bool isOpen() const { return !m_overlay.isNull(); }
    QWidget *overlay() const { return m_overlay; }

    void show(const LayoutEntry &entry, std::optional<int> initialPage);
    void refreshGeometry();
    void backdropChanged();

private:
    Host &m_host;
    QPointer<QWidget> m_overlay; // the open FolderOverlay, if any
};
