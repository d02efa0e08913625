// The launcher controller with the real launcher view as its content. Kept
// apart from launcher_controller.cpp so that the controller builds and is
// tested without the view.
#include "shell/launcher_controller.h"

#include "launcher/launcher_view.h"
#include "window_decorator.h"

namespace {

class LauncherViewContent final : public LauncherController::Content
{
public:
    explicit LauncherViewContent(LauncherView *view) : m_view(view) {}

    QWidget *view() override { return m_view; }

    void syncOptionKeyBaseline() override
    {
        if (m_view)
            m_view->syncOptionKeyBaseline();
    }

    void animateIn() override
    {
        if (m_view)
            m_view->animateIn();
    }

    void animateOut(std::function<void()> completion) override
    {
        if (m_view)
            m_view->animateOut(std::move(completion));
        else if (completion)
            completion();
    }

    LauncherView *launcherView() const { return m_view; }

private:
    QPointer<LauncherView> m_view;
};

} // namespace

std::unique_ptr<LauncherController> LauncherController::create(LauncherSession &session, IconProvider &icons,
                                                                const LaunchOptions &options,
                                                                Environment environment)
{
    auto controller = std::make_unique<LauncherController>(options, std::move(environment));
    controller->attachLauncherView(session, icons);
    return controller;
}

void LauncherController::attachLauncherView(LauncherSession &session, IconProvider &icons)
{
    // The view spans the window: its frame is the window's size at the origin.
    auto *view = new LauncherView(QRect(QPoint(0, 0), m_window->size()), session, icons, m_options);
    view->setWindowUnderPointer(m_environment.windowUnderPointer);
    view->setPictureReserve(m_pictureReserve);
    // The window paints one plain colour right under the view, which the
    // view's fade weighs the view against in place.
    view->setPresentationUnderlay([window = QPointer<LauncherWindow>(m_window), view = QPointer<QWidget>(view)]()
                                      -> std::optional<QColor> {
        if (!window || !view || view->parentWidget() != window)
            return std::nullopt;
        return window->underlay();
    });
    setContent(std::make_unique<LauncherViewContent>(view));
}

LauncherView *LauncherController::launcherView() const
{
    if (auto *content = dynamic_cast<LauncherViewContent *>(m_content.get()))
        return content->launcherView();
    return nullptr;
}

void LauncherController::dismissCoverForModal()
{
    if (m_window)
        m_window->hide();
}

void LauncherController::restoreCoverAfterModal()
{
    if (!m_window || m_window->isVisible())
        return;
    m_hiding = false;
    followCompositing();
    m_environment.decorator->applyOverlayHints(m_window);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    if (LauncherView *view = launcherView())
        view->focusSearchField();
}
