// SPDX-License-Identifier: MIT
// BridgeTests.cpp: the bridge's process-wide state over stand-in devices: gestures reach the
// main queue and then the callback; a stop or a new start between recognition and delivery
// drops the gesture; a second start leaves one registration per device; a machine without
// touchpads reads none and says why; a touchpad plugged in while it runs is picked up and told,
// and one removed in the middle of a gesture is dropped without an action.
#include "FifoTouchpads.h"
#include "MultitouchBridge/MultitouchBridge.h"
#include "MultitouchBridge/MultitouchBridgeTesting.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// A main queue the test drains by hand; posts may come from the reader thread.
struct MainQueue {
    std::mutex mutex;
    std::vector<std::pair<MTMainQueueWork, void*>> work;

    static void post(void* context, MTMainQueueWork work, void* argument) {
        auto* queue = static_cast<MainQueue*>(context);
        std::lock_guard lock(queue->mutex);
        queue->work.emplace_back(work, argument);
    }
    std::size_t drain() {
        std::vector<std::pair<MTMainQueueWork, void*>> items;
        {
            std::lock_guard lock(mutex);
            items.swap(work);
        }
        for (auto& [run, argument] : items) run(argument);
        return items.size();
    }
};

struct Receiver {
    std::vector<uint32_t> codes;
    static void callback(void* context, uint32_t code) { static_cast<Receiver*>(context)->codes.push_back(code); }
};

const float kThreeFingers[] = {0.4f, 0.5f, 0.5f, 0.5f, 0.6f, 0.5f};

class Bridge : public ::testing::Test {
protected:
    void SetUp() override { MTBridgeSetMainQueue(MainQueue::post, &queue); }
    void TearDown() override {
        MTBridgeStop();
        queue.drain();
        MTBridgeSetInputDirectory(nullptr);
        mtbridge::setDeviceOpenerForTesting(nullptr);
    }
    // Drains the main queue until the condition holds, at most 10 s.
    bool eventually(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            queue.drain();
            if (condition()) return true;
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    std::size_t count(uint32_t code) const { return std::count(receiver.codes.begin(), receiver.codes.end(), code); }
    void tap(int device, double at) {
        MTBridgeFeedFrameForTesting(device, kThreeFingers, 3, at);
        MTBridgeFeedFrameForTesting(device, nullptr, 0, at + 0.1);
    }

    MainQueue queue;
    Receiver receiver;
};

TEST_F(Bridge, GesturesReachTheCallbackThroughTheMainQueue) {
    ASSERT_EQ(MTBridgeStartWithStandInDevices(&receiver, Receiver::callback, 2), 1);
    tap(0, 1.0);
    MTBridgeFeedFrameForTesting(1, kThreeFingers, 3, 1.0);
    MTBridgeFeedFrameForTesting(1, kThreeFingers, 3, 1.4);
    EXPECT_TRUE(receiver.codes.empty()) << "nothing runs before the main queue does";
    EXPECT_EQ(queue.drain(), 2u);
    EXPECT_EQ(receiver.codes, (std::vector<uint32_t>{MTGestureTap, MTGesturePress}));
}

TEST_F(Bridge, AStopBetweenRecognitionAndDeliveryDropsTheGesture) {
    ASSERT_EQ(MTBridgeStartWithStandInDevices(&receiver, Receiver::callback, 1), 1);
    tap(0, 1.0);
    MTBridgeStop();
    EXPECT_EQ(queue.drain(), 1u);
    EXPECT_TRUE(receiver.codes.empty());

    // The same for a new start with another receiver in between.
    Receiver other;
    ASSERT_EQ(MTBridgeStartWithStandInDevices(&receiver, Receiver::callback, 1), 1);
    tap(0, 2.0);
    ASSERT_EQ(MTBridgeStartWithStandInDevices(&other, Receiver::callback, 1), 1);
    queue.drain();
    EXPECT_TRUE(receiver.codes.empty());
    EXPECT_TRUE(other.codes.empty());
}

TEST_F(Bridge, ASecondStartLeavesOneRegistrationPerDevice) {
    ASSERT_EQ(MTBridgeStartWithStandInDevices(&receiver, Receiver::callback, 3), 1);
    ASSERT_EQ(MTBridgeStartWithStandInDevices(&receiver, Receiver::callback, 3), 1);
    EXPECT_EQ(MTBridgeRegisteredDeviceCount(), 3);
    tap(2, 1.0);
    queue.drain();
    EXPECT_EQ(receiver.codes, (std::vector<uint32_t>{MTGestureTap}));
    MTBridgeStop();
    EXPECT_EQ(MTBridgeRegisteredDeviceCount(), 0);
    tap(2, 3.0);  // after the stop: no device, nothing queued
    EXPECT_EQ(queue.drain(), 0u);
}

TEST_F(Bridge, WithoutATouchpadNoneIsReadAndTheReasonIsGiven) {
    // A folder that cannot be read: nothing to read or watch, nothing starts.
    MTBridgeSetInputDirectory("/nonexistent/input");
    EXPECT_EQ(MTBridgeStart(&receiver, Receiver::callback), 0);
    EXPECT_EQ(MTBridgeLastFailure(), MTBridgeFailureNoTouchpad);

    // An empty folder: the bridge runs, waiting for a touchpad to be plugged in.
    mtbridge::test::DeviceFolder folder("mtbridge-empty");
    MTBridgeSetInputDirectory(folder.path().c_str());
    EXPECT_EQ(MTBridgeStart(&receiver, Receiver::callback), 1);
    EXPECT_EQ(MTBridgeDeviceCount(), 0);
    EXPECT_EQ(MTBridgeLastFailure(), MTBridgeFailureNoTouchpad);
    MTBridgeStop();

    // Event devices this user may not open count as "no permission" (root may open anything).
    if (::geteuid() != 0) {
        const std::string device = folder.plugOtherTouchpad("event0");
        std::filesystem::permissions(device, std::filesystem::perms::none);
        EXPECT_EQ(MTBridgeStart(&receiver, Receiver::callback), 1);
        EXPECT_EQ(MTBridgeDeviceCount(), 0);
        EXPECT_EQ(MTBridgeLastFailure(), MTBridgeFailureNoPermission);
    }
}

// Stand-in touchpads in a folder of the test's own (FifoTouchpads.h), found by the reader's
// folder watch as real ones are in /dev/input.
TEST_F(Bridge, TouchpadsPluggedInArePickedUpAndOneRemovedMidGestureEndsItWithoutAction) {
    mtbridge::test::DeviceFolder folder("mtbridge-plugged");
    MTBridgeSetInputDirectory(folder.path().c_str());
    mtbridge::setDeviceOpenerForTesting(mtbridge::test::openFifoDevice);
    ASSERT_EQ(MTBridgeStart(&receiver, Receiver::callback), 1);
    ASSERT_EQ(MTBridgeDeviceCount(), 0);

    // One that cannot tell three fingers is told of, and not read.
    folder.plugOtherTouchpad("event1");
    ASSERT_TRUE(eventually([&] { return count(MTBridgeTouchpadsChanged) == 1; }));
    EXPECT_EQ(MTBridgeDeviceCount(), 0);
    EXPECT_EQ(MTBridgeLastFailure(), MTBridgeFailureNoThreeFingers);

    const std::string pad = folder.plugTouchpad("event2");
    ASSERT_TRUE(eventually([&] { return count(MTBridgeTouchpadsChanged) == 2 && MTBridgeDeviceCount() == 1; }));
    EXPECT_EQ(MTBridgeLastFailure(), MTBridgeFailureNone);
    MTTouchpadDescription touchpads[4];
    ASSERT_EQ(MTBridgeDescribeTouchpads(touchpads, 4), 2);
    EXPECT_EQ(touchpads[0].read, 0);
    EXPECT_EQ(touchpads[1].read, 1);
    EXPECT_EQ(touchpads[1].path, pad);

    mtbridge::test::FifoWriter writer(pad);
    ASSERT_TRUE(writer.open());
    writer.write(mtbridge::test::twoSlotFrame(3, 1.0));
    writer.write(mtbridge::test::twoSlotFrame(0, 1.1));
    ASSERT_TRUE(eventually([&] { return count(MTGestureTap) == 1; }));

    // Three fingers down, and the device goes: dropped, and no tap for the fingers never lifted.
    writer.write(mtbridge::test::twoSlotFrame(3, 2.0));
    writer.close();
    ASSERT_TRUE(eventually([&] { return count(MTBridgeTouchpadsChanged) == 3 && MTBridgeDeviceCount() == 0; }));
    EXPECT_EQ(count(MTGestureTap), 1u);
    EXPECT_EQ(MTBridgeLastFailure(), MTBridgeFailureNoThreeFingers);
    EXPECT_EQ(MTBridgeDescribeTouchpads(nullptr, 0), 1);

    folder.unplug("event1");
    ASSERT_TRUE(eventually([&] { return count(MTBridgeTouchpadsChanged) == 4; }));
    EXPECT_EQ(MTBridgeDescribeTouchpads(nullptr, 0), 0);
    EXPECT_EQ(MTBridgeLastFailure(), MTBridgeFailureNoTouchpad);
}

TEST_F(Bridge, WithoutAMainQueueNothingStarts) {
    MTBridgeSetMainQueue(nullptr, nullptr);
    EXPECT_EQ(MTBridgeStart(&receiver, Receiver::callback), 0);
    EXPECT_EQ(MTBridgeLastFailure(), MTBridgeFailureNoMainQueue);
}

}  // namespace
