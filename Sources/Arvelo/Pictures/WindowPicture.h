// WindowPicture.h: a picture of a window, taken for miniature tiles and the overview: its size
// in pixels and its pixels as 32-bit ARGB, row by row.
#pragma once

#include <cstdint>
#include <vector>

namespace arvelo {

struct WindowPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    friend bool operator==(const WindowPicture&, const WindowPicture&) = default;
};

}  // namespace arvelo
