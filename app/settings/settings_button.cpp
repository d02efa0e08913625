#include "settings_button.h"

#include "settings_style.h"

#include <QFontMetrics>
#include <QPainter>

SettingsButton::SettingsButton(const QString &title, QWidget *parent) : QPushButton(title, parent)
{
    setCursor(Qt::PointingHandCursor);
    setFont(SettingsStyle::font(13));
}

QSize SettingsButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + 28, 30);
}

void SettingsButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF field = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool hovered = underMouse() && isEnabled();
    QColor fill = Qt::white;
    if (isDown())
        fill = QColor(0xe8, 0xe8, 0xec);
    else if (hovered)
        fill = QColor(0xf4, 0xf4, 0xf6);
    painter.setPen(QPen(hasFocus() ? SettingsStyle::accent() : QColor(0, 0, 0, hovered ? 60 : 38), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(field, 6, 6);
    painter.setFont(font());
    painter.setPen(isEnabled() ? SettingsStyle::label() : SettingsStyle::secondaryLabel());
    painter.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignCenter,
                     QFontMetrics(font()).elidedText(text(), Qt::ElideRight, width() - 16));
}
