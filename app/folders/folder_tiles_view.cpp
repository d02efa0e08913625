#include "folders/folder_tiles_view.h"

#include "folders/folder_overlay_geometry.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

FolderTilesView::FolderTilesView(QList<FolderItem> items, int columns, int rowsPerPage, QWidget *parent)
    : QWidget(parent)
    , m_items(std::move(items))
    , m_columns(std::max(1, columns))
    , m_rowsPerPage(std::max(1, rowsPerPage))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
}

QList<FolderItem> FolderTilesView::visibleItems() const
{
    const qint64 start = qint64(m_page) * pageSize();
    if (m_page < 0 || start >= m_items.size())
        return {};
    const qint64 end = std::min<qint64>(start + pageSize(), m_items.size());
    return m_items.mid(start, end - start);
}

void FolderTilesView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    const double side = m_iconSide;
    QFont font = painter.font();
    font.setPixelSize(std::max(1, int(std::lround(FolderOverlayGeometry::labelFontSize(side)))));
    font.setWeight(QFont::Medium);
    painter.setFont(font);
    const QFontMetricsF metrics(font);

    const QList<FolderItem> visible = visibleItems();
    for (int i = 0; i < visible.size(); ++i) {
        if (i >= m_tileFrames.size())
            break;
        const QRectF cell = m_tileFrames.at(i);
        const QRectF icon = FolderOverlayGeometry::iconRect(cell, side);
        const FolderItem &item = visible.at(i);
        if (item.icon && !item.icon->isNull()) {
            painter.drawImage(icon, *item.icon);
        } else {
            QPainterPath placeholder;
            placeholder.addRoundedRect(icon, 12, 12);
            painter.fillPath(placeholder, QColor::fromRgbF(0.35f, 0.35f, 0.35f, 0.22f));
        }
        const QRectF label(cell.x() + 3, icon.bottom() + 5, cell.width() - 6, FolderOverlayGeometry::labelHeight);
        painter.setPen(QColor::fromRgbF(0.1f, 0.1f, 0.1f, 0.94f));
        painter.drawText(label, Qt::AlignHCenter | Qt::AlignTop,
                         metrics.elidedText(item.title, Qt::ElideRight, label.width()));
    }
}
