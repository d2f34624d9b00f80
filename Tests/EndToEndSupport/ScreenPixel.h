// SPDX-License-Identifier: MIT
// ScreenPixel.h: reading the desktop the way a person would check it: the standard output of a
// shell tool (bounded by `timeout`), and one pixel or the whole of the screen as ImageMagick's
// `import` reads it, as colours compared with a tolerance.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace e2e {

struct Colour {
    int red = 0, green = 0, blue = 0;

    bool near(const Colour& other, int tolerance) const;
    std::string text() const;  // "(r,g,b)"
};

// The colour of a 0xAARRGGBB pixel (alpha dropped).
Colour colourOf(std::uint32_t argb);

// The standard output of a shell command run with a 20 s time-out ("" when it could not run).
std::string shellOutput(const std::string& command);

// One pixel of the root window; none when `import` is missing or answers nothing readable.
std::optional<Colour> screenPixel(int x, int y);

// The whole root window as `import` reads it at one moment, to compare several places of it.
struct ScreenImage {
    int width = 0, height = 0;
    std::string rgb;  // three bytes a pixel, row by row

    // The colour at (x, y); black outside the image.
    Colour at(int x, int y) const;
};
// None when `import` is missing or answers nothing readable.
std::optional<ScreenImage> screenImage();

}  // namespace e2e
