#pragma once

#include "folders/folder_item.h"

#include <QList>
#include <QRectF>
#include <QWidget>

// Draws the members of the folder page that shows: icon (or a grey rounded
// placeholder) and label per cell. It computes no layout: the overlay sets the
// cells, the page and the icon side. Transparent for the mouse: the overlay
// takes every press over the panel.
class FolderTilesView : public QWidget
{
public:
    FolderTilesView(QList<FolderItem> items, int columns, int rowsPerPage, QWidget *parent = nullptr);

    int pageSize() const { return m_columns * m_rowsPerPage; }
    // The members of the page that shows; empty past the last member.
    QList<FolderItem> visibleItems() const;

    void setTileFrames(const QList<QRectF> &frames) { m_tileFrames = frames; }
    const QList<QRectF> &tileFrames() const { return m_tileFrames; }
    void setPage(int page) { m_page = page; }
    int page() const { return m_page; }
    void setIconSide(double side) { m_iconSide = side; }
    double iconSide() const { return m_iconSide; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QList<FolderItem> m_items;
    const int m_columns;
    const int m_rowsPerPage;
    QList<QRectF> m_tileFrames;
    int m_page = 0;
    double m_iconSide = 74;
};
