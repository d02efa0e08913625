#include "folders/folder_title_field.h"

#include <QFocusEvent>
#include <QWheelEvent>

FolderTitleField::FolderTitleField(QWidget *parent) : QLineEdit(parent)
{
}

void FolderTitleField::focusOutEvent(QFocusEvent *event)
{
    // Recorded before the base class ends the edit and reports it.
    m_lastFocusOutReason = event->reason();
    QLineEdit::focusOutEvent(event);
}

void FolderTitleField::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}
