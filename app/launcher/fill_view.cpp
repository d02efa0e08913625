#include "fill_view.h"

#include <QPainter>

FillView::FillView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FillView::setFillColor(const QColor &color)
{
    if (color == m_fill)
        return;
    m_fill = color;
    update();
}

void FillView::setCornerRadius(double radius)
{
    m_cornerRadius = radius;
    update();
}

void FillView::setBorder(const QColor &color, double width)
{
    m_border = color;
    m_borderWidth = width;
    update();
}

void FillView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF bounds = rect();
    if (m_cornerRadius <= 0 && m_borderWidth <= 0) {
        // Composited as a plain fill: no anti-aliased edge to blend.
        painter.fillRect(bounds, m_fill);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const double inset = m_borderWidth / 2;
    const QRectF shape = bounds.adjusted(inset, inset, -inset, -inset);
    painter.setPen(m_borderWidth > 0 ? QPen(m_border, m_borderWidth) : QPen(Qt::NoPen));
    painter.setBrush(m_fill);
    painter.drawRoundedRect(shape, m_cornerRadius, m_cornerRadius);
}
