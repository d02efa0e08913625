#pragma once

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>

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

} // namespace SettingsStyle
