// SPDX-License-Identifier: MIT
// Gesture.h: the two three-finger gestures the kit recognises on a touchpad.
#pragma once

#include <string_view>

namespace tenvik {

enum class Gesture { threeFingerTap, threeFingerPress };

inline std::string_view toString(Gesture gesture) {
    return gesture == Gesture::threeFingerTap ? "threeFingerTap" : "threeFingerPress";
}

}  // namespace tenvik
