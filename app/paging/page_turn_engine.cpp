#include "paging/page_turn_engine.h"

#include "foundation/log.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Progress values come from input and from the command line: NaN counts as
// the start, infinities as the ends.
double clampUnit(double value)
{
    if (std::isnan(value))
        return 0;
    return std::clamp(value, 0.0, 1.0);
}

// Keeps "-0" out of the log.
double positiveZero(double value)
{
    return value == 0 ? 0.0 : value;
}

} // namespace

PageTurnEngine::PageTurnEngine(Host &host)
    : PageTurnEngine(host, Configuration())
{
}

PageTurnEngine::PageTurnEngine(Host &host, Configuration configuration)
    : PageTurnEngine(host, host, std::move(configuration))
{
}

PageTurnEngine::PageTurnEngine(Grid &grid, Timer &timer, Configuration configuration)
    : m_grid(grid)
    , m_timer(timer)
    , m_configuration(std::move(configuration))
{
    // A duration that is not a number would never end the slide.
    if (m_configuration.slideDuration && !std::isfinite(*m_configuration.slideDuration))
        m_configuration.slideDuration.reset();
}

void PageTurnEngine::goToPage(int page)
{
    const int count = std::max(1, m_grid.pageCount());
    const int target = std::clamp(page, 0, count - 1);
    const int current = m_grid.currentPage();
    if (target == current)
        return;
    const int direction = target > current ? 1 : -1;
    if (m_pagingAnimating) {
        m_pendingDirection = direction;
        return;
    }
    // One page per call, however far the requested page is.
    preparePaging(direction, 0, false);
    if (m_configuration.slideProgress) {
        applySlide(*m_configuration.slideProgress, direction);
        return;
    }
    if (m_grid.pagingEnabled()) {
        const double duration = m_configuration.slideDuration ? std::max(minimumSlideDuration, *m_configuration.slideDuration)
                                                        : defaultSlideDuration;
        animateSlide(1, duration, [this] { commitCompletion(); });
        return;
    }
    finishPaging();
}

void PageTurnEngine::preparePaging(int direction, double progress, bool forceVisual)
{
    finishPaging();
    const int direction1 = direction < 0 ? -1 : 1;
    m_pagingFromPage = m_grid.currentPage();
    m_pagingDirection = direction1;
    m_pagingProgress = 0;
    m_interactivePaging = true;

    const int target = m_pagingFromPage + direction1;
    if (target >= 0 && target < m_grid.pageCount()) {
        const bool visual = forceVisual || m_grid.pagingEnabled() || m_configuration.slideProgress.has_value()
                            || m_configuration.dragProgress.has_value();
        const bool outgoing = visual && m_grid.detachCurrentTiles();
        m_grid.showPage(target);
        m_hasOutgoing = outgoing;
        // The entering page follows the progress even when the page left had
        // no tiles to show, so that it never runs the wrong way and jumps
        // back at the finish.
        m_kind = visual ? TurnKind::entering : TurnKind::instant;
        applySlide(visual ? progress : 0, direction1);
    } else {
        m_kind = TurnKind::pull;
        applySlide(progress, direction1);
    }
}

double PageTurnEngine::slideX(double progress, bool incoming) const
{
    const double s = m_pagingDirection < 0 ? -1 : 1;
    const double width = m_grid.viewWidth();
    const double q = clampUnit(progress);
    switch (m_kind) {
    case TurnKind::entering:
        return positiveZero(incoming ? s * width * (1 - q) : (m_hasOutgoing ? -s * width * q : 0));
    case TurnKind::instant:
        return 0;
    case TurnKind::pull:
    case TurnKind::none:
        break;
    }
    return positiveZero(incoming ? -s * width * q : 0);
}

void PageTurnEngine::applySlide(double progress, int direction)
{
    m_pagingProgress = clampUnit(progress);
    m_pagingDirection = direction < 0 ? -1 : 1;
    const double inX = slideX(m_pagingProgress, true);
    m_grid.setIncomingOrigin(inX);
    const double outX = m_hasOutgoing ? slideX(m_pagingProgress, false) : 0;
    if (m_hasOutgoing)
        m_grid.setOutgoingOrigin(outX);
    m_slideOffset = inX;
    if (m_configuration.dumpWindows && !m_pagingAnimating)
        Log::write("[slide] apply p=%.3f inX=%.0f outX=%.0f", m_pagingProgress, inX, outX);
}

void PageTurnEngine::animateSlide(double target, double duration, std::function<void()> completion)
{
    m_timer.stopSlideClock();
    m_slideFrom = m_pagingProgress;
    m_slideTo = clampUnit(target);
    m_slideDuration = std::isfinite(duration) ? std::max(minimumSlideDuration, duration) : minimumSlideDuration;
    m_slideStart = m_grid.now();
    // A completion still stored belongs to a slide that no longer ends.
    m_slideCompletion = std::move(completion);
    m_pagingAnimating = true;
    if (m_configuration.dumpWindows)
        Log::write("[slide] start from=%.3f to=%.3f duration=%.3f", m_slideFrom, m_slideTo, m_slideDuration);
    m_timer.startSlideClock();
    slideTick(m_grid.now());
}

void PageTurnEngine::slideTick(double now)
{
    // A tick queued before the slide was finished finds nothing to move.
    if (!m_pagingAnimating)
        return;
    const double u = clampUnit((now - m_slideStart) / m_slideDuration);
    applySlide(m_slideFrom + (m_slideTo - m_slideFrom) * slideEase(u), m_pagingDirection);
    if (u < 1)
        return;
    m_timer.stopSlideClock();
    m_pagingAnimating = false;
    if (m_configuration.dumpWindows)
        Log::write("[slide] end at=%.3f", m_slideTo);
    auto completion = std::exchange(m_slideCompletion, nullptr);
    if (completion)
        completion();
}

double PageTurnEngine::slideEase(double t)
{
    const double c = clampUnit(t);
    return c * c * (3 - 2 * c);
}

void PageTurnEngine::finishPaging()
{
    m_timer.stopSlideClock();
    m_slideCompletion = nullptr;
    m_grid.resetHosts();
    m_hasOutgoing = false;
    m_kind = TurnKind::none;
    m_slideOffset = 0;
    m_pagingProgress = 0;
    m_interactivePaging = false;
    m_pagingAnimating = false;
    // A step queued while a slide ran belongs to that slide: when the slide
    // is cut short or springs back, the step goes with it instead of firing
    // after some later, unrelated turn.
    m_pendingDirection.reset();
    if (m_configuration.dumpWindows)
        Log::write("[slide] done progress=%.3f", m_pagingProgress);
}

void PageTurnEngine::flushPendingPage()
{
    if (!m_pendingDirection)
        return;
    const int direction = *std::exchange(m_pendingDirection, std::nullopt);
    goToPage(m_grid.currentPage() + direction);
}

void PageTurnEngine::commitCompletion()
{
    // The slide reached its page: its queued step, if any, is due now.
    const std::optional<int> queued = m_pendingDirection;
    finishPaging();
    m_pendingDirection = queued;
    flushPendingPage();
}

void PageTurnEngine::handle(const PageDragGesture::Signal &signal)
{
    ++m_gestureToken;
    switch (signal.kind) {
    case PageDragGesture::Signal::Kind::begin:
        preparePaging(signal.direction, signal.progress, false);
        if (m_configuration.dumpWindows)
            Log::write("[drag] begin direction=%d progress=%.3f", signal.direction, signal.progress);
        m_timer.scheduleGestureIdle(m_gestureToken, gestureIdleDelay);
        break;
    case PageDragGesture::Signal::Kind::move:
        // Without a prepared turn (it was finished under the drag) there is
        // nothing to move.
        if (!m_interactivePaging)
            return;
        applySlide(signal.progress, m_pagingDirection);
        if (m_configuration.dumpWindows)
            Log::write("[drag] move progress=%.3f", signal.progress);
        m_timer.scheduleGestureIdle(m_gestureToken, gestureIdleDelay);
        break;
    case PageDragGesture::Signal::Kind::settle:
        ++m_gestureToken;
        if (!m_interactivePaging)
            return;
        if (m_configuration.dumpWindows)
            Log::write("[drag] settle commit=%d from=%.3f duration=%.3f", signal.commit ? 1 : 0, m_pagingProgress,
                       signal.duration);
        settleInteractivePaging(signal.commit, signal.duration);
        break;
    }
}

void PageTurnEngine::handlePointer(const PageDragGesture::Signal &signal)
{
    switch (signal.kind) {
    case PageDragGesture::Signal::Kind::begin:
        // Shown sliding even with animation off: the pointer holds the page.
        preparePaging(signal.direction, signal.progress, true);
        if (m_configuration.dumpWindows)
            Log::write("[pointer-drag] begin direction=%d progress=%.3f", signal.direction, signal.progress);
        break;
    case PageDragGesture::Signal::Kind::move:
        if (!m_interactivePaging)
            return;
        applySlide(signal.progress, m_pagingDirection);
        if (m_configuration.dumpWindows)
            Log::write("[pointer-drag] move progress=%.3f", signal.progress);
        break;
    case PageDragGesture::Signal::Kind::settle:
        if (!m_interactivePaging)
            return;
        if (m_configuration.dumpWindows)
            Log::write("[pointer-drag] settle commit=%d from=%.3f duration=%.3f", signal.commit ? 1 : 0,
                       m_pagingProgress, signal.duration);
        settleInteractivePaging(signal.commit, signal.duration);
        break;
    }
}

void PageTurnEngine::settleInteractivePaging(bool commit, double duration)
{
    const int from = m_pagingFromPage;
    if (commit) {
        animateSlide(1, duration, [this] { commitCompletion(); });
        return;
    }
    animateSlide(0, duration, [this, from] {
        finishPaging();
        m_grid.showPage(from);
    });
}

void PageTurnEngine::idleCheck(int token, PageDragGesture &gesture)
{
    if (token != m_gestureToken || !m_interactivePaging || m_pagingAnimating)
        return;
    if (const auto signal = gesture.end(false))
        handle(*signal);
}
