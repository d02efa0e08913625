#include "folders/folder_title_field.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QWheelEvent>

FolderTitleField::FolderTitleField(QWidget *parent) : QLineEdit(parent)
{
}

void FolderTitleField::focusInEvent(QFocusEvent *event)
{
    m_nameBeforeEdit = text();
    QLineEdit::focusInEvent(event);
}

void FolderTitleField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape || !hasFocus()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Taken here: Escape cancels the rename and goes no further (it would
    // close the folder or hide the launcher, saving the half-typed name).
    event->accept();
    m_cancelling = true;
    setText(m_nameBeforeEdit);
    if (QWidget *owner = parentWidget())
        owner->setFocus(Qt::OtherFocusReason);
    else
        clearFocus();
    m_cancelling = false;
}

void FolderTitleField::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}
