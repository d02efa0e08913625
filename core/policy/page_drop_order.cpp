#include "page_drop_order.h"

#include "model/launcher_layout.h"

#include <algorithm>

namespace {

// Consecutive pages of `pageSize` entries, the last one shorter; one empty
// page for no entries.
QList<PageDropOrder::Page> chunk(const QList<LayoutEntry> &flat, int pageSize)
{
    const qsizetype size = std::max(1, pageSize);
    QList<PageDropOrder::Page> pages;
    for (qsizetype start = 0; start < flat.size(); start += size)
        pages.append(flat.mid(start, size));
    if (pages.isEmpty())
        pages.append(PageDropOrder::Page());
    return pages;
}

} // namespace

std::optional<QList<PageDropOrder::Page>> PageDropOrder::placing(const QList<Page> &pages,
                                                                 const std::optional<QString> &draggedID,
                                                                 const std::optional<LayoutEntry> &entry,
                                                                 int dropPage, int slot, int pageSize)
{
    if (dropPage < 0 || slot < 0 || pageSize < 1)
        return std::nullopt;

    QList<LayoutEntry> flat;
    for (const Page &page : pages)
        flat.append(page);

    // In 64 bits: a far-away page times a page size overflows an int. Any
    // position past the end appends, so saturating at the count is exact.
    const qint64 wanted = qint64(dropPage) * qint64(pageSize) + qint64(slot);
    const qsizetype target = qsizetype(std::min<qint64>(wanted, flat.size()));

    if (!draggedID) {
        if (!entry)
            return std::nullopt;
        flat.insert(std::min(target, flat.size()), *entry);
        return chunk(flat, pageSize);
    }

    auto found = std::find_if(flat.cbegin(), flat.cend(),
                              [&](const LayoutEntry &candidate) { return candidate.id == *draggedID; });
    if (found == flat.cend()) {
        const QString wantedRaw = LauncherLayout::rawAppID(*draggedID);
        found = std::find_if(flat.cbegin(), flat.cend(), [&](const LayoutEntry &candidate) {
            return LauncherLayout::rawAppID(candidate.id) == wantedRaw;
        });
    }
    if (found == flat.cend())
        return std::nullopt;

    const LayoutEntry moving = *found;
    flat.removeAt(found - flat.cbegin());
    // The target was counted before the removal, so a tile moved forward
    // lands after the entry that held its target slot.
    flat.insert(std::min(target, flat.size()), moving);
    return chunk(flat, pageSize);
}

QList<PageDropOrder::Page> PageDropOrder::strippingHidden(const QList<Page> &pages, const QSet<QString> &hiddenIDs)
{
    if (hiddenIDs.isEmpty())
        return pages;
    QList<Page> result;
    result.reserve(pages.size());
    for (const Page &page : pages) {
        Page kept;
        for (const LayoutEntry &entry : page) {
            if (!entry.appID || !hiddenIDs.contains(*entry.appID))
                kept.append(entry);
        }
        result.append(kept);
    }
    return result;
}
