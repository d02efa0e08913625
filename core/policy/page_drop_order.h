#pragma once

#include "model/layout_entry.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// The page list after a drop in the launcher grid, and the page list without
// hidden applications.
class PageDropOrder
{
public:
    using Page = QList<LayoutEntry>;

    PageDropOrder() = delete;

    // Places the dragged entry (found by `draggedID`, with or without its
    // "app:" prefix) or, without one, the new `entry` at `slot` of page
    // `dropPage` in the flattened pages, then cuts them into pages of
    // `pageSize` again. None when the position is negative, the page size
    // below 1, the dragged entry is not there, or there is nothing to place.
    // A position beyond the end appends.
    static std::optional<QList<Page>> placing(const QList<Page> &pages, const std::optional<QString> &draggedID,
                                              const std::optional<LayoutEntry> &entry, int dropPage, int slot,
                                              int pageSize);

    // Every page without the applications in `hiddenIDs`; folders stay, and
    // so do pages that become empty.
    static QList<Page> strippingHidden(const QList<Page> &pages, const QSet<QString> &hiddenIDs);
};
