// SPDX-License-Identifier: MIT
// SimWindowList.h: the window server's window list of the simulated desktop, front to back,
// one window's facts, and the news of windows shown, changed and closed; reads the stalled
// window server does not answer say so.
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
    WindowListRead readWindows(const WindowListOptions& options) override;
    WindowLookup lookUp(std::uint32_t number) override;
    // Told on the main queue whenever the world reports a change of the window.
    std::optional<Subscription> watch(std::uint32_t number, std::function<void()> onChange) override;

private:
    WindowInfo describe(std::uint32_t number, const Window& window);

    std::shared_ptr<World> world_;
    Signal<std::uint32_t> windowDidChange_;
    // Keeps queued news from reaching a list that is gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace platform::sim
