#pragma once

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QWidget>

// The settings window's colours and fonts. Sizes are logical pixels: a font
// of 13 is 13 pixels high on every screen, never 13 typographic points.
namespace SettingsStyle {

// Hairlines below the tab row, between card rows and above the status line.
inline QColor hairline()
{
    return QColor::fromRgbF(0.88, 0.88, 0.88);
}

// The background of a card of rows.
inline QColor card()
{
    return QColor::fromRgbF(0.972, 0.972, 0.972);
}

// The desktop's accent (selection) colour.
inline QColor accent()
{
    return QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

inline QColor label()
{
    return QColor(0x1d, 0x1d, 0x1f);
}

inline QColor secondaryLabel()
{
    return QColor(0x6e, 0x6e, 0x73);
}

inline QFont font(double pixelSize, QFont::Weight weight = QFont::Normal)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(qRound(pixelSize));
    font.setWeight(weight);
    return font;
}

// Focus that the keyboard moved (Tab, Shift+Tab, a shortcut) shows a ring; a
// click does not, as on the GNOME and KDE desktops.
inline bool isKeyboardFocus(Qt::FocusReason reason)
{
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

// The focus ring: an opaque accent outline around `shape`, a gap away from
// it, so it stands out also on a control filled with the accent colour.
inline void paintFocusRing(QPainter &painter, const QRectF &shape, double radius)
{
    constexpr double gap = 2.5;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(accent(), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(shape.adjusted(-gap, -gap, gap, gap), radius + gap, radius + gap);
    painter.restore();
}

// Gives `widget`'s text the colour `color`.
inline void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

} // namespace SettingsStyle
