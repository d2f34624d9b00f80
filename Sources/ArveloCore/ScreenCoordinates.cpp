// SPDX-License-Identifier: MIT
// ScreenCoordinates.cpp: the vertical flip between the two screen spaces.
#include "ScreenCoordinates.h"

namespace arvelo::ScreenCoordinates {

namespace {

Rect flip(const Rect& rect, double primaryHeight) {
    const Rect r = rect.standardized();
    return {r.x, primaryHeight - r.maxY(), r.width, r.height};
}

}  // namespace

Rect bottomLeftRect(const Rect& topLeftRect, double primaryHeight) { return flip(topLeftRect, primaryHeight); }
Rect topLeftRect(const Rect& bottomLeftRect, double primaryHeight) { return flip(bottomLeftRect, primaryHeight); }

}  // namespace arvelo::ScreenCoordinates
