// SPDX-License-Identifier: MIT
// WindowPicture.h: a picture of a window, taken for miniature tiles and the overview: its
// pixels as 32-bit ARGB (0xAARRGGBB), row by row from the top, shared between copies so the
// picture cache is cheap to copy, and the size in points it stands for (the window's frame).
#pragma once

#include "ArveloCore/Geometry.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace arvelo {

struct WindowPicture {
    int width = 0;   // pixels
    int height = 0;  // pixels
    std::shared_ptr<const std::vector<std::uint32_t>> pixels;
    Size size;  // points

    bool empty() const { return width <= 0 || height <= 0 || !pixels; }
    std::uint32_t pixel(int x, int y) const { return (*pixels)[static_cast<std::size_t>(y) * width + x]; }

    friend bool operator==(const WindowPicture&, const WindowPicture&) = default;
};

}  // namespace arvelo
