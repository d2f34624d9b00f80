// SPDX-License-Identifier: MIT
// GestureMonitor.h: the kit's side of the multitouch bridge. start() starts the bridge with
// this monitor as its context (deliveries come through the platform's main queue); each
// gesture code delivered on the main thread is debounced (a tap within 0.35 s of the last
// reported tap is dropped, likewise presses, each kind on its own) and reported through
// onGesture. Gestures are available while the bridge reads a touchpad that can tell three
// fingers; otherwise the monitor says why: no touchpad, none that tells three fingers, or no
// permission to read /dev/input. It logs each touchpad and which way it counts fingers, and
// the touchpads plugged in or removed while it runs, after which onAvailabilityChange tells
// whether gestures came or went. Main thread only.
#pragma once

#include "Platform/Dispatch.h"
#include "TenvikKit/Gestures/Gesture.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tenvik {

class GestureMonitor {
public:
    static constexpr double kDefaultDebounceInterval = 0.35;
    static constexpr const char* kNoTouchpadReason = "No touchpad was found.";
    static constexpr const char* kNoPermissionReason =
        "No permission to read /dev/input: add your user to the input group and log in again.";
    static constexpr const char* kNoThreeFingersReason =
        "No touchpad here can tell three fingers: it needs three contact slots or a three-finger key "
        "(BTN_TOOL_TRIPLETAP).";

    GestureMonitor(std::shared_ptr<platform::Dispatcher> dispatch, std::shared_ptr<platform::Clock> clock,
                   double debounceInterval = kDefaultDebounceInterval);
    // Stops the bridge: it holds this monitor only as an unretained context.
    ~GestureMonitor();
    GestureMonitor(const GestureMonitor&) = delete;
    GestureMonitor& operator=(const GestureMonitor&) = delete;

    // Starts the bridge when not running; answers whether it runs.
    bool start();
    // The same over stand-in devices (tests).
    bool startWithStandInDevices(int count);
    void stop();
    // A code from the bridge (1 tap, 2 press, 3 the touchpads changed; anything else is ignored).
    void handle(std::uint32_t code);

    std::function<void(Gesture)> onGesture;
    // Gestures came or went with a touchpad plugged in or removed.
    std::function<void()> onAvailabilityChange;
    bool isRunning() const { return isRunning_; }
    bool isAvailable() const { return isAvailable_; }
    // Why it is unavailable after a failed start.
    const std::optional<std::string>& unavailableReason() const { return unavailableReason_; }

private:
    bool started(int result);
    // Availability and its reason from the bridge as it is now.
    void takeAvailability();
    void touchpadsChanged();

    double debounceInterval_;
    std::shared_ptr<platform::Dispatcher> dispatch_;
    std::shared_ptr<platform::Clock> clock_;
    bool isRunning_ = false;
    std::optional<double> lastTapTimestamp_;
    std::optional<double> lastPressTimestamp_;
    bool isAvailable_ = false;
    std::optional<std::string> unavailableReason_;
    // The touchpads' log sentences as last logged.
    std::vector<std::string> touchpads_;
};

}  // namespace tenvik
