// A window of another application that takes dropped files, as a file manager
// or a dock does, and a drag runner that plays a system drag onto it.
#pragma once

#include "tiles/tile_pasteboard.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QList>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

// Takes whatever action a drag proposes, as long as the drag offers it, and
// remembers what it was offered.
class ForeignDropTarget : public QWidget
{
public:
    ForeignDropTarget() { setAcceptDrops(true); }

    int enters = 0;
    Qt::DropActions offered;
    Qt::DropAction proposed = Qt::IgnoreAction;
    QList<QUrl> urls;
    Qt::DropAction dropped = Qt::IgnoreAction;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        ++enters;
        offered = event->possibleActions();
        proposed = event->proposedAction();
        urls = event->mimeData()->urls();
        if (event->possibleActions() & event->proposedAction())
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent *event) override
    {
        if (!(event->possibleActions() & event->proposedAction()))
            return;
        dropped = event->proposedAction();
        event->acceptProposedAction();
    }
};

// Plays a system drag as the drag manager delivers it to the window under the
// pointer: an enter at the target's centre, then the drop there.
inline TilePasteboard::DragRunner dropOnto(ForeignDropTarget &target)
{
    return [&target](QDrag &drag, Qt::DropActions offered, Qt::DropAction proposed) {
        const QPointF at = QRectF(target.rect()).center();
        QDragEnterEvent enter(at.toPoint(), offered, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        enter.setDropAction(proposed);
        QApplication::sendEvent(&target, &enter);
        if (!enter.isAccepted())
            return Qt::IgnoreAction;
        QDropEvent drop(at, offered, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    };
}
