// SPDX-License-Identifier: MIT
// SimSpaces.h: the Spaces service of the simulated desktop: the current Space of each display
// and the Spaces of each window; answers 0 and the empty set while switched off.
#pragma once

#include "Platform/Sim/World.h"
#include "Platform/Spaces.h"

#include <memory>

namespace platform::sim {

class SimSpaces : public Spaces {
public:
    explicit SimSpaces(std::shared_ptr<World> world) : world_(std::move(world)) {}

    SpaceID currentSpace(std::uint32_t screenNumber) override {
        if (!world_->spacesAvailable) return 0;
        for (const auto& display : world_->displays())
            if (display.number == screenNumber) return display.currentSpace;
        return 0;
    }

    std::set<SpaceID> spacesOfWindow(std::uint32_t windowNumber) override {
        if (!world_->spacesAvailable || windowNumber == 0) return {};
        const Window* window = world_->liveWindow(windowNumber);
        return window ? world_->spacesOf(*window) : std::set<SpaceID>{};
    }

private:
    std::shared_ptr<World> world_;
};

}  // namespace platform::sim
