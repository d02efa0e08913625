#include "shell/launcher_step_aside.h"

#include "shell/app_alert.h"
#include "shell/launcher_controller.h"
#include "shell/launcher_window.h"

LauncherStepAside::LauncherStepAside(std::function<LauncherController *()> launcher)
    : m_launcher(std::move(launcher))
{
}

void LauncherStepAside::stepAside()
{
    if (LauncherController *launcher = m_launcher())
        launcher->dismissCoverForModal();
}

void LauncherStepAside::comeBack()
{
    if (LauncherController *launcher = m_launcher())
        launcher->restoreCoverAfterModal();
}

void LauncherStepAside::runLowered(QWidget *window, const std::function<void()> &body)
{
    AppAlert::modal(window, body);
}

QWidget *LauncherStepAside::shownLauncherWindow() const
{
    LauncherController *launcher = m_launcher();
    return launcher && launcher->isVisible() ? launcher->window() : nullptr;
}
