// SPDX-License-Identifier: MIT
// FrameScaler: turns an image the X server handed back (laid out as a PixelLayout) into opaque
// ARGB at another size in one pass, for live captures that are delivered smaller than the
// window. Each output pixel averages four samples of the source area it covers.
#pragma once

#include "Platform/X11/PixelLayout.h"

#include <cstdint>
#include <utility>

namespace platform::x11 {

// The size that fits width × height into at most maxWidth × maxHeight with the aspect ratio
// kept (scaled up or down), at least 1 × 1.
std::pair<int, int> fittedSize(int width, int height, int maxWidth, int maxHeight);

// The part of a window's pixmap a capture reads: its top-left corner at most as large as the
// display (a window of 10000 × 10000 pixels would otherwise be read whole, 400 MB a frame, and
// hold the X server busy for everyone), and at least 1 × 1.
std::pair<int, int> boundedReadSize(int width, int height, int displayWidth, int displayHeight);

// Converts and scales `width` × `height` source pixels into `outWidth` × `outHeight` ARGB
// pixels at `out`.
void scaleToArgb(const std::uint8_t* data, int width, int height, const PixelLayout& layout, int outWidth,
                 int outHeight, std::uint32_t* out);

}  // namespace platform::x11
