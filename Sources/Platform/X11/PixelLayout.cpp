// SPDX-License-Identifier: MIT
// PixelLayout.cpp: reading pixels of any channel width into 8-bit channels.
#include "Platform/X11/PixelLayout.h"

#include <bit>

namespace platform::x11 {

namespace {

// One colour channel: where it sits in a pixel and how wide it is.
struct Channel {
    int shift = 0;
    int bits = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t mask)
        : shift(mask ? std::countr_zero(mask) : 0),
          bits(std::popcount(mask)),
          max(bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1) {}

    std::uint32_t eightBit(std::uint32_t pixel) const {
        if (bits == 0) return 0;
        const std::uint32_t value = pixel >> shift & max;
        if (bits == 8) return value;
        if (bits > 8) return value >> (bits - 8);
        return (value * 255 + max / 2) / max;
    }
};

std::uint32_t readPixel(const std::uint8_t* p, int bitsPerPixel, bool msbFirst) {
    if (bitsPerPixel == 16) return msbFirst ? std::uint32_t(p[0]) << 8 | p[1] : std::uint32_t(p[1]) << 8 | p[0];
    if (bitsPerPixel == 24)
        return msbFirst ? std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2]
                        : std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
    return msbFirst ? std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3]
                    : std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

}  // namespace

std::size_t PixelLayout::strideFor(int width, int bitsPerPixel, int scanlinePad) {
    const std::size_t pad = scanlinePad > 0 ? static_cast<std::size_t>(scanlinePad) : 32;
    const std::size_t bits = static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel);
    return (bits + pad - 1) / pad * pad / 8;
}

void convertToArgb(const std::uint8_t* data, int width, int height, const PixelLayout& layout, std::uint32_t* out) {
    const bool plain = layout.bitsPerPixel == 32 && !layout.mostSignificantByteFirst && layout.redMask == 0xFF0000 &&
                       layout.greenMask == 0xFF00 && layout.blueMask == 0xFF;
    if (plain && std::endian::native == std::endian::little) {
        // The common case: the server's pixels are already xRGB in our byte order.
        for (int y = 0; y < height; ++y) {
            const auto* row =
                reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * layout.stride);
            std::uint32_t* target = out + static_cast<std::size_t>(y) * width;
            for (int x = 0; x < width; ++x) target[x] = row[x] | 0xFF000000u;
        }
        return;
    }
    const Channel red(layout.redMask), green(layout.greenMask), blue(layout.blueMask);
    const int bytes = layout.bitsPerPixel / 8;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = data + static_cast<std::size_t>(y) * layout.stride;
        std::uint32_t* target = out + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel =
                readPixel(row + x * bytes, layout.bitsPerPixel, layout.mostSignificantByteFirst);
            target[x] = 0xFF000000u | red.eightBit(pixel) << 16 | green.eightBit(pixel) << 8 | blue.eightBit(pixel);
        }
    }
}

}  // namespace platform::x11
