#pragma once

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

class QWidget;

// The launcher window covers the screen above every other window, so a modal
// window of the program (a prompt, an alert, a panel) would open under it,
// where nobody could answer it. Whoever runs one goes through this service:
// the launcher's own prompts and the uninstall confirmation have it step
// aside and come back; a modal window that belongs to another window (the
// settings window's panels, the tray's alerts over a shown launcher) runs
// with that window lowered instead. The launcher's state (page, search, selection) stays as it was.
// The launcher's owner provides the one implementation.
class ModalStepAside
{
public:
    virtual ~ModalStepAside() = default;

    // Orders the launcher out when it is shown.
    virtual void stepAside() = 0;
    // Brings the launcher back when it is not visible, as a show from hidden
    // does (window hints, the desktop's compositing), raised, active and with
    // the keyboard in its search field.
    virtual void comeBack() = 0;
    // Runs `body` once with `window` (may be null: none) lowered to the
    // normal window level, and puts the level back after: for a modal window
    // that belongs to another window than the launcher.
    virtual void runLowered(QWidget *window, const std::function<void()> &body) = 0;

    // runLowered() for a body with a result.
    template <typename Body>
    std::invoke_result_t<Body> lowering(QWidget *window, Body &&body)
    {
        using Result = std::invoke_result_t<Body>;
        if constexpr (std::is_void_v<Result>) {
            runLowered(window, std::forward<Body>(body));
        } else {
            std::optional<Result> result;
            runLowered(window, [&] { result.emplace(std::forward<Body>(body)()); });
            return std::move(*result);
        }
    }
};
