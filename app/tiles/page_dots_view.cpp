#include "tiles/page_dots_view.h"

#include "policy/page_dots_geometry.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

PageDotsView::PageDotsView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void PageDotsView::setCount(int count)
{
    if (count == m_count)
        return;
    m_count = count;
    update();
}

void PageDotsView::setCurrent(int current)
{
    if (current == m_current)
        return;
    m_current = current;
    update();
}

void PageDotsView::paintEvent(QPaintEvent *)
{
    if (m_count <= 1)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QColor bright(255, 255, 255, int(std::lround(0.95 * 255)));
    const QColor faint(255, 255, 255, int(std::lround(0.35 * 255)));
    for (int i = 0; i < m_count; ++i) {
        painter.setBrush(i == m_current ? bright : faint);
        painter.drawEllipse(PageDotsGeometry::dotRect(i, m_count, width(), height()));
    }
}

void PageDotsView::mousePressEvent(QMouseEvent *event)
{
    const std::optional<int> index = PageDotsGeometry::index(event->position(), m_count, width());
    if (!index) {
        QWidget::mousePressEvent(event); // ignored: the parent sees the click
        return;
    }
    event->accept();
    if (onClick)
        onClick(*index);
}
