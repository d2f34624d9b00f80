// SPDX-License-Identifier: MIT
// GestureMonitorTests.cpp: the gesture monitor over stand-in touchpads on the virtual clock:
// gestures arrive on the main queue, each kind is debounced for 0.35 s on its own, a stop
// before delivery drops the gesture, and a machine without touchpads is unavailable. With the
// bridge's reader thread: touchpads plugged in and removed are logged and make gestures come
// and go; and, where /dev/uinput exists, a virtual touchpad of each kind (five slots; two slots
// with BTN_TOOL_TRIPLETAP) gives the kit a tap and a hold, and one unplugged in the middle of a
// gesture gives nothing.
#include "FifoTouchpads.h"
#include "KitScene.h"
#include "MultitouchBridge/MultitouchBridge.h"
#include "MultitouchBridge/MultitouchBridgeTesting.h"
#include "TenvikKit/Gestures/GestureMonitor.h"

#include <gtest/gtest.h>

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

namespace tenvik {
namespace {

const float kThreeFingers[] = {0.4f, 0.5f, 0.5f, 0.5f, 0.6f, 0.5f};

class Gestures : public ::testing::Test {
protected:
    Gestures() {
        scene.desktop.advance(10);  // an uptime like a running machine's
        monitor.onGesture = [this](Gesture gesture) { seen.push_back(gesture); };
    }
    ~Gestures() override { monitor.stop(); }

    void tap(double at) {
        MTBridgeFeedFrameForTesting(0, kThreeFingers, 3, at);
        MTBridgeFeedFrameForTesting(0, nullptr, 0, at + 0.1);
    }
    void press(double at) {
        MTBridgeFeedFrameForTesting(0, kThreeFingers, 3, at);
        MTBridgeFeedFrameForTesting(0, kThreeFingers, 3, at + 0.4);
        MTBridgeFeedFrameForTesting(0, nullptr, 0, at + 0.5);
    }

    test::KitScene scene;
    GestureMonitor monitor{scene.desktop.services().dispatch, scene.desktop.services().clock};
    std::vector<Gesture> seen;
};

TEST_F(Gestures, TwoTapsCloseTogetherReportOneAndEachKindIsDebouncedAlone) {
    ASSERT_TRUE(monitor.startWithStandInDevices(1));
    EXPECT_TRUE(monitor.isAvailable());
    tap(1.0);
    scene.desktop.drain();
    scene.desktop.advance(0.2);
    tap(1.2);
    scene.desktop.drain();
    press(2.0);  // close to the tap, but of the other kind
    scene.desktop.drain();
    EXPECT_EQ(seen, (std::vector<Gesture>{Gesture::threeFingerTap, Gesture::threeFingerPress}));
    scene.desktop.advance(0.35);
    tap(3.0);
    scene.desktop.drain();
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(scene.logLines("gesture"),
              (std::vector<std::string>{"info: touchpad \"Stand-in touchpad 0\" counts fingers from its 5 contact "
                                        "slots and its finger-count keys (up to 5), whichever says more",
                                        "debug: three-finger tap detected", "debug: three-finger press detected",
                                        "debug: three-finger tap detected"}));
}

TEST_F(Gestures, AGestureRecognisedJustBeforeAStopIsNotDelivered) {
    ASSERT_TRUE(monitor.startWithStandInDevices(1));
    tap(1.0);
    monitor.stop();
    scene.desktop.drain();
    EXPECT_TRUE(seen.empty());
}

TEST_F(Gestures, AMonitorDestroyedWithAGestureInFlightIsNeverReached) {
    auto doomed = std::make_unique<GestureMonitor>(scene.desktop.services().dispatch, scene.desktop.services().clock);
    int calls = 0;
    doomed->onGesture = [&](Gesture) { ++calls; };
    ASSERT_TRUE(doomed->startWithStandInDevices(1));
    tap(1.0);
    doomed.reset();
    scene.desktop.drain();
    EXPECT_EQ(calls, 0);
}

TEST_F(Gestures, NoTouchpadMeansUnavailableWithTheReason) {
    mtbridge::test::DeviceFolder folder("tenvik-no-input");
    MTBridgeSetInputDirectory(folder.path().c_str());
    EXPECT_TRUE(monitor.start()) << "it waits for a touchpad to be plugged in";
    EXPECT_FALSE(monitor.isAvailable());
    EXPECT_EQ(monitor.unavailableReason(), GestureMonitor::kNoTouchpadReason);
    monitor.stop();
    MTBridgeSetInputDirectory("/nonexistent/input");
    EXPECT_FALSE(monitor.start());
    EXPECT_FALSE(monitor.isAvailable());
    EXPECT_EQ(monitor.unavailableReason(), GestureMonitor::kNoTouchpadReason);
    MTBridgeSetInputDirectory(nullptr);
}

// A main queue the bridge's reader thread may post to; the test drains it.
class ThreadedQueue final : public platform::Dispatcher {
public:
    void async(std::function<void()> work) override {
        std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
    }
    platform::TimerHandle after(platform::Seconds, std::function<void()>) override { return {}; }
    platform::TimerHandle scheduleTimer(platform::Seconds, bool, platform::RunLoopMode,
                                        std::function<void()>) override {
        return {};
    }
    std::shared_ptr<platform::SerialQueue> makeSerialQueue(std::string) override { return nullptr; }

    void drain() {
        std::vector<std::function<void()>> items;
        {
            std::lock_guard lock(mutex_);
            items.swap(work_);
        }
        for (auto& item : items) item();
    }

private:
    std::mutex mutex_;
    std::vector<std::function<void()>> work_;
};

// The machine's own uptime: gestures from a real reader come in real time.
class SteadyClock final : public platform::Clock {
public:
    platform::Seconds now() const override { return uptime(); }
    platform::Seconds uptime() const override {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
};

class ReadTouchpads : public ::testing::Test {
protected:
    ReadTouchpads() {
        monitor.onGesture = [this](Gesture gesture) { seen.push_back(gesture); };
        monitor.onAvailabilityChange = [this] { ++availabilityChanges; };
    }
    ~ReadTouchpads() override {
        monitor.stop();
        queue->drain();
        MTBridgeSetInputDirectory(nullptr);
        mtbridge::setDeviceOpenerForTesting(nullptr);
    }
    // Drains the main queue until the condition holds, at most 10 s.
    bool eventually(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            queue->drain();
            if (condition()) return true;
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    bool logged(const std::string& line) {
        const auto lines = scene.logLines("gesture");
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    test::KitScene scene;
    std::shared_ptr<ThreadedQueue> queue = std::make_shared<ThreadedQueue>();
    GestureMonitor monitor{queue, std::make_shared<SteadyClock>()};
    std::vector<Gesture> seen;
    int availabilityChanges = 0;
};

TEST_F(ReadTouchpads, TouchpadsPluggedInAndRemovedAreLoggedAndMakeGesturesComeAndGo) {
    mtbridge::test::DeviceFolder folder("tenvik-plugged");
    MTBridgeSetInputDirectory(folder.path().c_str());
    mtbridge::setDeviceOpenerForTesting(mtbridge::test::openFifoDevice);
    ASSERT_TRUE(monitor.start());
    EXPECT_FALSE(monitor.isAvailable());

    const std::string other = folder.plugOtherTouchpad("event3");
    ASSERT_TRUE(eventually([&] {
        return logged("info: plugged in: touchpad \"Stand-in touchpad\" (" + other +
                      ") cannot tell three fingers (2 contact slots, no three-finger key): not used for gestures");
    }));
    EXPECT_FALSE(monitor.isAvailable());
    EXPECT_EQ(monitor.unavailableReason(), GestureMonitor::kNoThreeFingersReason);
    EXPECT_EQ(availabilityChanges, 0);

    const std::string pad = folder.plugTouchpad("event4");
    ASSERT_TRUE(eventually([&] { return monitor.isAvailable(); }));
    EXPECT_EQ(availabilityChanges, 1);
    EXPECT_TRUE(logged("info: plugged in: touchpad \"Stand-in touchpad\" (" + pad +
                       ") counts fingers from its finger-count keys (up to 3): it tracks only 2 contact slots"));
    EXPECT_TRUE(logged("info: three-finger gestures are available"));

    folder.unplug("event4");
    ASSERT_TRUE(eventually([&] { return !monitor.isAvailable(); }));
    EXPECT_EQ(availabilityChanges, 2);
    EXPECT_EQ(monitor.unavailableReason(), GestureMonitor::kNoThreeFingersReason);
    EXPECT_TRUE(logged("info: removed: touchpad \"Stand-in touchpad\" (" + pad +
                       ") counts fingers from its finger-count keys (up to 3): it tracks only 2 contact slots"));
}

// A virtual touchpad made through /dev/uinput, as the kernel's evdev shows it in /dev/input.
class VirtualTouchpad {
public:
    // `slots` contact slots; finger-count keys up to `keyFingers` (2: FINGER and DOUBLETAP ...).
    VirtualTouchpad(const std::string& name, int slots, int keyFingers) : slots_(slots) {
        device_ = libevdev_new();
        libevdev_set_name(device_, name.c_str());
        libevdev_enable_property(device_, INPUT_PROP_POINTER);
        libevdev_enable_property(device_, INPUT_PROP_BUTTONPAD);
        libevdev_enable_event_code(device_, EV_KEY, BTN_LEFT, nullptr);
        libevdev_enable_event_code(device_, EV_KEY, BTN_TOUCH, nullptr);
        for (unsigned code : {BTN_TOOL_FINGER, BTN_TOOL_DOUBLETAP, BTN_TOOL_TRIPLETAP, BTN_TOOL_QUADTAP,
                              BTN_TOOL_QUINTTAP})
            if (mtbridge::fingersOfKey(code) <= keyFingers) libevdev_enable_event_code(device_, EV_KEY, code, nullptr);
        const input_absinfo slot{0, 0, slots - 1, 0, 0, 0};
        const input_absinfo x{0, 0, 1000, 0, 0, 10};
        const input_absinfo y{0, 0, 600, 0, 0, 10};
        const input_absinfo tracking{0, 0, 65535, 0, 0, 0};
        libevdev_enable_event_code(device_, EV_ABS, ABS_X, &x);
        libevdev_enable_event_code(device_, EV_ABS, ABS_Y, &y);
        libevdev_enable_event_code(device_, EV_ABS, ABS_MT_SLOT, &slot);
        libevdev_enable_event_code(device_, EV_ABS, ABS_MT_POSITION_X, &x);
        libevdev_enable_event_code(device_, EV_ABS, ABS_MT_POSITION_Y, &y);
        libevdev_enable_event_code(device_, EV_ABS, ABS_MT_TRACKING_ID, &tracking);
        if (libevdev_uinput_create_from_device(device_, LIBEVDEV_UINPUT_OPEN_MANAGED, &uinput_) != 0) uinput_ = nullptr;
    }
    ~VirtualTouchpad() {
        unplug();
        libevdev_free(device_);
    }
    VirtualTouchpad(const VirtualTouchpad&) = delete;
    VirtualTouchpad& operator=(const VirtualTouchpad&) = delete;

    bool made() const { return uinput_ != nullptr; }
    // Its node in /dev/input, once the kernel made it; "" before.
    std::string node() const {
        const char* node = uinput_ ? libevdev_uinput_get_devnode(uinput_) : nullptr;
        return node && ::access(node, F_OK) == 0 ? node : "";
    }
    // `fingers` down where the device tracks them (the rest only through the finger-count key).
    void frame(int fingers) {
        for (int slot = 0; slot < slots_; ++slot) {
            write(EV_ABS, ABS_MT_SLOT, slot);
            write(EV_ABS, ABS_MT_TRACKING_ID, slot < fingers ? 100 + slot : -1);
            if (slot < fingers) {
                write(EV_ABS, ABS_MT_POSITION_X, 400 + 100 * slot);
                write(EV_ABS, ABS_MT_POSITION_Y, 300);
            }
        }
        write(EV_KEY, BTN_TOUCH, fingers > 0 ? 1 : 0);
        for (unsigned code : {BTN_TOOL_FINGER, BTN_TOOL_DOUBLETAP, BTN_TOOL_TRIPLETAP})
            write(EV_KEY, code, mtbridge::fingersOfKey(code) == std::min(fingers, 3) ? 1 : 0);
        write(EV_SYN, SYN_REPORT, 0);
    }
    void unplug() {
        if (uinput_) libevdev_uinput_destroy(uinput_);
        uinput_ = nullptr;
    }

private:
    void write(unsigned type, unsigned code, int value) {
        if (uinput_) libevdev_uinput_write_event(uinput_, type, code, value);
    }

    int slots_;
    libevdev* device_ = nullptr;
    libevdev_uinput* uinput_ = nullptr;
};

// Both kinds of touchpad, plugged in while the kit runs: each gives a tap and a hold (their
// frames' times are the kernel's, so the gestures are played in real time), and the two-slot
// pad unplugged with three fingers down gives nothing.
TEST_F(ReadTouchpads, VirtualTouchpadsOfBothKindsGiveTheKitATapAndAHold) {
    if (::access("/dev/uinput", W_OK) != 0)
        GTEST_SKIP() << "/dev/uinput is not there (or not writable): no virtual touchpad on this machine";
    if (!std::filesystem::is_directory("/dev/input")) GTEST_SKIP() << "no /dev/input on this machine";
    ASSERT_TRUE(monitor.start());
    const int before = MTBridgeDeviceCount();
    VirtualTouchpad five("Vomira test touchpad, five slots", 5, 5);
    VirtualTouchpad two("Vomira test touchpad, two slots", 2, 3);
    ASSERT_TRUE(five.made() && two.made());
    if (!eventually([&] { return !five.node().empty() && !two.node().empty(); }))
        GTEST_SKIP() << "the kernel's device nodes do not show in /dev/input here";
    ASSERT_TRUE(eventually([&] { return MTBridgeDeviceCount() == before + 2 && monitor.isAvailable(); }))
        << "the touchpads plugged in were not picked up";

    using namespace std::chrono_literals;
    std::vector<Gesture> expected;
    for (VirtualTouchpad* pad : {&five, &two}) {
        pad->frame(3);
        std::this_thread::sleep_for(50ms);
        pad->frame(0);
        ASSERT_TRUE(eventually([&] { return seen.size() == expected.size() + 1; })) << "no tap";
        expected.push_back(Gesture::threeFingerTap);
        pad->frame(3);
        std::this_thread::sleep_for(450ms);  // a hold: still there after 0.35 s
        pad->frame(3);
        pad->frame(0);
        ASSERT_TRUE(eventually([&] { return seen.size() == expected.size() + 1; })) << "no hold";
        expected.push_back(Gesture::threeFingerPress);
        std::this_thread::sleep_for(400ms);  // past the debounce of 0.35 s
    }
    EXPECT_EQ(seen, expected);

    two.frame(3);
    two.unplug();
    ASSERT_TRUE(eventually([&] { return MTBridgeDeviceCount() == before + 1; }));
    std::this_thread::sleep_for(100ms);
    queue->drain();
    EXPECT_EQ(seen, expected) << "a touchpad unplugged mid-gesture gives nothing";
}

}  // namespace
}  // namespace tenvik
