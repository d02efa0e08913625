#pragma once

#include "dock_grid_preference.h"
#include "model/launchpad_layout.h"
#include "layout_source.h"

#include <QString>

// What reading one layout source gave: the imported layout, the Dock's grid
// at the time, and how the source was read ("plist", "items/apps/groups",
// "3 tables · apps(bundle_id)").
struct LayoutSourceSnapshot
{
    LayoutSource source;
    LaunchpadLayout layout;
    DockGridPreference grid;
    QString probeDetail;

    LayoutSourceSnapshot(LayoutSource source, LaunchpadLayout layout = LaunchpadLayout::empty(),
                         DockGridPreference grid = {}, QString probeDetail = {})
        : source(source), layout(std::move(layout)), grid(std::move(grid)), probeDetail(std::move(probeDetail))
    {
    }

    bool isEmpty() const { return layout.isEmpty(); }

    friend bool operator==(const LayoutSourceSnapshot &a, const LayoutSourceSnapshot &b)
    {
        return a.source == b.source && a.layout == b.layout && a.grid == b.grid && a.probeDetail == b.probeDetail;
    }
};
