// SPDX-License-Identifier: MIT
// PictureScaling: making a captured picture smaller: the output size a request for a smaller
// picture gives a part of a window, and the box filter that averages every source pixel an
// output pixel covers into it. Pure functions.
#pragma once

#include <cstdint>

namespace platform::x11 {

struct PictureSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// The size a part of `part` pixels of a window `frame` wide and high comes out at when the
// picture was asked at `wanted` pixels: the part itself when `wanted` is at least the frame on
// both sides, else the part scaled by the smaller of the two ratios (the window's proportions
// kept), at least one pixel a side.
PictureSize scaledPictureSize(PictureSize part, PictureSize frame, PictureSize wanted);

// Averages `from` (width × height ARGB pixels, rows from the top) into `to` (its width ×
// height pixels, each side at most the source's): every output pixel is the mean, channel by
// channel, of the source pixels its box covers.
void scaleDown(const std::uint32_t* from, PictureSize fromSize, std::uint32_t* to, PictureSize toSize);

}  // namespace platform::x11
