#pragma once

#include "modal/modal_step_aside.h"

#include <functional>

class LauncherController;

// The program's one ModalStepAside: the launcher controller orders its window
// out and brings it back the way a show from hidden does, and AppAlert lowers
// a window for a modal body.
class LauncherStepAside final : public ModalStepAside
{
public:
    // `launcher` is asked at each call: the launcher may not exist yet (none
    // then: nothing steps aside, nothing comes back).
    explicit LauncherStepAside(std::function<LauncherController *()> launcher);

    void stepAside() override;
    void comeBack() override;
    void runLowered(QWidget *window, const std::function<void()> &body) override;

    // The launcher's window while it is shown, else null: what an alert from
    // elsewhere (the tray) runs lowered.
    QWidget *shownLauncherWindow() const;

private:
    std::function<LauncherController *()> m_launcher;
};
