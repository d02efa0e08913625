#pragma once

#include "folders/folder_item.h"
#include "folders/folder_overlay_geometry.h"
#include "folders/folder_paging.h"
#include "tiles/tile_pasteboard.h"

#include "model/layout_folder.h"
#include "policy/wheel_page_navigator.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class FolderDotsView;
class FolderPanelView;
class FolderTilesView;
class FolderTitleField;
class QDrag;
class QMenu;

// An open folder laid over the whole launcher: the blurred desktop picture,
// dimmed, a glass panel with the members in pages of 7 × 5, the editable
// folder name above it and page dots along its lower edge. It changes nothing
// in the model: closing, opening, removing, renaming and dropping a member
// into the launcher grid are reported through its callbacks, and the
// launcher carries them out. Only the page and the drag-out display are its
// own state.
//
// Every press, drag, release, context menu and wheel event over the overlay
// ends here (over the panel too); only the title field and the dots take
// their own clicks. The overlay is never destroyed by its owner while one of
// its handlers runs: a callback may close the folder, and the overlay goes
// on to return from its handler.
class FolderOverlay : public QWidget
{
    Q_OBJECT

public:
    // A press must move farther than this to start dragging a member.
    static constexpr double dragThreshold = 4;

    FolderOverlay(const QRect &frame, const LayoutFolder &folder, QList<FolderItem> items, int initialPage = 0,
                  QWidget *parent = nullptr);
    ~FolderOverlay() override;

    // --- Callbacks, set by the launcher -------------------------------------------
    // A press outside the panel.
    std::function<void()> onClose;
    // A click on a member, or the member menu's open item.
    std::function<void(const QString &appID)> onOpen;
    // The member menu's remove-from-folder item.
    std::function<void(const QString &appID)> onRemove;
    // Editing of the title ended with this text (as typed): Return, or a
    // press anywhere ended it. Escape cancels the edit and reports nothing.
    std::function<void(const QString &name)> onRename;
    // A member dragged out of the panel was dropped; the point is in the
    // parent's coordinates.
    std::function<void(const QString &appID, const QPointF &point)> onDragOut;
    // Every drag move while a member is outside the panel (parent coordinates).
    std::function<void(const QPointF &point)> onDragMoveOut;
    // A member dragged out came back or its drag ended without a drop.
    std::function<void()> onDragOutEnded;
    // The member's bundle as a file URL for other applications, if known.
    std::function<std::optional<QUrl>(const QString &appID)> fileURLProvider;
    // The launcher grid's current icon side and side inset ratio, asked at
    // every layout.
    std::function<double()> gridIconSideProvider;
    std::function<double()> sideInsetRatioProvider;

    // --- Hooks for modal parts (tests replace them) ------------------------------------
    // Runs a started drag with what it offers; the default is QDrag::exec.
    TilePasteboard::DragRunner dragRunner;
    // Shows a member's menu at a global position and returns when it closes.
    std::function<void(QMenu &menu, const QPoint &globalPosition)> menuRunner;

    // --- Settings ----------------------------------------------------------------------
    bool locksPaging = false;
    // Used when no provider is set.
    double gridIconSide = FolderOverlayGeometry::defaultGridIconSide;
    void setBackdropImage(const QImage &image);
    const QImage &backdropImage() const { return m_backdropImage; }

    // Replaces the page turning; the new one starts on the page that shows.
    void setPaging(std::unique_ptr<FolderPaging> paging);
    FolderPaging &paging() const { return *m_paging; }

    // --- Reads ---------------------------------------------------------------------------
    const LayoutFolder &folder() const { return m_folder; }
    const QList<FolderItem> &items() const { return m_items; }
    int pageIndex() const { return m_paging->currentPage(); }
    int pageCount() const { return FolderOverlayGeometry::pageCount(int(m_items.size())); }
    FolderOverlayGeometry geometryModel() const;
    const QList<QRectF> &tileFrames() const { return m_tileFrames; }
    double tileIconSide() const { return m_tileIconSide; }
    // A member's icon square in overlay coordinates; empty for a cell that
    // does not exist on the page that shows.
    QRectF iconRect(int cell) const;
    bool isDraggingOut() const { return m_draggingOut; }
    FolderPanelView *panel() const { return m_panel; }
    FolderTilesView *tilesCanvas() const { return m_tilesCanvas; }
    FolderDotsView *dots() const { return m_dots; }
    FolderTitleField *titleField() const { return m_titleField; }

    // --- Operations ------------------------------------------------------------------------
    void setPage(int page);
    void refreshGeometry();
    // Hides the overlay and deletes it later, never under a running handler or
    // drag of its own: safe to call from any of its callbacks.
    void dispose();
    bool isDragRunning() const { return m_dragRunning; }
    // The picture of a member under the pointer while it is dragged.
    static QImage makeDragImage(const FolderItem &item, double side, double scale = 1);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildSubviews();
    void rebuildLayout();
    void showPage(int page);
    QRectF panelFrame() const;
    std::optional<int> hitIndex(const QPointF &panelPoint) const;
    void beginDrag(int cell);
    void setDraggingOut(bool draggingOut);
    void updateDragOutState(const QPointF &point);
    QPointF toParent(const QPointF &point) const;
    void titleEditingFinished();
    // Ends editing of the title before a press inside the overlay acts.
    void endTitleEditingForPress();

    const LayoutFolder m_folder;
    const QList<FolderItem> m_items;
    std::unique_ptr<FolderPaging> m_paging;
    QImage m_backdropImage;

    FolderPanelView *m_panel = nullptr;
    FolderTilesView *m_tilesCanvas = nullptr;
    FolderDotsView *m_dots = nullptr;
    FolderTitleField *m_titleField = nullptr;

    QList<QRectF> m_tileFrames;
    double m_tileIconSide = 74;

    std::optional<QPointF> m_pressPoint;
    std::optional<int> m_pressIndex;
    bool m_hasDraggedItem = false;
    bool m_draggingOut = false;
    bool m_handedOffDrop = false;
    bool m_dragRunning = false;
    bool m_disposeAfterDrag = false;

    WheelPageNavigator m_navigator;
    bool m_inMomentum = false;
};
