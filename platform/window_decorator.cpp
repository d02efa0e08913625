#include "window_decorator.h"


namespace {

class PassiveWindowDecorator final : public WindowDecorator
{
public:
    void applyOverlayHints(QWidget *) override {}
    bool compositing() override { return true; }
    void setBackground(QWidget *, const QColor &) override {}
};

} // namespace

std::unique_ptr<WindowDecorator> WindowDecorator::passive()
{
    return std::make_unique<PassiveWindowDecorator>();
}
