// SPDX-License-Identifier: MIT
// FrameScaler.cpp: the fitted size and the four-sample scaler, with a fast path for the usual
// 32-bit xRGB layout.
#include "Platform/X11/FrameScaler.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace platform::x11 {

namespace {

bool isPlainXrgb(const PixelLayout& layout) {
    return std::endian::native == std::endian::little && layout.bitsPerPixel == 32 &&
           !layout.mostSignificantByteFirst && layout.redMask == 0xFF0000 && layout.greenMask == 0xFF00 &&
           layout.blueMask == 0xFF;
}

// Source positions of the two samples per output step along one axis.
std::vector<int> samplePositions(int source, int target) {
    std::vector<int> positions(static_cast<std::size_t>(target) * 2);
    const double step = static_cast<double>(source) / target;
    for (int i = 0; i < target; ++i) {
        positions[2 * i] = std::clamp(static_cast<int>((i + 0.25) * step), 0, source - 1);
        positions[2 * i + 1] = std::clamp(static_cast<int>((i + 0.75) * step), 0, source - 1);
    }
    return positions;
}

std::uint32_t average(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    // Channel by channel, two channels at a time in 64 bits.
    const auto spread = [](std::uint32_t p) {
        return (static_cast<std::uint64_t>(p & 0xFF00FF)) | (static_cast<std::uint64_t>(p & 0x00FF00) << 24);
    };
    const std::uint64_t sum = spread(a) + spread(b) + spread(c) + spread(d) + 0x0000000200020002ull;
    const std::uint64_t quarter = sum >> 2;
    return 0xFF000000u | static_cast<std::uint32_t>(quarter & 0xFF00FF) |
           static_cast<std::uint32_t>((quarter >> 24) & 0x00FF00);
}

}  // namespace

std::pair<int, int> boundedReadSize(int width, int height, int displayWidth, int displayHeight) {
    return {std::max(1, std::min(width, std::max(1, displayWidth))),
            std::max(1, std::min(height, std::max(1, displayHeight)))};
}

std::pair<int, int> fittedSize(int width, int height, int maxWidth, int maxHeight) {
    if (width <= 0 || height <= 0 || maxWidth <= 0 || maxHeight <= 0) return {1, 1};
    const double scale = std::min(static_cast<double>(maxWidth) / width, static_cast<double>(maxHeight) / height);
    return {std::clamp(static_cast<int>(std::lround(width * scale)), 1, maxWidth),
            std::clamp(static_cast<int>(std::lround(height * scale)), 1, maxHeight)};
}

void scaleToArgb(const std::uint8_t* data, int width, int height, const PixelLayout& layout, int outWidth,
                 int outHeight, std::uint32_t* out) {
    if (width == outWidth && height == outHeight) {
        convertToArgb(data, width, height, layout, out);
        return;
    }
    const std::vector<int> columns = samplePositions(width, outWidth);
    const std::vector<int> rows = samplePositions(height, outHeight);
    const bool plain = isPlainXrgb(layout);
    const int bytes = layout.bitsPerPixel / 8;
    const auto pixel = [&](const std::uint8_t* row, int x) {
        if (plain) return reinterpret_cast<const std::uint32_t*>(row)[x];
        std::uint32_t argb;
        convertToArgb(row + static_cast<std::ptrdiff_t>(x) * bytes, 1, 1, layout, &argb);
        return argb;
    };
    for (int y = 0; y < outHeight; ++y) {
        const std::uint8_t* upper = data + static_cast<std::size_t>(rows[2 * y]) * layout.stride;
        const std::uint8_t* lower = data + static_cast<std::size_t>(rows[2 * y + 1]) * layout.stride;
        std::uint32_t* target = out + static_cast<std::size_t>(y) * outWidth;
        for (int x = 0; x < outWidth; ++x) {
            const int left = columns[2 * x], right = columns[2 * x + 1];
            target[x] = average(pixel(upper, left), pixel(upper, right), pixel(lower, left), pixel(lower, right));
        }
    }
}

}  // namespace platform::x11
