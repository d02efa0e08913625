#include "window_decorator.h"


namespace {

class PassiveWindowDecorator final : public WindowDecorator
{
public:
    void applyOverlayHints(QWidget *) override {}
};

} // namespace

std::unique_ptr<WindowDecorator> WindowDecorator::passive()
{
    return std::make_unique<PassiveWindowDecorator>();
}
