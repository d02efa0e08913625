#include "window_under_pointer.h"

namespace {

class NoWindowUnderPointer final : public WindowUnderPointer
{
public:
    bool pointerOverOtherWindow(QWidget *) override { return false; }
};

} // namespace

std::unique_ptr<WindowUnderPointer> WindowUnderPointer::none()
{
    return std::make_unique<NoWindowUnderPointer>();
}
