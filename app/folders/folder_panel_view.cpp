#include "folders/folder_panel_view.h"

#include <QMouseEvent>
#include <QWheelEvent>

FolderPanelView::FolderPanelView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
}

void FolderPanelView::mousePressEvent(QMouseEvent *event)
{
    event->ignore();
}

void FolderPanelView::mouseReleaseEvent(QMouseEvent *event)
{
    event->ignore();
}

void FolderPanelView::mouseMoveEvent(QMouseEvent *event)
{
    event->ignore();
}

void FolderPanelView::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}
