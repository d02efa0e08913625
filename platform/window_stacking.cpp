#include "window_stacking.h"

namespace {

class UnknownWindowStacking final : public WindowStacking
{
public:
    std::optional<QList<int>> places(const QList<const QWidget *> &) override { return std::nullopt; }
};

} // namespace

std::unique_ptr<WindowStacking> WindowStacking::unknown()
{
    return std::make_unique<UnknownWindowStacking>();
}
