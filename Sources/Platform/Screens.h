// SPDX-License-Identifier: MIT
// Screens.h: the displays: number, name, full frame and visible frame (without panels and
// docks), in the bottom-left-origin screen space (y up from the primary display's bottom).
// The first screen is the primary display. Main thread.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/Signal.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct Screen {
    std::optional<std::uint32_t> number;  // the display's screen number; absent when unknown
    std::string name;                     // localized name, e.g. "DP-1" or "Built-in Display"
    arvelo::Rect frame;                   // bottom-left-origin space
    arvelo::Rect visibleFrame;            // bottom-left-origin space
    double backingScaleFactor = 1.0;

    friend bool operator==(const Screen&, const Screen&) = default;
};

class Screens {
public:
    virtual ~Screens() = default;
    virtual std::vector<Screen> screens() = 0;

    // Displays were added, removed, moved or resized (on the main thread).
    Signal<> didChangeParameters;
};

}  // namespace platform
