// SPDX-License-Identifier: MIT
// ClickCounter: the click state of presses (1 for a single click, 2 for the second press of a
// double click, ...): a press of the same button within the double-click interval of the one
// before and within the double-click distance of where the first press of the run was counts
// one more. Plain value logic; the desktop's interval and distance are given.
#pragma once

#include "ArveloCore/Geometry.h"

#include <cstdint>

namespace platform {

class ClickCounter {
public:
    ClickCounter(double interval, double distance) : interval_(interval), distance_(distance) {}

    // Counts a press at `time` (seconds) and returns its click state.
    std::int64_t press(std::int64_t button, arvelo::Point at, double time);

    double interval() const { return interval_; }
    double distance() const { return distance_; }

private:
    double interval_;
    double distance_;
    std::int64_t button_ = -1;
    arvelo::Point first_;
    double last_ = 0;
    std::int64_t state_ = 0;
};

}  // namespace platform
