#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

// Decides when a tile dragged over another has rested there long enough to
// mean "make a folder of these two": a dwell while the pointer stays within a
// jitter radius, and a hysteresis margin that keeps a committed target while
// the pointer wobbles just off it. The owner runs the dwell timer it asks for.
class MergeHoverGate
{
public:
    struct Tuning
    {
        double dwell = 0.5;
        double jitter = 8;
        double hysteresis = 12;

        friend bool operator==(const Tuning &, const Tuning &) = default;
    };

    struct Outcome
    {
        // The tile under the pointer that would receive the merge.
        std::optional<QString> candidate;
        // The tile on which the dwell has completed: a drop here merges.
        std::optional<QString> committed;
        // Call update() again once the dwell can have completed.
        bool needsDwellTimer = false;

        friend bool operator==(const Outcome &, const Outcome &) = default;
    };

    MergeHoverGate();
    explicit MergeHoverGate(const Tuning &tuning);

    const Tuning &tuning() const { return m_tuning; }
    const std::optional<QString> &candidate() const { return m_candidate; }
    const std::optional<QString> &committed() const { return m_committed; }
    double candidateSince() const { return m_candidateSince; }
    QPointF anchoredAt() const { return m_anchoredAt; }

    // `hoveredID` is the tile under the pointer, none over empty space;
    // `slackRect` the frame of the committed target. An update with a NaN or
    // infinite pointer or time changes nothing and reports the current state.
    Outcome update(QPointF pointer, const std::optional<QString> &hoveredID, double now,
                   const std::optional<QRectF> &slackRect);
    void reset();

private:
    Tuning m_tuning;
    std::optional<QString> m_candidate;
    std::optional<QString> m_committed;
    double m_candidateSince = 0;
    QPointF m_anchoredAt;
};
