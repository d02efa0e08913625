#include "paging/page_turner.h"

#include <QPointer>
#include <QTimer>

#include <cmath>

PageTurner::PageTurner(PageTurnEngine::Grid &grid, PageTurnEngine::Configuration configuration)
    : m_grid(grid)
    , m_engine(grid, *this, configuration)
    , m_router(m_engine,
               {m_wheelNavigator, m_dragGesture, m_sideButtonPolicy, m_pointerDrag, m_lastPreciseWheelTime},
               configuration.dumpWindows)
{
    m_slideClock.prepare();
}

PageTurner::~PageTurner()
{
    m_slideClock.stop();
}

void PageTurner::resetScrollInput()
{
    m_wheelNavigator.reset();
    m_dragGesture.reset();
    m_lastPreciseWheelTime = -1;
}

void PageTurner::scheduleGestureIdle()
{
    scheduleGestureIdle(m_engine.gestureToken(), PageTurnEngine::gestureIdleDelay);
}

void PageTurner::startSlideClock()
{
    m_slideClock.start([this](double) { m_engine.slideTick(m_grid.now()); });
}

void PageTurner::stopSlideClock()
{
    m_slideClock.stop();
}

void PageTurner::scheduleGestureIdle(int token, double delay)
{
    // Bound to this object: a check never outlives the grid it belongs to.
    QTimer::singleShot(int(std::lround(delay * 1000)), this,
                       [this, token] { m_engine.idleCheck(token, m_dragGesture); });
}
