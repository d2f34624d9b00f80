// SPDX-License-Identifier: MIT
// X11Spaces: Spaces are the window manager's desktops: Space n is desktop n - 1. Every
// display shows the current desktop; a window on every desktop (sticky) is in every Space.
// While the X server does not answer in time, the current Space is the last one read.
#pragma once

#include "Platform/Spaces.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/EventHub.h"

#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <unordered_map>

namespace platform::x11 {

class X11Spaces final : public Spaces {
public:
    X11Spaces(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events);
    SpaceID currentSpace(std::uint32_t screenNumber) override;
    std::set<SpaceID> spacesOfWindow(std::uint32_t windowNumber) override;

private:
    std::shared_ptr<Connection> connection_;
    // The monitors' numbers, read once and again after RandR said the monitors changed.
    std::optional<std::set<std::uint32_t>> monitors_;
    bool monitorsChanged_ = false;
    // The current desktop as last read in full.
    std::optional<std::uint32_t> lastDesktop_;
    Subscription subscription_;
    // Each window's Spaces as last read, while the fact cache's generation stands (pruning asks
    // for every arranged window each beat). Any thread.
    std::mutex spacesMutex_;
    std::uint64_t spacesGeneration_ = 0;
    std::unordered_map<std::uint32_t, std::set<SpaceID>> spaces_;
};

}  // namespace platform::x11
