// SPDX-License-Identifier: MIT
// PinProfileRules.cpp: rounding and clamping of the capture profile.
#include "TenvikKit/Pins/PinProfileRules.h"

#include <algorithm>
#include <cmath>

namespace tenvik::PinProfileRules {

int pixels(double points, double scale) {
    const double rounded = std::round(points * scale);
    if (!(rounded >= 1)) return 1;  // also a value that is not a number
    return static_cast<int>(std::min(rounded, static_cast<double>(kMaximumSide)));
}

int framesPerSecond(bool visible, bool interacting, int idleFramesPerSecond) {
    if (!visible) return kHiddenFramesPerSecond;
    if (interacting) return kInteractingFramesPerSecond;
    return std::clamp(idleFramesPerSecond, kSlowestIdleFramesPerSecond, kFastestIdleFramesPerSecond);
}

PinCaptureProfile profile(const arvelo::Rect& bounds, double scale, int framesPerSecond) {
    return {pixels(bounds.absWidth(), scale), pixels(bounds.absHeight(), scale), framesPerSecond};
}

}  // namespace tenvik::PinProfileRules
