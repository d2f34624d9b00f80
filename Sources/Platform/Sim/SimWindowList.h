// SimWindowList.h: the window server's window list of the simulated desktop, front to back,
// and the news of windows shown.
#pragma once

#include "Platform/Sim/World.h"
#include "Platform/WindowList.h"

#include <memory>

namespace platform::sim {

class SimWindowList : public WindowList {
public:
    // Tells windowDidAppear on the main queue, after the change, whenever the world opens a
    // window or brings one back from the Dock, and windowDidClose whenever a window vanishes.
    explicit SimWindowList(std::shared_ptr<World> world);
    ~SimWindowList() override;
    std::vector<WindowInfo> windows(const WindowListOptions& options) override;

private:
    std::shared_ptr<World> world_;
    // Keeps queued news from reaching a list that is gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace platform::sim
