#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// Where everything of an open folder goes, for one overlay size, one member
// count and the launcher grid's side inset and icon side: the panel, its
// corner radius, the member cells of a page with their icon squares and hit
// rectangles, the title line above the panel and the page-dot strip along its
// lower edge. A plain value without drawing; flipped coordinates (y grows
// downwards). Cells, icons and hit rectangles are in panel coordinates, with
// the origin at the panel's top-left corner; the title is in overlay
// coordinates.
class FolderOverlayGeometry
{
public:
    static constexpr int columns = 7;
    static constexpr int rowsPerPage = 5;
    static constexpr int pageSize = columns * rowsPerPage;
    // Room inside the panel above the first row and below the last (the dots).
    static constexpr double topPad = 34;
    static constexpr double bottomPad = 46;
    // Left and right grid inset as a share of the panel width.
    static constexpr double gridInsetRatio = 0.025;
    static constexpr double defaultSideInsetRatio = 0.16;
    static constexpr double defaultGridIconSide = 88;
    // A member's label line and the gap between it and the icon.
    static constexpr double labelHeight = 19;
    static constexpr double labelGap = 4;
    static constexpr double titleHeight = 26;
    static constexpr double titleMaxWidth = 360;

    FolderOverlayGeometry(const QSizeF &bounds, int itemCount, double sideInsetRatio = defaultSideInsetRatio,
                          double gridIconSide = defaultGridIconSide);

    // At least one page, also for an empty folder.
    static int pageCount(int itemCount);
    // The rows a full page of this folder needs: 1 ... rowsPerPage.
    static int displayRows(int itemCount);

    int itemCount() const { return m_itemCount; }
    int pageCount() const { return pageCount(m_itemCount); }
    int displayRows() const { return displayRows(m_itemCount); }
    int clampPage(int page) const;
    // Member index of a cell of `page`.
    static int globalIndex(int page, int cell) { return page * pageSize + cell; }
    // Members shown on `page` (0 past the last member).
    int cellCount(int page) const;

    QRectF panelFrame() const { return m_panel; }
    double cornerRadius() const { return m_cornerRadius; }
    double gridInset() const { return m_gridInset; }
    double cellWidth() const { return m_cellWidth; }
    double cellRowHeight() const { return m_cellRowHeight; }
    double tileIconSide() const { return m_tileIconSide; }
    QRectF titleFrame() const { return m_title; }
    // The dot strip in panel coordinates.
    QRectF dotsFrame() const { return m_dots; }

    // The cells of `page`, row by row; cells touch, there is no spacing.
    QList<QRectF> tileFrames(int page) const;
    // The icon square of a cell, leaving the label line below it.
    static QRectF iconRect(const QRectF &cell, double iconSide);
    QRectF iconRect(const QRectF &cell) const { return iconRect(cell, m_tileIconSide); }
    // What of a cell counts as a hit on its member: the icon and the upper
    // part of its label.
    static QRectF hitRect(const QRectF &cell, double iconSide);
    // The cell whose hit rectangle holds the panel point; none elsewhere.
    static std::optional<int> hitIndex(const QList<QRectF> &cells, const QPointF &panelPoint, double iconSide);

    // The pixel size of a member's label for an icon side.
    static double labelFontSize(double iconSide);

private:
    int m_itemCount = 0;
    QSizeF m_bounds;
    QRectF m_panel;
    double m_cornerRadius = 18;
    double m_gridInset = 0;
    double m_cellWidth = 0;
    double m_cellRowHeight = 60;
    double m_tileIconSide = 0;
    QRectF m_title;
    QRectF m_dots;
};
