// GestureMonitorTests.cpp: the gesture monitor over stand-in touchpads on the virtual clock:
// gestures arrive on the main queue, each kind is debounced for 0.35 s on its own, a stop
// before delivery drops the gesture, and a machine without touchpads is unavailable.
#include "KitScene.h"
#include "MultitouchBridge/MultitouchBridge.h"
#include "MultitouchBridge/MultitouchBridgeTesting.h"
#include "TenvikKit/Gestures/GestureMonitor.h"

#include <gtest/gtest.h>

#include <filesystem>

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
              (std::vector<std::string>{"debug: three-finger tap detected", "debug: three-finger press detected",
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
    const auto folder = std::filesystem::temp_directory_path() / ("tenvik-no-input-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    MTBridgeSetInputDirectory(folder.c_str());
    EXPECT_FALSE(monitor.start());
    EXPECT_FALSE(monitor.isAvailable());
    EXPECT_EQ(monitor.unavailableReason(), GestureMonitor::kNoTouchpadReason);
    MTBridgeSetInputDirectory(nullptr);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tenvik
