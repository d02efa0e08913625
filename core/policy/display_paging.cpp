#include "display_paging.h"

#include "grid_geometry.h"

QList<QList<LayoutEntry>> DisplayPaging::pages(const LauncherLayout &layout, bool showHidden,
                                               const QList<LayoutEntry> &hiddenEntries, int pageSize)
{
    // Stored page boundaries do not survive: only the page size cuts pages,
    // so short or empty stored pages are filled from the pages after them.
    QList<LayoutEntry> flat;
    for (const LauncherLayout::Page &page : layout.visiblePages(showHidden))
        flat.append(page);
    if (showHidden)
        flat.append(hiddenEntries);
    return GridGeometry::chunk(flat, pageSize);
}
