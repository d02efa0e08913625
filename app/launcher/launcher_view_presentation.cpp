// Showing and hiding the launcher through one value p: the view's alpha, and
// the grid's scale 0.94 + 0.06 p about its centre.

#include "launcher_view.h"

#include "launcher/picture_reserve.h"
#include "launcher/presentation_curve.h"
#include "session/launcher_session.h"

#include "foundation/log.h"


bool LauncherView::presentationAnimates() const
{
    return m_grid.session.settings().animate && !m_options.noAnimation;
}

void LauncherView::applyPresentation(double progress)
{
    m_presentation.setProgress(progress);
    // Alpha and scale are set together and painted in the same frame.
    PresentationAnimator::applyAlpha(*this, m_presentation.progress(), m_presentationUnderlay);
    applyPresentationTransform();
}

void LauncherView::animateIn()
{
    m_pages.turner().resetScrollInput();
    // The frozen-turn automation prepares its own turn below.
    if (!m_options.slideProgress && !m_options.dragProgress)
        finishPaging();

    if (!presentationAnimates()) {
        m_presentation.cancel();
        applyPresentation(1);
        releasePictureReserve();
        focusSearchField();
    } else {
        // A show that interrupts a hide continues from where the hide got to,
        // and the hide's completion (ordering the window out) never runs.
        const bool hiding = m_presentation.isRunning() && m_presentation.target() < 1;
        if (!hiding)
            applyPresentation(0);
        m_presentation.start(1, PresentationCurve::showDuration, false, [this] { releasePictureReserve(); });
        focusSearchField();
    }

    if (m_options.slideProgress)
        goToPage(m_grid.currentPage + 1);
    else if (m_options.dragProgress)
        simulateDrag(*m_options.dragProgress);
}

void LauncherView::releasePictureReserve()
{
    // Only a show that is yet to picture the grid uses it.
    if (m_pictureReserve)
        m_pictureReserve->release();
    m_pictureReserve.reset();
}

void LauncherView::animateOut(std::function<void()> completion)
{
    cancelTileDrag();
    exitEditMode();
    // Nothing pressed or selected outlives the launcher being hidden: a
    // press held across the hide enters no edit mode behind it.
    clearPressedState();
    m_editMode.cancelLongPress();
    m_editMode.gate().release();
    if (!m_grid.selection.isEmpty()) {
        m_grid.selection.clear();
        updateSelectionDisplay();
    }
    m_pages.abandonPointerTurn();
    m_press.forgetPointerDrag();
    m_tileDrag.cancelEdgeAutoPage();

    if (!presentationAnimates()) {
        m_presentation.cancel();
        // Left opaque for the next show; only the window goes away.
        applyPresentation(1);
        if (completion)
            completion();
        return;
    }
    m_presentation.start(0, PresentationCurve::hideDuration, true, std::move(completion));
}

void LauncherView::simulateDrag(double progress)
{
    if (m_grid.pageCount <= 1)
        return;
    const int direction = m_grid.currentPage + 1 < m_grid.pageCount ? 1 : -1;
    preparePaging(direction, progress, false);
    if (m_options.dumpWindows)
        Log::write("[drag] static progress=%.3f direction=%d", progress, direction);
}
