// SPDX-License-Identifier: MIT
// IconPictures.cpp: splitting _NET_WM_ICON into pictures and choosing one for a view.
#include "Platform/X11/IconPictures.h"

#include <algorithm>

namespace platform::x11 {

std::vector<IconPicture> iconPictures(const std::uint32_t* words, std::size_t count) {
    std::vector<IconPicture> pictures;
    std::size_t at = 0;
    while (words && count - at >= 2) {
        const std::uint32_t width = words[at], height = words[at + 1];
        if (width == 0 || height == 0 || width > kLargestIconSide || height > kLargestIconSide) break;
        const std::size_t pixels = std::size_t{width} * height;
        if (pixels > count - at - 2) break;  // a picture cut short by the property's end
        IconPicture picture;
        picture.width = static_cast<int>(width);
        picture.height = static_cast<int>(height);
        picture.argb.assign(words + at + 2, words + at + 2 + pixels);
        pictures.push_back(std::move(picture));
        at += 2 + pixels;
    }
    return pictures;
}

std::optional<IconPicture> bestIconPicture(const std::vector<IconPicture>& pictures, int side) {
    const IconPicture* best = nullptr;
    for (const IconPicture& p : pictures) {
        const int size = std::max(p.width, p.height);
        if (!best) {
            best = &p;
            continue;
        }
        const int bestSize = std::max(best->width, best->height);
        const bool fits = size >= side, bestFits = bestSize >= side;
        if ((fits && (!bestFits || size < bestSize)) || (!fits && !bestFits && size > bestSize)) best = &p;
    }
    if (!best) return std::nullopt;
    return *best;
}

}  // namespace platform::x11
