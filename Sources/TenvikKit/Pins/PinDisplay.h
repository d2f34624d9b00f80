// SPDX-License-Identifier: MIT
// PinDisplay.h: one display as the pin code sees it: its frame in the bottom-left-origin desktop
// space (y up, the primary display's bottom-left corner at 0, 0) and its backing scale.
#pragma once

#include "ArveloCore/Geometry.h"

namespace tenvik {

struct PinDisplay {
    arvelo::Rect frame;
    double scale = 1;

    friend bool operator==(const PinDisplay& a, const PinDisplay& b) {
        return a.frame.standardized() == b.frame.standardized() && a.scale == b.scale;
    }
};

}  // namespace tenvik
