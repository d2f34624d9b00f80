// GestureMonitor.h: the kit's side of the multitouch bridge. start() starts the bridge with
// this monitor as its context (deliveries come through the platform's main queue); each
// gesture code delivered on the main thread is debounced (a tap within 0.35 s of the last
// reported tap is dropped, likewise presses, each kind on its own) and reported through
// onGesture. When the bridge cannot start, the monitor is unavailable and says why: no
// touchpad, or no permission to read /dev/input. Main thread only.
#pragma once

#include "Platform/Dispatch.h"
#include "TenvikKit/Gestures/Gesture.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tenvik {

class GestureMonitor {
public:
    static constexpr double kDefaultDebounceInterval = 0.35;
    static constexpr const char* kNoTouchpadReason = "No touchpad was found.";
    static constexpr const char* kNoPermissionReason =
        "No permission to read /dev/input: add your user to the input group and log in again.";

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
    // A gesture code from the bridge (1 tap, 2 press; anything else is ignored).
    void handle(std::uint32_t code);

    std::function<void(Gesture)> onGesture;
    bool isRunning() const { return isRunning_; }
    bool isAvailable() const { return isAvailable_; }
    // Why it is unavailable after a failed start.
    const std::optional<std::string>& unavailableReason() const { return unavailableReason_; }

private:
    bool started(int result);

    double debounceInterval_;
    std::shared_ptr<platform::Dispatcher> dispatch_;
    std::shared_ptr<platform::Clock> clock_;
    bool isRunning_ = false;
    std::optional<double> lastTapTimestamp_;
    std::optional<double> lastPressTimestamp_;
    bool isAvailable_ = false;
    std::optional<std::string> unavailableReason_;
};

}  // namespace tenvik
