// SPDX-License-Identifier: MIT
// Spaces.h: the two Spaces (virtual desktop) queries of the arranger: which Space a display
// shows now, and which Spaces hold a window. Where the platform cannot tell, they answer 0
// and the empty set; they never fail.
#pragma once

#include "Platform/Screens.h"
#include "Platform/Spaces.h"

#include <cstdint>
#include <set>

namespace arvelo::Spaces {

// The Space the display shows now; 0 when none is found (no Spaces service, or a screen
// without a number).
std::uint64_t current(platform::Spaces* service, const platform::Screen& screen);
// The Spaces that hold the window; empty for window number 0 or when none is found.
std::set<std::uint64_t> of(platform::Spaces* service, std::uint32_t windowNumber);

}  // namespace arvelo::Spaces
