#pragma once

#include "paging/page_turn_engine.h"
#include "paging/page_turner.h"

class LauncherGrid;
class QScrollArea;
class QWheelEvent;
class QWidget;
struct LaunchOptions;

// The launcher grid's pages as the page turner moves them: the canvas of
// the page shown, and during a turn the canvas of the page being left, with
// the tiles it took along. Owns the grid's PageTurner.
class LauncherPages final : private PageTurnEngine::Grid
{
public:
    class Host
    {
    public:
        virtual ~Host() = default;
        // Animated page turns are switched on (settings and command line).
        virtual bool pagingEnabled() const = 0;
        // Fills the canvas with the tiles of the grid's current page.
        virtual void rebuildGrid() = 0;
    };

    LauncherPages(LauncherGrid &grid, Host &host);
    ~LauncherPages() override;

    LauncherPages(const LauncherPages &) = delete;
    LauncherPages &operator=(const LauncherPages &) = delete;

    PageTurner &turner() { return m_turner; }
    const PageTurner &turner() const { return m_turner; }

    // Hiding: a turn half-dragged by the pointer is abandoned, and the page
    // where the drag began stays; the pointer drag is forgotten.
    void abandonPointerTurn();

    // Moves `canvas` to `x`, snapped to the device's pixels.
    void setSlideOrigin(QWidget *canvas, double x) const;

    // One wheel or trackpad event on `view`: in scroll mode the grid in
    // `scrollContainer` scrolls wherever the pointer is; else it turns pages.
    void wheel(QWheelEvent *event, QWidget &view, QScrollArea &scrollContainer);

    static PageTurnEngine::Configuration configuration(const LaunchOptions &options);

private:
    // PageTurnEngine::Grid
    int currentPage() const override;
    int pageCount() const override;
    bool pagingEnabled() const override { return m_host.pagingEnabled(); }
    double viewWidth() const override;
    double now() const override;
    bool detachCurrentTiles() override;
    void showPage(int page) override;
    void setIncomingOrigin(double x) override;
    void setOutgoingOrigin(double x) override;
    void resetHosts() override;

    LauncherGrid &m_grid;
    Host &m_host;
    // Last: it goes first, before the canvases it moves.
    PageTurner m_turner;
};
