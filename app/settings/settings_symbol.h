#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

// The small line glyphs of the settings tabs, drawn by hand so they look the
// same under every icon theme. Glyphs are named like the tab items name them
// ("gearshape", "square.grid.2x2", "app.badge", "slider.horizontal.3",
// "info.circle", "circle").
namespace SettingsSymbol {

// Whether a glyph of that name exists.
bool exists(const QString &name);
// `name` when it exists, else "circle".
QString resolve(const QString &name);
// Draws the glyph `resolve(name)` fitted into `rect` in `color`.
void paint(QPainter &painter, const QString &name, const QRectF &rect, const QColor &color);

} // namespace SettingsSymbol
