#include "edit_mode_gate.h"

#include <cmath>

namespace {

// A timer may fire a hair early; this much early still counts as the full hold.
constexpr double kHoldSlack = 0.000001;

bool isFinite(QPointF point)
{
    return std::isfinite(point.x()) && std::isfinite(point.y());
}

} // namespace

EditModeGate::EditModeGate() : EditModeGate(Tuning()) {}

EditModeGate::EditModeGate(const Tuning &tuning) : m_tuning(tuning) {}

bool EditModeGate::press(std::optional<int> index, QPointF point, double now)
{
    m_enteredDuringPress = false;
    if (!m_editing && index && isFinite(point) && std::isfinite(now)) {
        m_pendingIndex = index;
        m_origin = point;
        m_startedAt = now;
        return true;
    }
    m_pendingIndex.reset();
    return false;
}

bool EditModeGate::moved(QPointF point)
{
    if (!m_pendingIndex || !isFinite(point))
        return false;
    const double distance = std::hypot(point.x() - m_origin.x(), point.y() - m_origin.y());
    if (distance > m_tuning.moveTolerance) {
        m_pendingIndex.reset();
        return true;
    }
    return false;
}

EditModeGate::Action EditModeGate::holdElapsed(double now)
{
    if (m_editing || !m_pendingIndex)
        return Action::none;
    if (m_tuning.holdDuration <= now - m_startedAt + kHoldSlack) {
        m_pendingIndex.reset();
        m_editing = true;
        m_enteredDuringPress = true;
        return Action::enterEditing;
    }
    return Action::none;
}

void EditModeGate::forceEnter()
{
    if (m_editing)
        return;
    m_pendingIndex.reset();
    m_editing = true;
    m_enteredDuringPress = false;
}

bool EditModeGate::release()
{
    const bool result = m_enteredDuringPress;
    m_pendingIndex.reset();
    m_enteredDuringPress = false;
    return result;
}

void EditModeGate::exit()
{
    m_editing = false;
    m_pendingIndex.reset();
    m_enteredDuringPress = false;
}
