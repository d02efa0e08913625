#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// The critical alert of the uninstall confirmation: a message, an informative
// text, an accessory (the checkbox and the residue slot) and two buttons.
// Its result is firstButtonReturn for the first button, anything else
// otherwise (Cancel, Escape, a closed window).
class UninstallAlert : public QDialog
{
    Q_OBJECT

public:
    static constexpr int firstButtonReturn = 1000;
    static constexpr int secondButtonReturn = 1001;

    explicit UninstallAlert(QWidget *parent = nullptr);

    void setMessageText(const QString &text);
    QString messageText() const;
    void setInformativeText(const QString &text);
    QString informativeText() const;
    // Shown between the texts and the buttons; the alert takes it over.
    void setAccessoryView(QWidget *view);
    QWidget *accessoryView() const { return m_accessory; }
    QPushButton *firstButton() const { return m_first; }
    // The first button's title as shown (an "&" is a character, not a mnemonic).
    void setFirstButtonTitle(const QString &title);
    QString firstButtonTitle() const;
    QPushButton *cancelButton() const { return m_cancel; }

private:
    QLabel *m_message = nullptr;
    QLabel *m_informative = nullptr;
    QWidget *m_accessory = nullptr;
    QPushButton *m_first = nullptr;
    QPushButton *m_cancel = nullptr;
};
