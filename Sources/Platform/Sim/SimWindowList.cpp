// SimWindowList.cpp: listing the simulated windows in stacking order.
#include "Platform/Sim/SimWindowList.h"

namespace platform::sim {

SimWindowList::SimWindowList(std::shared_ptr<World> world) : world_(std::move(world)) {
    world_->onWindowShown = [this, alive = std::weak_ptr<int>(alive_)] {
        world_->clock().async([this, alive] {
            if (!alive.expired()) windowDidAppear.notify();
        });
    };
    world_->onWindowClosed = [this, alive = std::weak_ptr<int>(alive_)](std::uint32_t number) {
        world_->clock().async([this, alive, number] {
            if (!alive.expired()) windowDidClose.notify(number);
        });
    };
}

SimWindowList::~SimWindowList() {
    world_->onWindowShown = nullptr;
    world_->onWindowClosed = nullptr;
}

std::vector<WindowInfo> SimWindowList::windows(const WindowListOptions& options) {
    world_->settle();
    std::vector<WindowInfo> list;
    for (auto number : world_->stacking()) {
        const Window* window = world_->liveWindow(number);
        if (!window) continue;
        const bool visible = world_->onScreen(*window);
        if (options.onScreenOnly && !visible) continue;
        if (options.excludeDesktopElements && window->desktopElement) continue;
        const App* owner = world_->app(window->pid);
        list.push_back(
            {number, window->pid, owner->name.value_or(""), window->layer, window->frame, window->title, visible});
    }
    return list;
}

}  // namespace platform::sim
