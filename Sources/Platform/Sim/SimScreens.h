// SPDX-License-Identifier: MIT
// SimScreens.h: the displays of the simulated desktop as screens, converted to the
// bottom-left-origin space (the first display is the primary one).
#pragma once

#include "Platform/Screens.h"
#include "Platform/Sim/World.h"

#include <memory>

namespace platform::sim {

class SimScreens : public Screens {
public:
    explicit SimScreens(std::shared_ptr<World> world) : world_(std::move(world)) {}

    std::vector<Screen> screens() override {
        std::vector<Screen> out;
        const auto& displays = world_->displays();
        if (displays.empty()) return out;
        const double primaryHeight = displays.front().frame.height;
        const auto flip = [primaryHeight](const arvelo::Rect& r) {
            return arvelo::Rect(r.x, primaryHeight - r.maxY(), r.width, r.height);
        };
        for (const auto& display : displays)
            out.push_back({display.number, display.name, flip(display.frame), flip(display.visibleFrame), 1.0});
        return out;
    }

private:
    std::shared_ptr<World> world_;
};

}  // namespace platform::sim
