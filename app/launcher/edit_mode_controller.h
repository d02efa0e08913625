#pragma once

#include "paging/frame_clock.h"

#include "policy/edit_mode_gate.h"
#include "policy/option_key_trigger.h"

#include <QPointF>
#include <QPointer>
#include <QString>

#include <optional>

class AppTile;
class QTimer;

// Edit mode of a grid: entering it (long press, Option key, automation),
// the jiggle clock, delete badges and leaving it. Entering is not built yet;
// what is here keeps the grid's callers correct while it never is entered.
class EditModeController
{
public:
    // The grid in edit mode.
    class Host
    {
    public:
        virtual ~Host() = default;
        // The tiles that jiggle and carry delete badges.
        virtual const QList<AppTile *> &editableTiles() const = 0;
    };

    explicit EditModeController(Host &host);
    ~EditModeController();

    EditModeController(const EditModeController &) = delete;
    EditModeController &operator=(const EditModeController &) = delete;

    bool isEditing() const { return m_gate.isEditing(); }
    EditModeGate &gate() { return m_gate; }
    FrameClock &clock() { return m_clock; }

    // The delete badge under the press, until the release taps it.
    std::optional<int> pressedBadge() const { return m_pressedBadge; }
    void setPressedBadge(std::optional<int> index) { m_pressedBadge = index; }
    // The press landed off every tile: its release leaves edit mode.
    bool exitsOnRelease() const { return m_exitsOnRelease; }
    void setExitsOnRelease(bool exits) { m_exitsOnRelease = exits; }

    // Takes the Option key's state as it is now, so that a key already held
    // when the launcher shows is no press.
    void syncOptionKeyBaseline();
    void exit();
    void scheduleLongPress();
    void cancelLongPress();
    void applyJiggle(AppTile *tile, double rotationRadians, double translationX, double translationY);
    std::optional<int> badgeTileIndex(const QPointF &point) const;
    void handleBadgeTap(int index, bool previewOnly);

private:
    Host &m_host;
    EditModeGate m_gate{EditModeGate::Tuning{0.5, 7}};
    FrameClock m_clock;
    double m_clockStart = 0;
    QPointer<QTimer> m_longPressTimer;
    std::optional<int> m_pressedBadge;
    bool m_exitsOnRelease = false;
    OptionKeyTrigger m_optionTrigger;
    QString m_source = QStringLiteral("none");
};
