// BridgeTests.cpp: the bridge's process-wide state over stand-in devices: gestures reach the
// main queue and then the callback; a stop or a new start between recognition and delivery
// drops the gesture; a second start leaves one registration per device; a machine without
// touchpads starts nothing; and, where /dev/uinput exists, a virtual touchpad's tap is read
// end to end by the reader thread.
#include "MultitouchBridge/MultitouchBridge.h"
#include "MultitouchBridge/MultitouchBridgeTesting.h"

#include <gtest/gtest.h>

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
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
    }
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

TEST_F(Bridge, NoTouchpadStartsNothingAndSaysSo) {
    const auto folder = std::filesystem::temp_directory_path() / ("mtbridge-empty-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    MTBridgeSetInputDirectory(folder.c_str());
    EXPECT_EQ(MTBridgeStart(&receiver, Receiver::callback), 0);
    EXPECT_EQ(MTBridgeLastFailure(), MTBridgeFailureNoTouchpad);
    EXPECT_EQ(MTBridgeRegisteredDeviceCount(), 0);

    // Event devices this user may not open count as "no permission" (root may open anything).
    if (::geteuid() != 0) {
        const auto device = folder / "event0";
        {
            std::FILE* f = std::fopen(device.c_str(), "w");
            if (f) std::fclose(f);
        }
        std::filesystem::permissions(device, std::filesystem::perms::none);
        EXPECT_EQ(MTBridgeStart(&receiver, Receiver::callback), 0);
        EXPECT_EQ(MTBridgeLastFailure(), MTBridgeFailureNoPermission);
    }
    std::filesystem::remove_all(folder);
}

TEST_F(Bridge, WithoutAMainQueueNothingStarts) {
    MTBridgeSetMainQueue(nullptr, nullptr);
    EXPECT_EQ(MTBridgeStart(&receiver, Receiver::callback), 0);
    EXPECT_EQ(MTBridgeLastFailure(), MTBridgeFailureNoMainQueue);
}

// A virtual touchpad through /dev/uinput: three fingers down and up again are read by the
// reader thread and reported as a tap.
TEST_F(Bridge, AVirtualTouchpadTapIsReadEndToEnd) {
    if (::access("/dev/uinput", W_OK) != 0)
        GTEST_SKIP() << "/dev/uinput is not there (or not writable): no virtual touchpad on this machine";
    libevdev* device = libevdev_new();
    libevdev_set_name(device, "Vomira test touchpad");
    libevdev_enable_property(device, INPUT_PROP_POINTER);
    libevdev_enable_property(device, INPUT_PROP_BUTTONPAD);
    libevdev_enable_event_code(device, EV_KEY, BTN_LEFT, nullptr);
    libevdev_enable_event_code(device, EV_KEY, BTN_TOUCH, nullptr);
    input_absinfo slot{0, 0, 4, 0, 0, 0};
    input_absinfo x{0, 0, 1000, 0, 0, 10};
    input_absinfo y{0, 0, 600, 0, 0, 10};
    input_absinfo tracking{0, 0, 65535, 0, 0, 0};
    libevdev_enable_event_code(device, EV_ABS, ABS_X, &x);
    libevdev_enable_event_code(device, EV_ABS, ABS_Y, &y);
    libevdev_enable_event_code(device, EV_ABS, ABS_MT_SLOT, &slot);
    libevdev_enable_event_code(device, EV_ABS, ABS_MT_POSITION_X, &x);
    libevdev_enable_event_code(device, EV_ABS, ABS_MT_POSITION_Y, &y);
    libevdev_enable_event_code(device, EV_ABS, ABS_MT_TRACKING_ID, &tracking);
    libevdev_uinput* uinput = nullptr;
    ASSERT_EQ(libevdev_uinput_create_from_device(device, LIBEVDEV_UINPUT_OPEN_MANAGED, &uinput), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the device node appears

    ASSERT_EQ(MTBridgeStart(&receiver, Receiver::callback), 1);
    for (int finger = 0; finger < 3; ++finger) {
        libevdev_uinput_write_event(uinput, EV_ABS, ABS_MT_SLOT, finger);
        libevdev_uinput_write_event(uinput, EV_ABS, ABS_MT_TRACKING_ID, 100 + finger);
        libevdev_uinput_write_event(uinput, EV_ABS, ABS_MT_POSITION_X, 400 + 100 * finger);
        libevdev_uinput_write_event(uinput, EV_ABS, ABS_MT_POSITION_Y, 300);
    }
    libevdev_uinput_write_event(uinput, EV_SYN, SYN_REPORT, 0);
    for (int finger = 0; finger < 3; ++finger) {
        libevdev_uinput_write_event(uinput, EV_ABS, ABS_MT_SLOT, finger);
        libevdev_uinput_write_event(uinput, EV_ABS, ABS_MT_TRACKING_ID, -1);
    }
    libevdev_uinput_write_event(uinput, EV_SYN, SYN_REPORT, 0);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (receiver.codes.empty() && std::chrono::steady_clock::now() < deadline) {
        queue.drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(receiver.codes, (std::vector<uint32_t>{MTGestureTap}));
    MTBridgeStop();
    libevdev_uinput_destroy(uinput);
    libevdev_free(device);
}

}  // namespace
