// GestureMonitor.cpp: starting the bridge with the platform's main queue, and debouncing.
#include "TenvikKit/Gestures/GestureMonitor.h"

#include "MultitouchBridge/MultitouchBridge.h"
#include "MultitouchBridge/MultitouchBridgeTesting.h"
#include "TenvikKit/Log/LogChannel.h"

namespace tenvik {

namespace {

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
    isAvailable_ = isRunning_;
    unavailableReason_.reset();
    if (!isRunning_) {
        unavailableReason_ =
            MTBridgeLastFailure() == MTBridgeFailureNoPermission ? kNoPermissionReason : kNoTouchpadReason;
    }
    return isRunning_;
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
