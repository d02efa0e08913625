#include "paging/paging_input_router.h"

#include "foundation/log.h"

#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kAngleNotch = 120;
// libinput's default: 120 eighths of a degree for 15 points of travel.
constexpr double kAnglePerPoint = 8.0;

using Phase = WheelPageNavigator::Phase;

} // namespace

PagingInputRouter::PagingInputRouter(PageTurnEngine &engine, Policies policies, bool dumpWindows)
    : m_engine(engine)
    , m_policies(policies)
    , m_dumpWindows(dumpWindows)
{
}

WheelPageNavigator::Event PagingInputRouter::translate(const QtScroll &scroll)
{
    WheelPageNavigator::Event event;
    event.inverted = scroll.inverted;
    event.timestamp = scroll.timestamp;
    const QPoint angle = scroll.angleDelta;
    // Phased events come from a device with fine-grained deltas even when
    // they report angles only.
    const bool wholeNotches = angle.x() % kAngleNotch == 0 && angle.y() % kAngleNotch == 0;
    event.precise = !scroll.pixelDelta.isNull() || scroll.phase != Qt::NoScrollPhase || !wholeNotches;
    if (!scroll.pixelDelta.isNull()) {
        event.deltaX = scroll.pixelDelta.x();
        event.deltaY = scroll.pixelDelta.y();
    } else if (event.precise) {
        event.deltaX = angle.x() / kAnglePerPoint;
        event.deltaY = angle.y() / kAnglePerPoint;
    } else {
        event.deltaX = double(angle.x()) / kAngleNotch;
        event.deltaY = double(angle.y()) / kAngleNotch;
    }

    switch (scroll.phase) {
    case Qt::NoScrollPhase:
        // Another device, or one without phases: no momentum run goes on.
        m_inMomentum = false;
        break;
    case Qt::ScrollBegin:
        m_inMomentum = false;
        event.phase = Phase::began;
        break;
    case Qt::ScrollUpdate:
        event.phase = Phase::changed;
        break;
    case Qt::ScrollMomentum:
        event.momentumPhase = m_inMomentum ? Phase::changed : Phase::began;
        m_inMomentum = true;
        break;
    case Qt::ScrollEnd:
        if (m_inMomentum) {
            event.momentumPhase = Phase::ended;
            m_inMomentum = false;
        } else {
            event.phase = Phase::ended;
        }
        break;
    }
    return event;
}

WheelPageNavigator::Event PagingInputRouter::translate(const QWheelEvent &event)
{
    QtScroll scroll;
    scroll.pixelDelta = event.pixelDelta();
    scroll.angleDelta = event.angleDelta();
    scroll.phase = event.phase();
    scroll.inverted = event.inverted();
    scroll.timestamp = double(event.timestamp()) / 1000.0;
    return translate(scroll);
}

int PagingInputRouter::phaseBits(WheelPageNavigator::Phase phase)
{
    switch (phase) {
    case Phase::none:
        return 0;
    case Phase::began:
        return 1;
    case Phase::changed:
        return 4;
    case Phase::ended:
        return 8;
    case Phase::cancelled:
        return 16;
    case Phase::mayBegin:
        return 32;
    }
    return 0;
}

void PagingInputRouter::scroll(const WheelPageNavigator::Event &event)
{
    const int pageCount = m_engine.pageCount();
    if (pageCount <= 1)
        return;
    if (m_dumpWindows)
        Log::write("[wheel-event] dx=%.1f dy=%.1f precise=%d inverted=%d phase=%d momentum=%d t=%.3f", event.deltaX,
                   event.deltaY, event.precise ? 1 : 0, event.inverted ? 1 : 0, phaseBits(event.phase),
                   phaseBits(event.momentumPhase), event.timestamp);

    const bool notch = !event.precise && event.phase == Phase::none && event.momentumPhase == Phase::none;
    if (!notch) {
        m_policies.lastPreciseWheelTime = event.timestamp;
        if (m_engine.isPagingAnimating())
            return;
        const int base = m_engine.basePage();
        const auto signal = m_policies.dragGesture.consume(event, base + 1 < pageCount, base > 0);
        if (!signal)
            return;
        m_engine.handle(*signal);
        if (m_dumpWindows)
            Log::write("[page] %d", m_engine.currentPage());
        return;
    }

    const double lastPrecise = m_policies.lastPreciseWheelTime;
    if (lastPrecise >= 0 && std::abs(event.timestamp - lastPrecise) < notchSuppression)
        return;
    const auto direction = m_policies.wheelNavigator.consume(event);
    if (!direction)
        return;
    const int from = m_engine.currentPage();
    const int step = *direction == WheelPageNavigator::Direction::next ? 1 : -1;
    // During a running slide the engine queues the step instead of dropping it.
    m_engine.goToPage(std::clamp(from + step, 0, pageCount - 1));
    if (m_dumpWindows) {
        Log::write("[wheel] direction=%@ from=%d to=%d precise=0", direction->rawValue(), from,
                   m_engine.currentPage());
        Log::write("[page] %d", m_engine.currentPage());
    }
}

void PagingInputRouter::sideButton(int buttonNumber, double timestamp, int eventNumber, bool acceptsPointerPaging)
{
    // Refused presses do not consult the policy, so they use no cooldown.
    if (!acceptsPointerPaging || m_engine.isPagingAnimating())
        return;
    const auto direction = m_policies.sideButtonPolicy.consume(buttonNumber, timestamp);
    if (!direction)
        return;
    const int from = m_engine.currentPage();
    m_engine.goToPage(from + (*direction == SideButtonPagePolicy::Direction::next ? 1 : -1));
    if (m_dumpWindows) {
        Log::write("[side-button] button=%d direction=%@ from=%d to=%d", eventNumber, direction->rawValue(), from,
                   m_engine.currentPage());
        Log::write("[page] %d", m_engine.currentPage());
    }
}

void PagingInputRouter::armPointer(double x, double timestamp)
{
    m_policies.pointerDrag.arm(x, timestamp);
}

std::optional<PageDragGesture::Signal> PagingInputRouter::pointerMoved(double x, double timestamp, double width)
{
    const int base = m_engine.basePage();
    const auto signal =
        m_policies.pointerDrag.move(x, timestamp, width, base + 1 < m_engine.pageCount(), base > 0);
    if (signal)
        m_engine.handlePointer(*signal);
    return signal;
}

std::optional<PageDragGesture::Signal> PagingInputRouter::pointerReleased(double timestamp)
{
    const auto signal = m_policies.pointerDrag.end(timestamp);
    if (signal)
        m_engine.handlePointer(*signal);
    return signal;
}
