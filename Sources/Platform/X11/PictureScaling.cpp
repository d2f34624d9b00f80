// SPDX-License-Identifier: MIT
// PictureScaling.cpp: the smaller picture's size and the box filter.
#include "Platform/X11/PictureScaling.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace platform::x11 {

PictureSize scaledPictureSize(PictureSize part, PictureSize frame, PictureSize wanted) {
    if (part.width <= 0 || part.height <= 0 || frame.width <= 0 || frame.height <= 0) return part;
    if (wanted.width >= frame.width && wanted.height >= frame.height) return part;
    const double scale = std::min(double(wanted.width) / frame.width, double(wanted.height) / frame.height);
    const auto side = [scale](int pixels) { return std::max(1, static_cast<int>(std::lround(pixels * scale))); };
    return {std::min(part.width, side(part.width)), std::min(part.height, side(part.height))};
}

void scaleDown(const std::uint32_t* from, PictureSize fromSize, std::uint32_t* to, PictureSize toSize) {
    if (toSize.width <= 0 || toSize.height <= 0 || fromSize.width <= 0 || fromSize.height <= 0) return;
    // The source columns each output column covers: [first[x], first[x + 1]), never empty.
    const auto bounds = [](int source, int output) {
        std::vector<int> first(static_cast<std::size_t>(output) + 1);
        for (int i = 0; i <= output; ++i)
            first[static_cast<std::size_t>(i)] =
                static_cast<int>(static_cast<std::int64_t>(i) * source / output);
        for (int i = 1; i <= output; ++i)
            first[static_cast<std::size_t>(i)] =
                std::max(first[static_cast<std::size_t>(i)], first[static_cast<std::size_t>(i) - 1] + 1);
        first[static_cast<std::size_t>(output)] = std::max(first[static_cast<std::size_t>(output)], source);
        return first;
    };
    const std::vector<int> columns = bounds(fromSize.width, toSize.width);
    const std::vector<int> rows = bounds(fromSize.height, toSize.height);
    for (int oy = 0; oy < toSize.height; ++oy) {
        const int y0 = rows[static_cast<std::size_t>(oy)];
        const int y1 = std::min(rows[static_cast<std::size_t>(oy) + 1], fromSize.height);
        for (int ox = 0; ox < toSize.width; ++ox) {
            const int x0 = columns[static_cast<std::size_t>(ox)];
            const int x1 = std::min(columns[static_cast<std::size_t>(ox) + 1], fromSize.width);
            std::uint64_t a = 0, r = 0, g = 0, b = 0, n = 0;
            for (int y = y0; y < y1; ++y) {
                const std::uint32_t* row = from + static_cast<std::size_t>(y) * fromSize.width;
                for (int x = x0; x < x1; ++x) {
                    const std::uint32_t p = row[x];
                    a += p >> 24;
                    r += (p >> 16) & 0xFF;
                    g += (p >> 8) & 0xFF;
                    b += p & 0xFF;
                    ++n;
                }
            }
            std::uint32_t out = 0;
            if (n > 0) {
                const auto mean = [n](std::uint64_t sum) { return static_cast<std::uint32_t>((sum + n / 2) / n); };
                out = mean(a) << 24 | mean(r) << 16 | mean(g) << 8 | mean(b);
            }
            to[static_cast<std::size_t>(oy) * toSize.width + ox] = out;
        }
    }
}

}  // namespace platform::x11
