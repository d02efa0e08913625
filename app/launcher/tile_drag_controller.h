#pragma once

#include "paging/frame_clock.h"
#include "tiles/tile_pasteboard.h"

#include "model/layout_entry.h"
#include "policy/edge_auto_page_policy.h"
#include "policy/merge_hover_gate.h"

#include <QHash>
#include <QImage>
#include <QLabel>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QTimer>

#include <optional>

class QDragMoveEvent;
class QDropEvent;

class AppTile;
class FillView;
class LauncherGrid;
class QDrag;
class QMimeData;
class QWidget;

// Dragging tiles over a grid: the drag itself, the insertion marker, the
// hover that makes a folder, the row reflow, paging at the screen's edges,
// the empty page a drag may open at the end, and the drop.
//
// Inside the window the drag is the grid's own: the image is a child widget
// that follows the pointer (and hides while a folder preview shows). Once the
// pointer leaves the window, or comes over another application's window
// stacked above the full-screen launcher, a system drag takes over, so that a
// file manager or a dock can take the application as a link to its bundle;
// back over the launcher that drag is the grid's to take again.
class TileDragController
{
public:
    // What the drag asks of the view it runs over; the grid itself it reads
    // from the LauncherGrid.
    class Host
    {
    public:
        virtual ~Host() = default;
        // Builds the grid again (its page count follows the transient pages).
        virtual void rebuildGrid() = 0;
        virtual void goToPage(int page) = 0;
        // Nothing else holds the pages still: no edit mode, folder, search or lock.
        virtual bool edgePagingAllowed() const = 0;
        virtual void openFolder(const LayoutEntry &entry) = 0;
        // The insertion marker (a child of the view).
        virtual FillView *dropMarker() = 0;
        // Whether the pointer is over another top-level window than the
        // view's, stacked above it.
        virtual bool pointerOverOtherWindow() = 0;
    };

    // Hold-to-make-folder tuning of the merge hover.
    static inline const MergeHoverGate::Tuning mergeTuning{0.5, 8, 12};
    // The row reflow's spring.
    static constexpr double springMass = 1;
    static constexpr double springStiffness = 260;
    static constexpr double springDamping = 26;

    TileDragController(LauncherGrid &grid, Host &host);
    ~TileDragController();

    TileDragController(const TileDragController &) = delete;
    TileDragController &operator=(const TileDragController &) = delete;

    // The entry being dragged, if any.
    const std::optional<QString> &draggingEntryID() const { return m_draggingEntryID; }
    bool isDragging() const { return m_draggingEntryID.has_value(); }
    const MergeHoverGate &mergeGate() const { return m_mergeGate; }
    EdgeAutoPagePolicy &edgePolicy() { return m_edgePolicy; }
    // Empty pages opened at the end by a drag waiting at the trailing edge.
    int transientPageCount() const { return m_transientPageCount; }
    std::optional<int> insertionIndex() const { return m_insertionIndex; }
    // The image that follows the pointer inside the window (none outside a drag).
    QLabel *dragImageView() const { return m_dragImageView; }
    bool dragImageHidden() const { return m_dragImageHidden; }
    FrameClock &reflowClock() { return m_reflowClock; }
    // The horizontal shift the reflow aims tile `index` at.
    double reflowTarget(int index) const;

    // Runs the system drag that takes over outside the launcher (tests play one).
    void setDragRunner(TilePasteboard::DragRunner runner) { m_dragRunner = std::move(runner); }

    // Where the pointer last was in a drag, and what it drags (automation sets these).
    void setLastDrag(const QPointF &point, const QString &entryID);
    void clearLastDrag();

    // A pressed tile moved past the drag threshold.
    void startDrag(const QString &entryID, const QPointF &startPoint);
    // The pointer moved during the grid's own drag.
    void dragMoved(const QPointF &point);
    // The button went up during the grid's own drag: the drop.
    void dragReleased(const QPointF &point);
    // The drag ended without a drop (Escape, hiding).
    void cancelDrag();

    // System drag destination: our tile data only.
    bool acceptsMimeData(const QMimeData *data) const;
    void systemDragMoved(const QMimeData *data, const QPointF &point);
    void systemDragLeft();
    bool systemDrop(const QMimeData *data);
    // The view's drag events, taken whole: a tile drag offers only a link
    // (other applications must never move or copy the bundle), so the grid
    // takes its own tiles back as links too.
    void systemDragEvent(QDragMoveEvent *event);
    void systemDropEvent(QDropEvent *event);
    // The marker that shows where a dragged tile would land; hidden.
    static FillView *makeDropMarker(QWidget *parent);

    // One hover over the grid: edge paging, the merge hover, the marker and the
    // row's reflow. Without a dragged entry (a member dragged out of an open
    // folder) only the marker and the reflow, with every tile from the slot on
    // making room.
    void updateDropTarget(const QPointF &point, const std::optional<QString> &draggedID, bool allowMerge);
    void clearDropIndicators();
    void mergeDwellFired();
    void edgeTimerFired();
    // The drop of `draggedID` at the last hover; true when the layout changed or a merge was tried.
    bool performDrop(const QString &draggedID);
    bool commitFlatDrop(const QString &draggedID, int dropPage, int slot);
    bool commitPagedDrop(const QString &draggedID, int dropPage, int slot);
    void simulateDropForAutomation(const QString &spec);

    // One step of paging at the screen's edges for a drag at `point`: waits,
    // turns the page or opens an empty one at the end.
    EdgeAutoPagePolicy::Action applyEdgeAutoPage(const QPointF &point, const std::optional<QString> &draggedID,
                                                 double timestamp);
    void cancelEdgeAutoPage();
    void createTransientPage();
    void discardTransientPages();

private:
    // The insertion marker over slot `index` of the page shown.
    void showInsertionMarker(int index);
    void updateMergeCandidate(const QPointF &point, const std::optional<QString> &draggedID, bool allowMerge);
    std::optional<QString> mergeCandidateID(const QPointF &point, const std::optional<QString> &draggedID) const;
    void scheduleMergeDwell(double since);
    void cancelMergeDwell();
    void updateEdgeAutoPage(const QPointF &point, const std::optional<QString> &draggedID);
    void scheduleEdgeTimer(double seconds);
    void cancelEdgeTimer();
    void applyDragSpacing(std::optional<int> insertion);
    void clearDragSpacing();
    void setTileShift(AppTile *tile, double x);
    void reflowTick(double time);
    void setDragImageHidden(bool hidden);
    void moveDragImage(const QPointF &point);
    void endDragVisual();
    void dragSessionEnded();
    void startSystemDrag();
    QImage dragImageFor(const LayoutEntry &entry, double side);

    struct Spring
    {
        double x = 0;
        double velocity = 0;
        double target = 0;
    };

    LauncherGrid &m_grid;
    Host &m_host;
    std::optional<QString> m_draggingEntryID;
    std::optional<QImage> m_dragIconImage;
    QPointer<QDrag> m_dragItem;
    TilePasteboard::DragRunner m_dragRunner = &TilePasteboard::runSystemDrag;
    std::optional<QImage> m_dragItemImage;
    QPointer<QLabel> m_dragImageView;
    bool m_dragImageHidden = false;
    bool m_systemDragRunning = false;
    std::optional<int> m_insertionIndex;
    MergeHoverGate m_mergeGate{mergeTuning};
    // The controller's own timers: they stop and go with it.
    QTimer m_mergeDwellTimer;
    double m_mergeDwellScheduledSince = 0;
    std::optional<QPointF> m_lastDragPoint;
    std::optional<QString> m_lastDragID;
    bool m_lastAllowMerge = true;
    EdgeAutoPagePolicy m_edgePolicy;
    QTimer m_edgeAutoTimer;
    double m_edgeTimerFireDate = 0;
    int m_transientPageCount = 0;
    bool m_edgeDropCommitted = false;
    QHash<AppTile *, Spring> m_springs;
    FrameClock m_reflowClock;
    double m_reflowLastTime = 0;
};
