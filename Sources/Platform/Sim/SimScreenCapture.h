// SimScreenCapture.h: the simulated screen-capture permission: a switch, and whether a
// request grants it.
#pragma once

#include "Platform/ScreenCapture.h"
#include "Platform/Sim/World.h"

#include <memory>

namespace platform::sim {

class SimScreenCapture : public ScreenCapture {
public:
    explicit SimScreenCapture(std::shared_ptr<World> world) : world_(std::move(world)) {}

    bool preflightAccess() override { return world_->screenCaptureAccess; }
    bool requestAccess() override {
        if (world_->grantScreenCaptureOnRequest) world_->screenCaptureAccess = true;
        return world_->screenCaptureAccess;
    }

private:
    std::shared_ptr<World> world_;
};

}  // namespace platform::sim
