// SpatialInputController.cpp: installing and removing the spatial canvas's event tap.
#include "Arvelo/Input/SpatialInputController.h"

#include "Arvelo/Coordinator/Coordinator.h"

namespace arvelo {

SpatialInputController::SpatialInputController(std::weak_ptr<Coordinator> coordinator, bool enabled_)
    : enabled(enabled_), coordinator_(std::move(coordinator)) {}

void SpatialInputController::install() {
    if (!enabled || tap) return;
    const auto coordinator = coordinator_.lock();
    if (!coordinator || !coordinator->services().accessibility->isProcessTrusted()) return;
    if (createTap) tap = createTap();
}

void SpatialInputController::stop() {
    tap.reset();
    swallowedDown = false;
}

}  // namespace arvelo
