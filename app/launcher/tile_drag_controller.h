#pragma once

#include "policy/edge_auto_page_policy.h"
#include "policy/merge_hover_gate.h"

#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QString>

#include <optional>

class QDrag;
class QTimer;

// Dragging tiles over a grid: the drag itself, the insertion marker, the
// hover that makes a folder, paging at the screen's edges and the empty
// page a drag may open at the end. Starting a drag is not built yet; what is
// here keeps the grid's callers correct meanwhile.
class TileDragController
{
public:
    // The grid under the drag.
    class Host
    {
    public:
        virtual ~Host() = default;
        // Builds the grid again (its page count follows the transient pages).
        virtual void rebuildGrid() = 0;
    };

    // Hold-to-make-folder tuning of the merge hover.
    static inline const MergeHoverGate::Tuning mergeTuning{0.5, 8, 12};

    explicit TileDragController(Host &host);

    TileDragController(const TileDragController &) = delete;
    TileDragController &operator=(const TileDragController &) = delete;

    // The entry being dragged, if any.
    const std::optional<QString> &draggingEntryID() const { return m_draggingEntryID; }
    const MergeHoverGate &mergeGate() const { return m_mergeGate; }
    EdgeAutoPagePolicy &edgePolicy() { return m_edgePolicy; }
    // Empty pages opened at the end by a drag waiting at the trailing edge.
    int transientPageCount() const { return m_transientPageCount; }

    // Where the pointer last was in a drag, and what it drags (automation sets these).
    void setLastDrag(const QPointF &point, const QString &entryID);
    void clearLastDrag();

    void startDrag(const QString &entryID, const QPointF &startPoint);
    void cancelEdgeAutoPage();
    void createTransientPage();
    void discardTransientPages();

private:
    Host &m_host;
    std::optional<QString> m_draggingEntryID;
    std::optional<QImage> m_dragIconImage;
    QPointer<QDrag> m_dragItem;
    std::optional<QImage> m_dragItemImage;
    bool m_dragImageHidden = false;
    std::optional<int> m_insertionIndex;
    MergeHoverGate m_mergeGate{mergeTuning};
    QPointer<QTimer> m_mergeDwellTimer;
    double m_mergeDwellScheduledSince = 0;
    std::optional<QPointF> m_lastDragPoint;
    std::optional<QString> m_lastDragID;
    bool m_lastAllowMerge = true;
    EdgeAutoPagePolicy m_edgePolicy;
    QPointer<QTimer> m_edgeAutoTimer;
    double m_edgeTimerFireDate = 0;
    int m_transientPageCount = 0;
    bool m_edgeDropCommitted = false;
};
