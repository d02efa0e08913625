#pragma once

#include <QPointF>

#include <optional>

// Decides when a long press on a tile enters edit mode: the press must stay
// within a small radius for the hold time. The owner runs the hold timer and
// calls holdElapsed() when it fires.
class EditModeGate
{
public:
    struct Tuning
    {
        double holdDuration = 0.5;
        // Points the pointer may travel before the press no longer counts as held.
        double moveTolerance = 7;

        friend bool operator==(const Tuning &, const Tuning &) = default;
    };

    enum class Action { none, enterEditing };

    EditModeGate();
    explicit EditModeGate(const Tuning &tuning);

    const Tuning &tuning() const { return m_tuning; }
    bool isEditing() const { return m_editing; }
    // Tile index of an armed long press.
    std::optional<int> pendingIndex() const { return m_pendingIndex; }
    // Edit mode was entered by the press that is still down.
    bool enteredDuringPress() const { return m_enteredDuringPress; }
    QPointF origin() const { return m_origin; }
    double startedAt() const { return m_startedAt; }

    // A press went down, on a tile or (index none) on empty space. Returns
    // whether a long press is now armed. A press at a NaN or infinite point or
    // time arms nothing: it could never be measured.
    bool press(std::optional<int> index, QPointF point, double now);
    // Returns true when this movement cancelled the armed press. A NaN or
    // infinite point is ignored.
    bool moved(QPointF point);
    // The hold timer fired.
    Action holdElapsed(double now);
    // Enters edit mode without a press (the Option key, a menu command).
    void forceEnter();
    // The press ended; returns whether it was the one that entered edit mode.
    bool release();
    void exit();

private:
    Tuning m_tuning;
    bool m_editing = false;
    std::optional<int> m_pendingIndex;
    bool m_enteredDuringPress = false;
    QPointF m_origin;
    double m_startedAt = 0;
};
