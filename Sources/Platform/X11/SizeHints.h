// SPDX-License-Identifier: MIT
// SizeHints: what a client's WM_NORMAL_HINTS make of a size it is asked to take, as window
// managers apply them to every resize (ICCCM 4.1.2.3): kept between the minimum and maximum
// size, to whole resize increments above the base size, and within the aspect ratios.
#pragma once

#include <xcb/xcb_icccm.h>

#include <cstdint>

namespace platform::x11 {

struct ClientSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
    friend bool operator==(const ClientSize&, const ClientSize&) = default;
};

// The client size the hints make of `asked`: increments and aspect ratios round down (a
// terminal of whole character cells), the minimum and maximum clamp.
ClientSize fitClientSize(const xcb_size_hints_t& hints, ClientSize asked);

}  // namespace platform::x11
