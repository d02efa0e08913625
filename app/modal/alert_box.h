#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QHBoxLayout;
class QPushButton;
class QVBoxLayout;

// The system's alert: a message, an informative text, an icon for its style,
// an optional accessory view (a text field, a check box) and buttons. Run it
// through AppAlert::run(), which returns the response of the pressed button:
// firstButtonReturn for the first one added, one more for each later one.
// Return presses the first button; Escape presses the second when there are
// two or more (the cancel button by convention), else the only one. Button
// titles are shown as given: an "&" is a character, not a mnemonic.
class AlertBox : public QDialog
{
    Q_OBJECT

public:
    enum class Style
    {
        warning,
        informational,
        critical,
    };

    static constexpr int firstButtonReturn = 1000;
    static constexpr int secondButtonReturn = 1001;
    static constexpr int thirdButtonReturn = 1002;

    explicit AlertBox(QWidget *parent = nullptr);
    ~AlertBox() override;

    void setMessageText(const QString &text);
    QString messageText() const;
    void setInformativeText(const QString &text);
    QString informativeText() const;
    void setAlertStyle(Style style);
    Style alertStyle() const { return m_style; }

    // Adds a button after the existing ones; its response is
    // firstButtonReturn + its index.
    QPushButton *addButton(const QString &title);
    const QList<QPushButton *> &buttons() const { return m_buttons; }
    // The first button (the default one), which an alert may retitle while
    // it runs; null before any was added.
    QPushButton *firstButton() const { return m_buttons.value(0); }
    void setFirstButtonTitle(const QString &title);
    QString firstButtonTitle() const;

    // Shown between the texts and the buttons; the alert takes ownership and
    // replaces (and deletes) any previous accessory view.
    void setAccessoryView(QWidget *view);
    QWidget *accessoryView() const { return m_accessory; }

    // Presses the button with `response` as the user would. Unknown: nothing.
    void pressButton(int response);

    // Escape: presses the cancel button (see above).
    void reject() override;

private:
    void updateIcon();

    Style m_style = Style::warning;
    QLabel *m_icon = nullptr;
    QLabel *m_message = nullptr;
    QLabel *m_informative = nullptr;
    QVBoxLayout *m_textColumn = nullptr;
    QHBoxLayout *m_buttonRow = nullptr;
    QWidget *m_accessory = nullptr;
    QList<QPushButton *> m_buttons;
};
