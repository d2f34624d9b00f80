// SPDX-License-Identifier: MIT
// PixelLayout: how the X server lays out the pixels of an image it hands back (bits per
// pixel, row stride, byte order, the visual's colour masks), and the conversion of such an
// image into 32-bit ARGB. Handles 16-, 24-, 30- and 32-bit visuals.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::x11 {

struct PixelLayout {
    int bitsPerPixel = 32;   // 16 or 32 (24-bit packed pixels are not used by servers we meet)
    std::size_t stride = 0;  // bytes per row, padding included
    bool mostSignificantByteFirst = false;
    std::uint32_t redMask = 0xFF0000;
    std::uint32_t greenMask = 0x00FF00;
    std::uint32_t blueMask = 0x0000FF;

    // Bytes in a row of `width` pixels padded to `scanlinePad` bits.
    static std::size_t strideFor(int width, int bitsPerPixel, int scanlinePad);
};

// Converts width × height pixels of `data` laid out as `layout` into opaque ARGB pixels,
// row by row, into `out` (width × height values).
void convertToArgb(const std::uint8_t* data, int width, int height, const PixelLayout& layout, std::uint32_t* out);

}  // namespace platform::x11
