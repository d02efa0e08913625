#include "settings_slider.h"

#include "settings_style.h"

#include <QFocusEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <cmath>

SettingsSlider::SettingsSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    // The handle with room for its focus ring.
    setFixedHeight(30);
}

void SettingsSlider::setDoubleRange(double minimum, double maximum)
{
    setRange(int(std::lround(minimum * scale)), int(std::lround(maximum * scale)));
    setSingleStep(scale / 100);
    setPageStep(scale / 20);
}

void SettingsSlider::setDoubleValue(double value)
{
    setValue(int(std::lround(value * scale)));
}

QSize SettingsSlider::sizeHint() const
{
    return QSize(200, 30);
}

void SettingsSlider::focusInEvent(QFocusEvent *event)
{
    m_keyboardFocus = SettingsStyle::isKeyboardFocus(event->reason());
    QSlider::focusInEvent(event);
}

void SettingsSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double knob = 18;
    // Room at each end for the focus ring around the handle.
    const double left = knob / 2 + 4;
    const double right = width() - knob / 2 - 4;
    const double span = std::max(1, maximum() - minimum());
    const double fraction = double(value() - minimum()) / span;
    const double x = left + (right - left) * fraction;
    const double y = height() / 2.0;
    const QColor accent = isEnabled() ? SettingsStyle::accent() : SettingsStyle::secondaryLabel();

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xd6, 0xd6, 0xda));
    painter.drawRoundedRect(QRectF(left, y - 2, right - left, 4), 2, 2);
    painter.setBrush(accent);
    painter.drawRoundedRect(QRectF(left, y - 2, x - left, 4), 2, 2);

    painter.setBrush(QColor(0, 0, 0, 36));
    painter.drawEllipse(QPointF(x, y + 0.8), knob / 2, knob / 2);
    painter.setPen(QPen(isSliderDown() || hasFocus() ? accent : QColor(0, 0, 0, 50), 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(x, y), knob / 2 - 0.5, knob / 2 - 0.5);
    if (showsFocusRing()) {
        const QRectF handle(x - knob / 2, y - knob / 2, knob, knob);
        SettingsStyle::paintFocusRing(painter, handle, knob / 2);
    }
}
