#include "window_decorator.h"

#include <QGuiApplication>

namespace {

class PassiveWindowDecorator final : public WindowDecorator
{
public:
    void applyOverlayHints(QWidget *) override {}
};

} // namespace

std::unique_ptr<WindowDecorator> WindowDecorator::forCurrentPlatform()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return makeX11WindowDecorator();
    return std::make_unique<PassiveWindowDecorator>();
}
