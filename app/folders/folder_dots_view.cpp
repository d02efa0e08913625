#include "folders/folder_dots_view.h"

#include "folders/folder_dots_geometry.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

FolderDotsView::FolderDotsView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
}

void FolderDotsView::setPages(int pageCount, int current)
{
    m_pageCount = pageCount;
    m_current = current;
    update();
}

void FolderDotsView::paintEvent(QPaintEvent *)
{
    if (m_pageCount <= 1)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < m_pageCount; ++i) {
        painter.setBrush(i == m_current ? QColor::fromRgbF(0.12f, 0.12f, 0.12f, 0.78f)
                                        : QColor::fromRgbF(0.2f, 0.2f, 0.2f, 0.28f));
        painter.drawEllipse(FolderDotsGeometry::dotRect(i, m_pageCount, QSizeF(size())));
    }
}

void FolderDotsView::mousePressEvent(QMouseEvent *event)
{
    // Taken even when there is nothing to select: the press never reaches the panel.
    event->accept();
    const std::optional<int> page = FolderDotsGeometry::pageAt(event->position().x(), m_pageCount, width());
    if (page && onSelect)
        onSelect(*page);
}

void FolderDotsView::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}
