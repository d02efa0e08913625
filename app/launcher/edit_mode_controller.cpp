#include "launcher/edit_mode_controller.h"

#include "launcher/launcher_grid.h"
#include "session/launch_options.h"
#include "tiles/app_tile.h"

#include "foundation/log.h"
#include "policy/edit_mode_badge_placement.h"

#include <QTimer>
#include <QTransform>

#include <algorithm>
#include <cmath>

EditModeController::EditModeController(LauncherGrid &grid, Host &host) : m_grid(grid), m_host(host)
{
    m_clock.prepare();
    m_longPressTimer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early, which the gate would refuse.
    m_longPressTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_longPressTimer, &QTimer::timeout, &m_longPressTimer, [this] { longPressTimerFired(); });
}

EditModeController::~EditModeController()
{
    m_clock.stop();
}

void EditModeController::scheduleLongPress()
{
    armLongPressTimer(m_gate.tuning().holdDuration);
}

void EditModeController::armLongPressTimer(double seconds)
{
    // Rounded up: a timer due a fraction of a millisecond early still misses.
    m_longPressTimer.start(std::max(1, int(std::ceil(seconds * 1000))));
}

void EditModeController::cancelLongPress()
{
    m_longPressTimer.stop();
}

void EditModeController::longPressTimerFired()
{
    cancelLongPress();
    const double now = m_grid.now();
    if (m_gate.holdElapsed(now) != EditModeGate::Action::enterEditing) {
        // Fired before the hold was over (timers and the media clock differ
        // a little): the press still held waits for the rest, instead of
        // becoming a click on its release.
        if (!isEditing() && m_gate.pendingIndex())
            armLongPressTimer(m_gate.startedAt() + m_gate.tuning().holdDuration - now);
        return;
    }
    m_source = QStringLiteral("long-press");
    enter();
}

bool EditModeController::pressEndedAt(double time)
{
    if (isEditing() || !m_gate.pendingIndex())
        return false;
    // The timer may not have run yet (a busy frame, a window being mapped),
    // while the press it waits for has been held long enough.
    if (m_gate.holdElapsed(time) != EditModeGate::Action::enterEditing)
        return false;
    m_source = QStringLiteral("long-press");
    enter();
    return true;
}

void EditModeController::enter()
{
    if (!isEditing())
        return;
    cancelLongPress();
    m_grid.selection.clear();
    m_host.selectionChanged();
    m_host.applyEditModeAppearance();
    m_clockStart = m_grid.now();
    const bool frozen = m_grid.options.freezeJiggle;
    if (frozen) {
        m_host.applyEditModeTransformsAt(0);
    } else {
        m_clock.start([this](double time) { jiggleTick(time); });
    }
    if (m_grid.options.dumpWindows) {
        const QList<AppTile *> &tiles = m_grid.tiles;
        int badges = 0;
        for (const AppTile *tile : tiles)
            badges += tile && tile->showsDeleteBadge() ? 1 : 0;
        Log::write("[edit-mode] entered badges=%d/%d placement=%@ frozen=%d via=%@", badges, int(tiles.size()),
                   badgePlacementName(), frozen ? 1 : 0, m_source);
    }
}

void EditModeController::exit()
{
    if (!isEditing())
        return;
    m_gate.exit();
    cancelLongPress();
    m_clock.stop();
    resetTileTransforms();
    m_host.applyEditModeAppearance();
    m_pressedBadge.reset();
    m_exitsOnRelease = false;
    m_source = QStringLiteral("none");
    if (m_grid.options.dumpWindows)
        Log::write("[edit-mode] exited");
}

void EditModeController::syncOptionKeyBaseline(bool optionDown)
{
    m_optionTrigger.syncBaseline(optionDown);
}

void EditModeController::handleOptionFlags(bool optionDown, int keyCode)
{
    switch (m_optionTrigger.flagsChanged(optionDown, keyCode)) {
    case OptionKeyTrigger::Action::press:
        enterEditModeViaOption();
        break;
    case OptionKeyTrigger::Action::release:
        // Only an edit mode the key itself started ends with the key.
        if (isEditing() && m_source == QLatin1String("option")) {
            exit();
            if (m_grid.options.dumpWindows)
                Log::write("[edit-mode] option-release restored editing=%d", isEditing() ? 1 : 0);
        }
        break;
    case OptionKeyTrigger::Action::none:
        break;
    }
}

void EditModeController::enterEditModeViaOption()
{
    if (isEditing())
        return;
    cancelLongPress();
    m_source = QStringLiteral("option");
    m_gate.forceEnter();
    enter();
}

void EditModeController::jiggleTick(double time)
{
    if (isEditing())
        m_host.applyEditModeTransformsAt(time - m_clockStart);
}

void EditModeController::applyJiggle(AppTile *tile, double rotationRadians, double translationX,
                                     double translationY)
{
    if (!tile)
        return;
    QTransform transform;
    transform.translate(translationX, translationY);
    transform.rotateRadians(rotationRadians);
    tile->setLayerTransform(transform);
}

QString EditModeController::badgePlacementName() const
{
    return EditModeBadgePlacement::parse(m_grid.options.badgeSide) == EditModeBadgePlacement::topRight
               ? QStringLiteral("right")
               : QStringLiteral("left");
}

void EditModeController::resetTileTransforms()
{
    for (AppTile *tile : m_grid.tiles)
        if (tile)
            tile->setLayerTransform(QTransform());
    for (AppTile *tile : m_grid.outgoingTiles)
        if (tile)
            tile->setLayerTransform(QTransform());
}

std::optional<int> EditModeController::badgeTileIndex(const QPointF &point) const
{
    if (!isEditing())
        return std::nullopt;
    const QList<AppTile *> &tiles = m_grid.tiles;
    for (int i = 0; i < tiles.size(); ++i) {
        const AppTile *tile = tiles.at(i);
        if (!tile || !tile->showsDeleteBadge() || tile->isHidden())
            continue;
        if (tile->deleteBadgeHit(m_grid.pointInTile(tile, point)))
            return i;
    }
    return std::nullopt;
}

void EditModeController::handleBadgeTap(int index, bool previewOnly)
{
    const QList<AppTile *> &tiles = m_grid.tiles;
    if (index < 0 || index >= tiles.size() || !tiles.at(index) || !tiles.at(index)->showsDeleteBadge())
        return;
    m_host.deleteBadgeTapped(index, previewOnly);
}

void EditModeController::simulateOptionKeyForAutomation()
{
    m_optionTrigger.syncBaseline(true);
    // A modifier snapshot with a key that is no Option key gives no edge.
    handleOptionFlags(true, 0);
    if (m_grid.options.dumpWindows)
        Log::write("[edit-mode] option-snapshot ignored editing=%d", isEditing() ? 1 : 0);
    handleOptionFlags(false, 58);
    handleOptionFlags(true, 58);
}

void EditModeController::releaseOptionForAutomation()
{
    handleOptionFlags(false, 58);
}

void EditModeController::enterEditModeForAutomation()
{
    if (isEditing())
        return;
    m_source = QStringLiteral("automation");
    const double now = m_grid.now();
    // Through the same gate as a real long press on the first tile.
    m_gate.press(0, QPointF(0, 0), now);
    m_gate.holdElapsed(now + m_gate.tuning().holdDuration);
    m_gate.release();
    if (!isEditing()) {
        m_source = QStringLiteral("none");
        return;
    }
    enter();
}
