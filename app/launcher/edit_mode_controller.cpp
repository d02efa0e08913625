#include "launcher/edit_mode_controller.h"

EditModeController::EditModeController(Host &host) : m_host(host)
{
    m_clock.prepare();
}

EditModeController::~EditModeController()
{
    m_clock.stop();
}

void EditModeController::exit()
{
    m_gate.exit();
    m_clock.stop();
}

// Holding Option enters edit mode only once edit mode can be entered; until
// then there is nothing to record.
void EditModeController::syncOptionKeyBaseline() {}

void EditModeController::scheduleLongPress() {}

void EditModeController::cancelLongPress() {}

void EditModeController::applyJiggle(AppTile *, double, double, double) {}

std::optional<int> EditModeController::badgeTileIndex(const QPointF &) const
{
    // No tile shows a delete badge outside edit mode, which cannot be entered yet.
    return std::nullopt;
}

void EditModeController::handleBadgeTap(int, bool) {}
