#include "tray_watcher.h"

namespace {

class PassiveTrayWatcher final : public TrayWatcher
{
public:
    bool isTrayAvailable() const override { return false; }
};

} // namespace

std::unique_ptr<TrayWatcher> TrayWatcher::passive()
{
    return std::make_unique<PassiveTrayWatcher>();
}
