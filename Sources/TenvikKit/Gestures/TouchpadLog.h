// SPDX-License-Identifier: MIT
// TouchpadLog.h: the kit's log sentence for one touchpad: its name and device, and which way it
// counts fingers (its contact slots, its finger-count keys, or both), or why it cannot tell
// three fingers and is not used for gestures.
#pragma once

#include "MultitouchBridge/MultitouchBridge.h"

#include <string>

namespace tenvik {

std::string describeTouchpad(const MTTouchpadDescription& touchpad);

}  // namespace tenvik
