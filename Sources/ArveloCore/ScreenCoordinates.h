// SPDX-License-Identifier: MIT
// ScreenCoordinates.h: the flip between the Accessibility space (origin top left of the primary
// display, y downwards: layouts, tiles, window frames) and the panel space (origin bottom left,
// y upwards: screens and our own panels).
#pragma once

#include "ArveloCore/Geometry.h"

namespace arvelo::ScreenCoordinates {

// Both directions are the same flip: y' = primaryHeight - maxY, x, width and height kept; the
// rectangle is standardised first, so the result never has a negative size.
Rect bottomLeftRect(const Rect& topLeftRect, double primaryHeight);
Rect topLeftRect(const Rect& bottomLeftRect, double primaryHeight);

}  // namespace arvelo::ScreenCoordinates
