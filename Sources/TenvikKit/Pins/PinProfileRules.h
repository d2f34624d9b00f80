// SPDX-License-Identifier: MIT
// PinProfileRules.h: how a pin turns its window into a capture profile: the window's size in
// points times the display's backing scale, rounded and kept within what a capture can take,
// and the frame rate for a hidden, an idle and an interacted-with preview.
#pragma once

#include "TenvikKit/Pins/PinCaptureProfile.h"

#include "ArveloCore/Geometry.h"

namespace tenvik::PinProfileRules {

inline constexpr int kMaximumSide = 16384;
inline constexpr int kHiddenFramesPerSecond = 1;
inline constexpr int kInteractingFramesPerSecond = 30;
inline constexpr int kSlowestIdleFramesPerSecond = 5;
inline constexpr int kFastestIdleFramesPerSecond = 30;

// One side in pixels: points × scale to the nearest whole pixel (halves away from zero), within
// 1...16384.
int pixels(double points, double scale);

// The frame rate: 1 for a hidden window, 30 while the user works through the preview, else the
// idle setting within 5...30.
int framesPerSecond(bool visible, bool interacting, int idleFramesPerSecond);

PinCaptureProfile profile(const arvelo::Rect& bounds, double scale, int framesPerSecond);

}  // namespace tenvik::PinProfileRules
