// SPDX-License-Identifier: MIT
// FrameGesture.h: one contact frame through a device's gesture state machine: its finger count
// (contacts or finger-count keys, whichever says more) and its contacts' centroid. A frame the
// kernel made while releasing the keys of a device that goes away ends the gesture without one.
#pragma once

#include "MultitouchBridge/ContactFrameDecoder.h"
#include "MultitouchBridge/MultitouchBridge.h"

#include <cstdint>

namespace mtbridge {

std::uint32_t gestureOfFrame(MTGestureState& state, const ContactFrame& frame);

}  // namespace mtbridge
