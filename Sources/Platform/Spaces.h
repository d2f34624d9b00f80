// SPDX-License-Identifier: MIT
// Spaces.h: the Spaces (virtual desktops) service: which Space a display shows and which
// Spaces hold a window. Both calls are optional on a system: absent, they answer 0 and the
// empty set. Safe from any thread.
#pragma once

#include <cstdint>
#include <set>

namespace platform {

using SpaceID = std::uint64_t;

class Spaces {
public:
    virtual ~Spaces() = default;
    // The Space the display with this screen number shows; 0 when none is known.
    virtual SpaceID currentSpace(std::uint32_t screenNumber) = 0;
    // The Spaces that hold the window with this number; empty when none is known.
    virtual std::set<SpaceID> spacesOfWindow(std::uint32_t windowNumber) = 0;
};

}  // namespace platform
