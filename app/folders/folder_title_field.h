#pragma once

#include <QLineEdit>

// The editable folder name above the panel. Remembers why it last lost the
// keyboard focus, so that the overlay can tell a press elsewhere in the
// folder (which must not close it) from a commit. Wheel events go on to the
// overlay.
class FolderTitleField : public QLineEdit
{
public:
    explicit FolderTitleField(QWidget *parent = nullptr);

    Qt::FocusReason lastFocusOutReason() const { return m_lastFocusOutReason; }

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    Qt::FocusReason m_lastFocusOutReason = Qt::OtherFocusReason;
};
