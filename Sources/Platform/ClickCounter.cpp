// SPDX-License-Identifier: MIT
// ClickCounter: counting presses into click states.
#include "Platform/ClickCounter.h"

#include <cmath>

namespace platform {

std::int64_t ClickCounter::press(std::int64_t button, arvelo::Point at, double time) {
    const bool near = std::abs(at.x - first_.x) <= distance_ && std::abs(at.y - first_.y) <= distance_;
    if (state_ > 0 && button == button_ && near && time - last_ <= interval_ && time >= last_) {
        ++state_;
    } else {
        state_ = 1;
        button_ = button;
        first_ = at;
    }
    last_ = time;
    return state_;
}

}  // namespace platform
