#pragma once

#include <QAbstractButton>

// An on/off switch in the style of GNOME and KDE: a rounded track, filled
// with the accent colour when on, and a white knob that sits at the end the
// state names. A click or Space flips it and emits clicked(); setChecked()
// flips it without a click.
class ToggleSwitch : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int trackWidth = 40;
    static constexpr int trackHeight = 22;

    explicit ToggleSwitch(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    // The focus ring is drawn: the switch has the focus, and the keyboard put it there.
    bool showsFocusRing() const { return hasFocus() && m_keyboardFocus; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
    void focusInEvent(QFocusEvent *event) override;

private:
    // Room around the track for the focus ring.
    static constexpr int margin = 4;
    bool m_keyboardFocus = false;
};
