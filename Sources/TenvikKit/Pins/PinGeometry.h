// SPDX-License-Identifier: MIT
// PinGeometry.h: the backing scale a pinned window is shown at, so that its capture is asked at
// the window's real pixel size: the scale of the display holding most of the window.
#pragma once

#include "TenvikKit/Pins/PinDisplay.h"

#include <vector>

namespace tenvik::PinGeometry {

// `bounds` are in the top-left-origin space of window frames; the displays in the order of the
// screens, the primary one first. 1 without displays; the primary display's scale when the
// window overlaps none.
double scaleFactor(const arvelo::Rect& bounds, const std::vector<PinDisplay>& displays);

// The window's bounds turned into the displays' bottom-left-origin space, against the primary
// display.
arvelo::Rect toDisplaySpace(const arvelo::Rect& bounds, const PinDisplay& primary);

}  // namespace tenvik::PinGeometry
