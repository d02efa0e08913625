#pragma once

#include <QString>

class LauncherGrid;
class PageTurner;
class PointerPressController;
class TileDragController;

// "--simulate-page-input": one paging input replayed through the same parts
// a real one goes through, with the "[page-input]" log lines that tell what
// it did. The words: "page:N" (turn one page at a time up to page N),
// "side-next", "side-back" (the side buttons), "drag-next" (a pointer drag
// over empty space) and "edge-page" (a drag held at the trailing edge).
class PageInputAutomation
{
public:
    PageInputAutomation(LauncherGrid &grid, PageTurner &turner, TileDragController &tileDrag,
                        PointerPressController &press);

    void run(const QString &input);

private:
    LauncherGrid &m_grid;
    PageTurner &m_turner;
    TileDragController &m_tileDrag;
    PointerPressController &m_press;
};
