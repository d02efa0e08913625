#include "toggle_switch.h"

#include "settings_style.h"

#include <QFocusEvent>
#include <QPainter>

ToggleSwitch::ToggleSwitch(QWidget *parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(sizeHint());
}

QSize ToggleSwitch::sizeHint() const
{
    return QSize(trackWidth + 2 * margin, trackHeight + 2 * margin);
}

void ToggleSwitch::focusInEvent(QFocusEvent *event)
{
    m_keyboardFocus = SettingsStyle::isKeyboardFocus(event->reason());
    QAbstractButton::focusInEvent(event);
}

bool ToggleSwitch::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track(margin, margin, trackWidth, trackHeight);
    const double radius = trackHeight / 2.0;
    QColor fill = isChecked() ? SettingsStyle::accent() : QColor(0xc8, 0xc8, 0xcc);
    if (!isEnabled())
        fill.setAlphaF(0.45);
    else if (isDown())
        fill = fill.darker(110);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);

    const double knob = trackHeight - 4;
    const double knobX = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawEllipse(QRectF(knobX, track.top() + 2.6, knob, knob));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(knobX, track.top() + 2, knob, knob));

    if (showsFocusRing())
        SettingsStyle::paintFocusRing(painter, track, radius);
}
