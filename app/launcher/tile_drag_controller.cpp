#include "launcher/tile_drag_controller.h"

#include <QDrag>
#include <QTimer>

TileDragController::TileDragController(Host &host) : m_host(host) {}

void TileDragController::setLastDrag(const QPointF &point, const QString &entryID)
{
    m_lastDragPoint = point;
    m_lastDragID = entryID;
}

void TileDragController::clearLastDrag()
{
    m_lastDragPoint.reset();
    m_lastDragID.reset();
}

void TileDragController::startDrag(const QString &, const QPointF &) {}

void TileDragController::cancelEdgeAutoPage()
{
    if (m_edgeAutoTimer)
        m_edgeAutoTimer->stop();
    m_edgePolicy.reset();
}

void TileDragController::createTransientPage() {}

void TileDragController::discardTransientPages()
{
    if (m_transientPageCount <= 0)
        return;
    m_transientPageCount = 0;
    m_host.rebuildGrid();
}
