#pragma once

#include <QImage>
#include <QList>
#include <QString>

#include <optional>

class AppTile;
class EditModeController;
class LauncherGrid;
class TileDragController;
struct LayoutEntry;

// The tiles of the launcher grid: made for the entries the grid shows, in
// its page canvas at their frames, and dressed for the selection, edit mode,
// a drag and the icons as they arrive. Tiles are never reused: every state
// that must survive a rebuild is derived anew from the grid and the parts.
class QScrollArea;
class QWidget;

class GridTiles
{
public:
    GridTiles(LauncherGrid &grid, EditModeController &editMode, const TileDragController &tileDrag);

    GridTiles(const GridTiles &) = delete;
    GridTiles &operator=(const GridTiles &) = delete;

    // Deletes the grid's tiles and forgets their frames.
    void clear();
    // Makes the tiles of the grid's entries, and their frames.
    void build();
    // The container of scroll mode: frameless, see-through, scrolling
    // vertically only; hidden until scroll mode shows it.
    static QScrollArea *makeScrollContainer(QWidget *parent);
    // Puts the page canvas where the mode wants it: paged, the whole `view`
    // under `searchPlate` (where a turn in progress has slid it, when
    // `turning`); in scroll mode, the document of `scrollContainer`.
    void placeCanvas(QWidget &view, QScrollArea &scrollContainer, QWidget &searchPlate, bool turning) const;
    // Badges for the current mode on `tile`.
    void dressForEditMode(AppTile *tile) const;
    // Every tile, the sliding-out page's too.
    void dressAllForEditMode() const;
    // Shows the grid's selection on its tiles.
    void showSelection() const;
    // Puts the icon of `appID`, now loaded, on its tiles and on folder previews.
    void refreshIcons(const QString &appID) const;
    // One wobble pose for every tile, `time` seconds after edit mode began.
    void applyJiggle(double time) const;
    std::optional<QImage> folderPreview(const LayoutEntry &entry) const;
    // Keeps the decoded icons of the pages next to the current one (and of
    // their folders' previews), loads the neighbours' behind the page shown,
    // and lets the icon cache drop the rest. `pages` are the layout's pages
    // the grid chose from.
    void retainNearPageIcons(const QList<QList<LayoutEntry>> &pages) const;
    // With --dump-windows: "[icons] drawn" once every tile of the page has
    // been painted with its image.
    void logWhenPageDrawn();

private:
    LauncherGrid &m_grid;
    EditModeController &m_editMode;
    const TileDragController &m_tileDrag;
    bool m_pageDrawnLogged = false;
};
