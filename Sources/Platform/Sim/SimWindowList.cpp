// SPDX-License-Identifier: MIT
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
    world_->onWindowChanged = [this, alive = std::weak_ptr<int>(alive_)](std::uint32_t number) {
        world_->clock().async([this, alive, number] {
            if (!alive.expired()) windowDidChange_.notify(number);
        });
    };
}

SimWindowList::~SimWindowList() {
    world_->onWindowShown = nullptr;
    world_->onWindowClosed = nullptr;
    world_->onWindowChanged = nullptr;
}

WindowInfo SimWindowList::describe(std::uint32_t number, const Window& window) {
    const App* owner = world_->app(window.pid);
    return {number,       window.pid,   owner->name.value_or(""), window.layer, window.frame,
            window.title, world_->onScreen(window), window.titleBarHeight};
}

std::vector<WindowInfo> SimWindowList::windows(const WindowListOptions& options) {
    return readWindows(options).windows;
}

WindowListRead SimWindowList::readWindows(const WindowListOptions& options) {
    world_->settle();
    if (world_->windowServerStalled) return {{}, false};
    WindowListRead read;
    for (auto number : world_->stacking()) {
        const Window* window = world_->liveWindow(number);
        if (!window) continue;
        if (world_->unansweredWindows.contains(number)) {
            read.complete = false;
            continue;
        }
        WindowInfo info = describe(number, *window);
        if (options.onScreenOnly && !info.onScreen) continue;
        if (options.excludeDesktopElements && window->desktopElement) continue;
        read.windows.push_back(std::move(info));
    }
    return read;
}

WindowLookup SimWindowList::lookUp(std::uint32_t number) {
    world_->settle();
    if (world_->windowServerStalled || world_->unansweredWindows.contains(number)) return {};
    const Window* window = world_->liveWindow(number);
    if (!window && world_->unmanagedWindows.contains(number)) {
        const Window* held = world_->window(number);
        const App* owner = held ? world_->app(held->pid) : nullptr;
        if (held && held->alive && owner && owner->running) return {WindowLookup::Answer::unlisted, std::nullopt};
    }
    if (!window) return {WindowLookup::Answer::destroyed, std::nullopt};
    return {WindowLookup::Answer::listed, describe(number, *window)};
}

std::optional<Subscription> SimWindowList::watch(std::uint32_t number, std::function<void()> onChange) {
    return windowDidChange_.connect([number, onChange = std::move(onChange)](std::uint32_t changed) {
        if (changed == number && onChange) onChange();
    });
}

}  // namespace platform::sim
