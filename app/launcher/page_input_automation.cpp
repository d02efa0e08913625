#include "launcher/page_input_automation.h"

#include "launcher/launcher_grid.h"
#include "launcher/pointer_press_controller.h"
#include "launcher/tile_drag_controller.h"
#include "paging/page_turner.h"
#include "session/launch_options.h"

#include "foundation/log.h"

#include <QWidget>

#include <algorithm>

namespace {

QString actionName(const EdgeAutoPagePolicy::Action &action)
{
    switch (action.kind) {
    case EdgeAutoPagePolicy::Action::wait:
        return QStringLiteral("wait");
    case EdgeAutoPagePolicy::Action::turn:
        return QStringLiteral("turn");
    case EdgeAutoPagePolicy::Action::idle:
        return QStringLiteral("idle");
    case EdgeAutoPagePolicy::Action::createPage:
        return QStringLiteral("createPage");
    }
    return QStringLiteral("idle");
}

} // namespace

PageInputAutomation::PageInputAutomation(LauncherGrid &grid, PageTurner &turner, TileDragController &tileDrag,
                                         PointerPressController &press)
    : m_grid(grid), m_turner(turner), m_tileDrag(tileDrag), m_press(press)
{
}

void PageInputAutomation::run(const QString &input)
{
    if (m_grid.pageCount < 2) {
        Log::write("[page-input] skip spec=%@ pages=%d", input, m_grid.pageCount);
        return;
    }

    if (input.startsWith(QStringLiteral("page:"))) {
        const qint64 requested = LaunchOptions::parseInteger(input.mid(5)).value_or(0);
        const int target = int(std::clamp<qint64>(requested, 0, m_grid.pageCount - 1));
        // One page per call; with animation the first call slides and the
        // following ones only queue a step.
        int calls = 0;
        while (m_grid.currentPage < target && calls < 64) {
            m_turner.engine().goToPage(m_grid.currentPage + 1);
            ++calls;
        }
        while (m_grid.currentPage > target && calls < 64) {
            m_turner.engine().goToPage(m_grid.currentPage - 1);
            ++calls;
        }
        Log::write("[page-input] goto=%d current=%d pages=%d", target, m_grid.currentPage, m_grid.pageCount);
        return;
    }

    if (input == QStringLiteral("side-next")) {
        m_press.sideButton(4);
        return;
    }

    if (input == QStringLiteral("side-back")) {
        m_turner.engine().goToPage(1);
        m_press.sideButton(3);
        return;
    }

    if (input == QStringLiteral("drag-next")) {
        const double w = m_grid.view.width();
        const double x0 = m_grid.view.rect().center().x() + w * 0.22;
        const double t0 = m_grid.now();
        PagingInputRouter &router = m_turner.router();
        router.armPointer(x0, t0);
        for (int i = 1; i <= 10; ++i)
            router.pointerMoved(x0 - (w * 0.45) * i / 10.0, t0 + i * 0.016, w);
        router.pointerReleased(t0 + 0.18);
        m_press.forgetPointerDrag();
        return;
    }

    if (input == QStringLiteral("edge-page")) {
        const QPointF point(m_grid.view.width() - 8, m_grid.view.height() / 2.0);
        const QString id = QStringLiteral("automation.edge");
        m_tileDrag.setLastDrag(point, id);
        const double t = m_grid.now();
        const EdgeAutoPagePolicy::Action a1 = m_tileDrag.applyEdgeAutoPage(point, id, t);
        const EdgeAutoPagePolicy::Action a2 = m_tileDrag.applyEdgeAutoPage(point, id, t + 0.6);
        const int turns = m_grid.pageCount;
        for (int i = 0; i < turns; ++i) {
            if (m_grid.currentPage < m_grid.pageCount - 1)
                m_turner.engine().goToPage(m_grid.currentPage + 1);
        }
        const EdgeAutoPagePolicy::Action a3 = m_tileDrag.applyEdgeAutoPage(point, id, t + 1.4);
        Log::write("[page-input] edge actions=%@/%@/%@ pages=%d transient=%d current=%d", actionName(a1),
                   actionName(a2), actionName(a3), m_grid.pageCount, m_tileDrag.transientPageCount(), m_grid.currentPage);
        m_tileDrag.cancelEdgeAutoPage();
        m_tileDrag.discardTransientPages();
        m_tileDrag.clearLastDrag();
        return;
    }

    Log::write("[page-input] unknown spec=%@", input);
}
