// SPDX-License-Identifier: MIT
// IconPictures: the pictures of a window's own icon as _NET_WM_ICON lists them (width, height,
// then width × height ARGB pixels, again for each size), read defensively: a size that is
// zero, absurdly large or longer than what is left ends the list. And which picture suits a
// view: the smallest at least as large as it asks, else the largest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform::x11 {

struct IconPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;  // row by row, 0xAARRGGBB
    friend bool operator==(const IconPicture&, const IconPicture&) = default;
};

// No icon side larger than this is taken (a 1024 × 1024 picture is 4 MiB).
inline constexpr std::uint32_t kLargestIconSide = 1024;

std::vector<IconPicture> iconPictures(const std::uint32_t* words, std::size_t count);

// The picture for a view `side` pixels square; none from an empty list.
std::optional<IconPicture> bestIconPicture(const std::vector<IconPicture>& pictures, int side);

}  // namespace platform::x11
