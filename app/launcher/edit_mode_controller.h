#pragma once

#include "paging/frame_clock.h"

#include "policy/edit_mode_gate.h"
#include "policy/option_key_trigger.h"

#include <QPointF>
#include <QTimer>
#include <QString>

#include <optional>

class AppTile;
class LauncherGrid;

// Edit mode of a grid: entering it (long press, Option key, automation),
// the jiggle clock, delete badges and leaving it.
class EditModeController
{
public:
    // What edit mode asks of the view that shows the grid; the tiles
    // themselves it reads from the LauncherGrid.
    class Host
    {
    public:
        virtual ~Host() = default;
        // Re-dresses every tile (badges) and the hint line for the current mode.
        virtual void applyEditModeAppearance() = 0;
        // One wobble pose for every tile, `time` seconds after entry.
        virtual void applyEditModeTransformsAt(double time) = 0;
        // The grid's selection changed: show it.
        virtual void selectionChanged() = 0;
        // A delete badge was tapped.
        virtual void deleteBadgeTapped(int index, bool previewOnly) = 0;
    };

    EditModeController(LauncherGrid &grid, Host &host);
    ~EditModeController();

    EditModeController(const EditModeController &) = delete;
    EditModeController &operator=(const EditModeController &) = delete;

    bool isEditing() const { return m_gate.isEditing(); }
    EditModeGate &gate() { return m_gate; }
    FrameClock &clock() { return m_clock; }
    // What started the current edit mode: "none", "long-press", "option" or "automation".
    const QString &source() const { return m_source; }
    bool longPressPending() const { return m_longPressTimer.isActive(); }

    // The delete badge under the press, until the release taps it.
    std::optional<int> pressedBadge() const { return m_pressedBadge; }
    void setPressedBadge(std::optional<int> index) { m_pressedBadge = index; }
    // The press landed off every tile: its release leaves edit mode.
    bool exitsOnRelease() const { return m_exitsOnRelease; }
    void setExitsOnRelease(bool exits) { m_exitsOnRelease = exits; }

    // Takes the Option key's state as it is now, so that a key already held
    // when the launcher shows is no press.
    void syncOptionKeyBaseline(bool optionDown);
    // One modifier change: whether Option is down after it, and the key that changed.
    void handleOptionFlags(bool optionDown, int keyCode);
    void enterEditModeViaOption();
    void exit();
    void scheduleLongPress();
    void cancelLongPress();
    // The long-press timer's action (tests call it with a driven clock).
    void longPressTimerFired();
    // The armed press was released at `time` (media time): when it was held
    // for the hold time, edit mode begins now and the release opens nothing.
    // Returns whether it did.
    bool pressEndedAt(double time);
    void jiggleTick(double time);
    void applyJiggle(AppTile *tile, double rotationRadians, double translationX, double translationY);
    void resetTileTransforms();
    std::optional<int> badgeTileIndex(const QPointF &point) const;
    void handleBadgeTap(int index, bool previewOnly);

    void simulateOptionKeyForAutomation();
    void releaseOptionForAutomation();
    void enterEditModeForAutomation();

private:
    void enter();
    // "left" or "right", as the log names the badges' side.
    QString badgePlacementName() const;
    void armLongPressTimer(double seconds);

    LauncherGrid &m_grid;
    Host &m_host;
    EditModeGate m_gate{EditModeGate::Tuning{0.5, 7}};
    FrameClock m_clock;
    double m_clockStart = 0;
    // A member, so that it can never fire into a controller that is gone.
    QTimer m_longPressTimer;
    std::optional<int> m_pressedBadge;
    bool m_exitsOnRelease = false;
    OptionKeyTrigger m_optionTrigger;
    QString m_source = QStringLiteral("none");
};
