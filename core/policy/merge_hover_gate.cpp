#include "merge_hover_gate.h"

#include <cmath>

namespace {

// Closed containment in `rect` grown by `margin` on every side, so that a
// pointer exactly on the grown edge still counts as inside.
bool containsWithMargin(const QRectF &rect, QPointF point, double margin)
{
    const QRectF r = rect.normalized();
    return point.x() >= r.left() - margin && point.x() <= r.right() + margin && point.y() >= r.top() - margin &&
           point.y() <= r.bottom() + margin;
}

} // namespace

MergeHoverGate::MergeHoverGate() : MergeHoverGate(Tuning()) {}

MergeHoverGate::MergeHoverGate(const Tuning &tuning) : m_tuning(tuning) {}

MergeHoverGate::Outcome MergeHoverGate::update(QPointF pointer, const std::optional<QString> &hoveredID, double now,
                                               const std::optional<QRectF> &slackRect)
{
    // Anchoring at a NaN point or starting a dwell at a NaN time would make
    // every later distance or duration NaN: the gate would then commit without
    // a rest, or never. Ignore such an update.
    if (!std::isfinite(pointer.x()) || !std::isfinite(pointer.y()) || !std::isfinite(now))
        return Outcome{m_candidate, m_committed, m_candidate.has_value() && !m_committed.has_value()};

    if (!hoveredID) {
        if (m_committed && slackRect && containsWithMargin(*slackRect, pointer, m_tuning.hysteresis)) {
            m_candidate = m_committed;
            return Outcome{m_committed, m_committed, false};
        }
        reset();
        return Outcome{};
    }

    if (m_candidate != hoveredID) {
        m_candidate = hoveredID;
        m_committed.reset();
        m_anchoredAt = pointer;
        m_candidateSince = now;
        return Outcome{hoveredID, std::nullopt, true};
    }

    const double distance = std::hypot(pointer.x() - m_anchoredAt.x(), pointer.y() - m_anchoredAt.y());
    if (distance > m_tuning.jitter) {
        // Still travelling across the tile: the dwell starts over from here.
        m_anchoredAt = pointer;
        m_candidateSince = now;
        m_committed.reset();
        return Outcome{m_candidate, std::nullopt, true};
    }
    if (m_committed || now - m_candidateSince < m_tuning.dwell)
        return Outcome{m_candidate, m_committed, !m_committed.has_value()};
    m_committed = m_candidate;
    return Outcome{m_candidate, m_committed, false};
}

void MergeHoverGate::reset()
{
    m_candidate.reset();
    m_committed.reset();
    m_anchoredAt = QPointF();
    m_candidateSince = 0;
}
