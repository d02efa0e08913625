#pragma once

#include <QPushButton>

// A push button drawn flat in the manner of the Linux desktops, matching the
// pop-ups beside it: a rounded, lightly bordered field with a centred title.
class SettingsButton : public QPushButton
{
    Q_OBJECT

public:
    explicit SettingsButton(const QString &title, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
