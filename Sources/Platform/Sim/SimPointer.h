// SPDX-License-Identifier: MIT
// SimPointer.h: the simulated pointer (location converted to the bottom-left-origin space of
// screens) and its buttons, as the world's script sets them.
#pragma once

#include "Platform/Pointer.h"
#include "Platform/Sim/World.h"

#include <memory>

namespace platform::sim {

class SimPointer : public Pointer {
public:
    explicit SimPointer(std::shared_ptr<World> world) : world_(std::move(world)) {}

    arvelo::Point location() override {
        const auto& displays = world_->displays();
        const double primaryHeight = displays.empty() ? 0 : displays.front().frame.height;
        return {world_->pointer.x, primaryHeight - world_->pointer.y};
    }
    std::uint32_t pressedMouseButtons() override { return world_->buttons; }

private:
    std::shared_ptr<World> world_;
};

}  // namespace platform::sim
