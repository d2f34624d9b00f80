// SPDX-License-Identifier: MIT
// Pointer.h: the mouse pointer: its location and the pressed mouse buttons. Safe from any
// thread.
#pragma once

#include "ArveloCore/Geometry.h"

#include <cstdint>

namespace platform {

// Bits of pressedMouseButtons().
inline constexpr std::uint32_t kLeftMouseButton = 1u << 0;
inline constexpr std::uint32_t kRightMouseButton = 1u << 1;
inline constexpr std::uint32_t kOtherMouseButton = 1u << 2;

class Pointer {
public:
    virtual ~Pointer() = default;
    // The pointer's location in the bottom-left-origin screen space (the space of screens).
    virtual arvelo::Point location() = 0;
    // A bit per button held down: bit 0 the left button, bit 1 the right, bit 2 the middle.
    virtual std::uint32_t pressedMouseButtons() = 0;

    bool leftButtonDown() { return (pressedMouseButtons() & kLeftMouseButton) != 0; }
};

}  // namespace platform
