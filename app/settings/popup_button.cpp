#include "popup_button.h"

#include "settings_style.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

PopupButton::PopupButton(QWidget *parent) : QComboBox(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setFixedHeight(30);
}

void PopupButton::setItems(const QStringList &titles)
{
    clear();
    addItems(titles);
}

QStringList PopupButton::items() const
{
    QStringList titles;
    for (int i = 0; i < count(); ++i)
        titles.append(itemText(i));
    return titles;
}

void PopupButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF field = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool hovered = underMouse() && isEnabled();
    painter.setPen(QPen(hasFocus() ? SettingsStyle::accent() : QColor(0, 0, 0, hovered ? 60 : 38), 1));
    painter.setBrush(hovered ? QColor(0xfa, 0xfa, 0xfa) : Qt::white);
    painter.drawRoundedRect(field, 6, 6);

    // Chevron, pointing down.
    const double chevron = 8;
    const QPointF centre(width() - 14, height() / 2.0);
    QPainterPath path;
    path.moveTo(centre.x() - chevron / 2, centre.y() - chevron / 4);
    path.lineTo(centre.x(), centre.y() + chevron / 4);
    path.lineTo(centre.x() + chevron / 2, centre.y() - chevron / 4);
    QPen pen(SettingsStyle::secondaryLabel(), 1.6);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);

    const QRectF textBox(10, 0, width() - 10 - 28, height());
    painter.setFont(font());
    painter.setPen(isEnabled() ? SettingsStyle::label() : SettingsStyle::secondaryLabel());
    painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft,
                     QFontMetrics(font()).elidedText(currentText(), Qt::ElideRight, int(textBox.width())));
}
