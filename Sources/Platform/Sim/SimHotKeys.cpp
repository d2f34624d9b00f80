// SPDX-License-Identifier: MIT
// SimHotKeys.cpp: grabs and presses of the simulated keyboard.
#include "Platform/Sim/SimHotKeys.h"

namespace platform::sim {

void SimHotKeys::occupy(std::uint32_t keyCode, std::uint32_t modifiers) {
    occupied_.insert({keyCode, modifiers & kHotKeyModifierMask});
}

bool SimHotKeys::press(std::uint32_t keyCode, std::uint32_t modifiers) {
    if (!holds(keyCode, modifiers)) return false;
    return pressed(keyCode, modifiers);
}

bool SimHotKeys::holds(std::uint32_t keyCode, std::uint32_t modifiers) const {
    return grabbed_.contains({keyCode, modifiers & kHotKeyModifierMask});
}

StatusCode SimHotKeys::grab(std::uint32_t keyCode, std::uint32_t modifiers) {
    if (occupied_.contains({keyCode, modifiers})) return kEventHotKeyExistsErr;
    grabbed_.insert({keyCode, modifiers});
    return kNoErr;
}

void SimHotKeys::ungrab(std::uint32_t keyCode, std::uint32_t modifiers) { grabbed_.erase({keyCode, modifiers}); }

}  // namespace platform::sim
