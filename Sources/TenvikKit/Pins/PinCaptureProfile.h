// SPDX-License-Identifier: MIT
// PinCaptureProfile.h: what a pin asks of its capture stream (frame size in pixels and the
// highest frame rate). The type is the platform layer's, which the capture backends take.
#pragma once

#include "Platform/PinCapture.h"

namespace tenvik {

using platform::PinCaptureProfile;

}  // namespace tenvik
