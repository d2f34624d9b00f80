// SimWindowList.h: the window server's window list of the simulated desktop, front to back.
#pragma once

#include "Platform/Sim/World.h"
#include "Platform/WindowList.h"

#include <memory>

namespace platform::sim {

class SimWindowList : public WindowList {
public:
    explicit SimWindowList(std::shared_ptr<World> world) : world_(std::move(world)) {}
    std::vector<WindowInfo> windows(const WindowListOptions& options) override;

private:
    std::shared_ptr<World> world_;
};

}  // namespace platform::sim
