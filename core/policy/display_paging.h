#pragma once

#include "model/launcher_layout.h"
#include "model/layout_entry.h"

#include <QList>

// The pages as the grid shows them: the stored entries in order, hidden
// applications left out (or appended when they are shown), re-flowed into
// pages of the current page size.
class DisplayPaging
{
public:
    DisplayPaging() = delete;

    // hiddenEntries: the hidden applications' entries in the order they are
    // to appear; used only when `showHidden`. A page size below 1 counts as 1.
    static QList<QList<LayoutEntry>> pages(const LauncherLayout &layout, bool showHidden,
                                           const QList<LayoutEntry> &hiddenEntries, int pageSize);
    static QList<QList<LayoutEntry>> pages(const LauncherLayout &layout, bool showHidden, int pageSize)
    {
        return pages(layout, showHidden, {}, pageSize);
    }
};
