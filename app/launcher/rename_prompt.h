#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The modal question for a new name: a title, the note that an empty name
// restores the default one, a text field with the current name, and the
// buttons Save (the default) and Cancel. Save ends the dialog as accepted.
class RenamePrompt : public QDialog
{
public:
    RenamePrompt(const QString &title, const QString &current, QWidget *parent = nullptr);

    QString text() const;
    QLineEdit *field() const { return m_field; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *cancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_field = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_cancel = nullptr;
};
