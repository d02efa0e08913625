#pragma once

#include <QLineEdit>

// The editable folder name above the panel. Return, or a press anywhere
// else, ends the edit and the overlay reports the name; Escape cancels it:
// the name goes back to what it was when editing began, the focus goes to
// the overlay, and nothing is reported. Wheel events go on to the overlay.
class FolderTitleField : public QLineEdit
{
public:
    explicit FolderTitleField(QWidget *parent = nullptr);

    // True while Escape takes the focus away: the edit that ends is void.
    bool isCancellingEdit() const { return m_cancelling; }

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QString m_nameBeforeEdit;
    bool m_cancelling = false;
};
