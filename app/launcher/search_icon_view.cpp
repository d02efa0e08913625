#include "search_icon_view.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

SearchIconView::SearchIconView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SearchIconView::setTint(const QColor &tint)
{
    if (tint == m_tint)
        return;
    m_tint = tint;
    update();
}

std::optional<SearchIconView::Glyph> SearchIconView::glyph(const QSizeF &size)
{
    const double s = std::min(size.width(), size.height());
    if (!(s > 0))
        return std::nullopt;
    Glyph glyph;
    glyph.lineWidth = std::max(1.4, 0.095 * s);
    glyph.lensRadius = 0.3 * s;
    glyph.lensCenter = QPointF(0.4 * s, 0.4 * s);
    const double reach = 0.72 * glyph.lensRadius;
    glyph.handleStart = QPointF(0.4 * s + reach, 0.4 * s + reach);
    glyph.handleEnd = QPointF(0.9 * s, 0.9 * s);
    return glyph;
}

void SearchIconView::paintEvent(QPaintEvent *)
{
    const std::optional<Glyph> g = glyph(size());
    if (!g)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(m_tint, g->lineWidth);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(g->lensCenter, g->lensRadius, g->lensRadius);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLine(g->handleStart, g->handleEnd);
}
