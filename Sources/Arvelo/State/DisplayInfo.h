// SPDX-License-Identifier: MIT
// DisplayInfo.h: one display as the coordinator sees it: its key (the screen number in
// decimal, "0" when unknown), its name, its visible and full frames in the top-left screen
// space, and the platform's screen it was made from.
#pragma once

#include <string>

#include "ArveloCore/Geometry.h"
#include "Platform/Screens.h"

namespace arvelo {

struct DisplayInfo {
    std::string id;
    std::string name;
    Rect frame;        // visible frame (without panels and docks), top-left space
    Rect screenFrame;  // full frame, top-left space
    platform::Screen screen;

    friend bool operator==(const DisplayInfo&, const DisplayInfo&) = default;

    // `primaryHeight` is the full height of the first screen (0 when there is none).
    static DisplayInfo make(const platform::Screen& screen, double primaryHeight);
};

}  // namespace arvelo
