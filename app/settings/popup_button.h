#pragma once

#include <QComboBox>

// A pop-up choice drawn flat in the manner of the Linux desktops: a rounded,
// lightly bordered field with the chosen title and a chevron. Behaves as a
// QComboBox: activated() only on the user's choice, also of the item already
// chosen; a programmatic setCurrentIndex() does not emit it.
class PopupButton : public QComboBox
{
    Q_OBJECT

public:
    explicit PopupButton(QWidget *parent = nullptr);

    // Replaces every item by `titles`, in order.
    void setItems(const QStringList &titles);
    QStringList items() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
