// SPDX-License-Identifier: MIT
// GestureMonitor.cpp: starting the bridge with the platform's main queue, and debouncing.
#include "TenvikKit/Gestures/GestureMonitor.h"

#include "MultitouchBridge/MultitouchBridge.h"
#include "MultitouchBridge/MultitouchBridgeTesting.h"
#include "TenvikKit/Gestures/TouchpadLog.h"
#include "TenvikKit/Log/LogChannel.h"

#include <algorithm>

namespace tenvik {

namespace {

// The log sentences of the touchpads the bridge sees now.
std::vector<std::string> touchpadSentences() {
    std::vector<MTTouchpadDescription> touchpads(static_cast<std::size_t>(MTBridgeDescribeTouchpads(nullptr, 0)));
    const int count = MTBridgeDescribeTouchpads(touchpads.data(), static_cast<int>(touchpads.size()));
    touchpads.resize(std::min(touchpads.size(), static_cast<std::size_t>(std::max(count, 0))));
    std::vector<std::string> sentences;
    for (const MTTouchpadDescription& touchpad : touchpads) sentences.push_back(describeTouchpad(touchpad));
    return sentences;
}

std::optional<std::string> reasonOf(MTBridgeFailure failure) {
    switch (failure) {
        case MTBridgeFailureNone:
            return std::nullopt;
        case MTBridgeFailureNoPermission:
            return GestureMonitor::kNoPermissionReason;
        case MTBridgeFailureNoThreeFingers:
            return GestureMonitor::kNoThreeFingersReason;
        default:
            return GestureMonitor::kNoTouchpadReason;
    }
}

// Runs bridge work on the main queue of the dispatcher given as context.
void postToMainQueue(void* dispatcher, MTMainQueueWork work, void* argument) {
    static_cast<platform::Dispatcher*>(dispatcher)->async([work, argument] { work(argument); });
}

// The bridge's gesture callback: the context is the monitor.
void tenvikGestureCallback(void* context, std::uint32_t code) {
    if (!context) return;
    static_cast<GestureMonitor*>(context)->handle(code);
}

}  // namespace

GestureMonitor::GestureMonitor(std::shared_ptr<platform::Dispatcher> dispatch, std::shared_ptr<platform::Clock> clock,
                               double debounceInterval)
    : debounceInterval_(debounceInterval), dispatch_(std::move(dispatch)), clock_(std::move(clock)) {}

GestureMonitor::~GestureMonitor() { stop(); }

bool GestureMonitor::started(int result) {
    isRunning_ = result == 1;
    touchpads_ = isRunning_ ? touchpadSentences() : std::vector<std::string>{};
    for (const std::string& touchpad : touchpads_) Log::gesture().info(touchpad);
    takeAvailability();
    return isRunning_;
}

void GestureMonitor::takeAvailability() {
    isAvailable_ = isRunning_ && MTBridgeDeviceCount() > 0;
    unavailableReason_.reset();
    if (!isAvailable_) unavailableReason_ = reasonOf(MTBridgeLastFailure()).value_or(kNoTouchpadReason);
}

void GestureMonitor::touchpadsChanged() {
    if (!isRunning_) return;
    const std::vector<std::string> now = touchpadSentences();
    for (const std::string& touchpad : touchpads_)
        if (std::find(now.begin(), now.end(), touchpad) == now.end()) Log::gesture().info("removed: " + touchpad);
    for (const std::string& touchpad : now)
        if (std::find(touchpads_.begin(), touchpads_.end(), touchpad) == touchpads_.end())
            Log::gesture().info("plugged in: " + touchpad);
    touchpads_ = now;
    const bool wasAvailable = isAvailable_;
    takeAvailability();
    if (isAvailable_ != wasAvailable) {
        Log::gesture().info(isAvailable_ ? "three-finger gestures are available"
                                         : "three-finger gestures are unavailable: " + unavailableReason_.value_or(""));
        if (onAvailabilityChange) onAvailabilityChange();
    }
}

bool GestureMonitor::start() {
    if (isRunning_) return true;
    MTBridgeSetMainQueue(postToMainQueue, dispatch_.get());
    return started(MTBridgeStart(this, tenvikGestureCallback));
}

bool GestureMonitor::startWithStandInDevices(int count) {
    if (isRunning_) return true;
    MTBridgeSetMainQueue(postToMainQueue, dispatch_.get());
    return started(MTBridgeStartWithStandInDevices(this, tenvikGestureCallback, count));
}

void GestureMonitor::stop() {
    if (!isRunning_) return;
    MTBridgeStop();
    isRunning_ = false;
}

void GestureMonitor::handle(std::uint32_t code) {
    if (code == MTBridgeTouchpadsChanged) {
        touchpadsChanged();
        return;
    }
    const double now = clock_->uptime();
    if (code == MTGesturePress) {
        if (lastPressTimestamp_ && now - *lastPressTimestamp_ < debounceInterval_) return;
        lastPressTimestamp_ = now;
        Log::gesture().debug("three-finger press detected");
        if (onGesture) onGesture(Gesture::threeFingerPress);
    } else if (code == MTGestureTap) {
        if (lastTapTimestamp_ && now - *lastTapTimestamp_ < debounceInterval_) return;
        lastTapTimestamp_ = now;
        Log::gesture().debug("three-finger tap detected");
        if (onGesture) onGesture(Gesture::threeFingerTap);
    }
}

}  // namespace tenvik
