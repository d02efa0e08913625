#include "settings_symbol.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace {

void gear(QPainter &p, const QRectF &r)
{
    const QPointF c = r.center();
    const double outer = r.height() * 0.46;
    const double inner = outer * 0.72;
    QPainterPath path;
    constexpr int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * std::numbers::pi / teeth;
        const double a1 = (i + 0.5) * std::numbers::pi / teeth;
        const double radius = i % 2 == 0 ? outer : inner;
        const QPointF from(c.x() + radius * std::cos(a0), c.y() + radius * std::sin(a0));
        const QPointF to(c.x() + radius * std::cos(a1), c.y() + radius * std::sin(a1));
        if (i == 0)
            path.moveTo(from);
        else
            path.lineTo(from);
        path.lineTo(to);
    }
    path.closeSubpath();
    p.drawPath(path);
    p.drawEllipse(c, outer * 0.3, outer * 0.3);
}

void grid(QPainter &p, const QRectF &r)
{
    const double side = r.height() * 0.84;
    const QRectF box(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
    const double gap = side * 0.16;
    const double cell = (side - gap) / 2;
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column)
            p.drawRoundedRect(QRectF(box.x() + column * (cell + gap), box.y() + row * (cell + gap), cell, cell),
                              cell * 0.2, cell * 0.2);
    }
}

void appBadge(QPainter &p, const QRectF &r)
{
    const double side = r.height() * 0.8;
    const QRectF box(r.center().x() - side / 2, r.center().y() - side / 2 + r.height() * 0.04, side, side);
    p.drawRoundedRect(box, side * 0.24, side * 0.24);
    const double dot = side * 0.34;
    p.save();
    p.setBrush(p.pen().color());
    p.drawEllipse(QPointF(box.right() - dot * 0.2, box.top() + dot * 0.2), dot / 2, dot / 2);
    p.restore();
}

void sliders(QPainter &p, const QRectF &r)
{
    const double width = r.height() * 0.9;
    const double left = r.center().x() - width / 2;
    const double positions[3] = {0.3, 0.7, 0.45};
    for (int i = 0; i < 3; ++i) {
        const double y = r.top() + r.height() * (0.22 + 0.28 * i);
        p.drawLine(QPointF(left, y), QPointF(left + width, y));
        p.save();
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(left + width * positions[i], y), r.height() * 0.09, r.height() * 0.09);
        p.restore();
    }
}

void info(QPainter &p, const QRectF &r)
{
    const QPointF c = r.center();
    const double radius = r.height() * 0.44;
    p.drawEllipse(c, radius, radius);
    p.drawLine(QPointF(c.x(), c.y() - radius * 0.05), QPointF(c.x(), c.y() + radius * 0.5));
    p.save();
    p.setBrush(p.pen().color());
    p.drawEllipse(QPointF(c.x(), c.y() - radius * 0.42), radius * 0.08, radius * 0.08);
    p.restore();
}

void circle(QPainter &p, const QRectF &r)
{
    const double radius = r.height() * 0.44;
    p.drawEllipse(r.center(), radius, radius);
}

using Painter = void (*)(QPainter &, const QRectF &);

Painter painterFor(const QString &name)
{
    if (name == QLatin1String("gearshape"))
        return gear;
    if (name == QLatin1String("square.grid.2x2"))
        return grid;
    if (name == QLatin1String("app.badge"))
        return appBadge;
    if (name == QLatin1String("slider.horizontal.3"))
        return sliders;
    if (name == QLatin1String("info.circle"))
        return info;
    if (name == QLatin1String("circle"))
        return circle;
    return nullptr;
}

} // namespace

bool SettingsSymbol::exists(const QString &name)
{
    return painterFor(name) != nullptr;
}

QString SettingsSymbol::resolve(const QString &name)
{
    return exists(name) ? name : QStringLiteral("circle");
}

void SettingsSymbol::paint(QPainter &painter, const QString &name, const QRectF &rect, const QColor &color)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(color, std::max(1.5, rect.height() / 14.0));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // Square glyphs, centred in whatever box they are given.
    const double side = std::min(rect.width(), rect.height());
    const QRectF square(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    painterFor(resolve(name))(painter, square);
    painter.restore();
}
