// SPDX-License-Identifier: MIT
// ActivityMonitor.h: the kit's record of recent input activity, observed by the settings and
// onboarding windows: the last gesture and when it came, when a kit shortcut last fired,
// whether gestures are available (and why not), and why a shortcut failed to register. Each
// field tells its observers only when its value changes; a new time always differs.
// Main thread only.
#pragma once

#include "TenvikKit/Gestures/Gesture.h"
#include "TenvikKit/Support/Observed.h"

#include <optional>
#include <string>

namespace tenvik {

class ActivityMonitor {
public:
    // Sets lastGesture, then lastGestureAt to `now` (seconds since 1970).
    void noteGesture(Gesture gesture, double now) {
        lastGesture = gesture;
        lastGestureAt = now;
    }

    Observed<std::optional<Gesture>> lastGesture;
    Observed<std::optional<double>> lastGestureAt;
    Observed<std::optional<double>> lastHotKeyAt;
    Observed<bool> gesturesAvailable{false};
    // Why gestures are unavailable ("no touchpad", "no permission to read /dev/input"), for the
    // settings caption; absent while they are available or before the first start.
    Observed<std::optional<std::string>> gesturesUnavailableReason;
    Observed<std::optional<std::string>> hotKeyRegistrationError;
};

}  // namespace tenvik
