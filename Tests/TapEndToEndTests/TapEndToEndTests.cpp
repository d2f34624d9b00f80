// SPDX-License-Identifier: MIT
// TapEndToEndTests.cpp: the spatial canvas's event tap on a virtual X desktop with openbox and
// the real arvelo arranging the fixture's three windows. A double click (xdotool) on an
// arranged window's title strip focuses its tile (the window then fills the work area, read
// back from the X server) and a second one steps out; a single click on a title bar still
// activates the window (openbox got the press), and a title-bar drag right after still moves
// the window. After every test the pointer is free: no grab is left behind, and a click still
// activates an ordinary window.
#include "ArveloSession.h"
#include "Wait.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace e2e;

namespace {

const std::vector<std::string> kFixture = {"org.vomira.ArveloFixture"};
constexpr double kFewBeats = 15;

class TapEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (environmentValue("DISPLAY").empty()) GTEST_SKIP() << "needs an X display (run through scripts/with-xvfb)";
        ASSERT_TRUE(session.probe.connected());
        ASSERT_TRUE(session.home.ready());
        setenv("ARVELO", ARVELO_PATH, 1);
    }
    void TearDown() override {
        if (!session.probe.connected()) return;
        // The pointer is never left grabbed, whatever the test did.
        EXPECT_TRUE(waitUntil(1.0, [&] { return session.probe.pointerFree(); })) << "the pointer stays grabbed";
    }

    void xdotool(const std::vector<std::string>& arguments) {
        ChildProcess tool("/usr/bin/xdotool", arguments);
        ASSERT_EQ(tool.waitForExit(20), 0) << "xdotool failed";
    }
    void doubleClick(int x, int y) {
        xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "--repeat", "2", "--delay", "60", "1"});
    }
    void click(int x, int y) { xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"}); }

    // The fixture's three windows, tiled by arvelo, once they hold still.
    Frames arranged() {
        Frames original;
        const Frames tiled = session.arrangedFixture(ARVELO_FIXTURE_PATH, kFewBeats, &original);
        EXPECT_EQ(original.size(), 3u);
        return tiled;
    }
    Frames settle(const std::function<bool(const Frames&)>& done) {
        return session.probe.settledFrames(kFixture, done, kFewBeats);
    }
    // The window filling most of the work area.
    bool fills(const Frame& frame) const {
        return frame.width >= area.width * 9 / 10 && frame.height >= area.height * 9 / 10;
    }

    ArveloSession session{"arvelo-tap-e2e"};
    Frame area;
};

}  // namespace

TEST_F(TapEndToEnd, DoubleClickOnATitleStripFocusesTheTileAndASecondOneStepsOut) {
    const Frames tiled = arranged();
    ASSERT_EQ(tiled.size(), 3u) << session.describe(tiled);
    area = session.probe.workArea();
    // The smallest tile: far from filling the screen.
    const auto [window, frame] = *std::min_element(tiled.begin(), tiled.end(), [](const auto& a, const auto& b) {
        return a.second.width * a.second.height < b.second.width * b.second.height;
    });
    ASSERT_FALSE(fills(frame));

    doubleClick(frame.x + 120, frame.y + 10);
    const Frames focused = settle([&](const Frames& f) { return f.count(window) && fills(f.at(window)); });
    ASSERT_TRUE(focused.count(window) && fills(focused.at(window))) << session.describe(focused);

    // Arvelo zoomed onto the tile (openbox's own double click would only maximise the window):
    // the other tiles left their places.
    bool othersMoved = false;
    for (const auto& [other, f] : tiled)
        if (other != window && (!focused.count(other) || !(focused.at(other) == f))) othersMoved = true;
    EXPECT_TRUE(othersMoved) << session.describe(focused);

    const Frame big = focused.at(window);
    doubleClick(big.x + 160, big.y + 10);
    const Frames out = settle([&](const Frames& f) { return f.count(window) && !fills(f.at(window)); });
    ASSERT_TRUE(out.count(window)) << session.describe(out);
    EXPECT_FALSE(fills(out.at(window))) << "stepped out\n" << session.describe(out);
}

TEST_F(TapEndToEnd, SingleClicksAndTitleBarDragsStillReachTheWindowManager) {
    const Frames tiled = arranged();
    ASSERT_EQ(tiled.size(), 3u) << session.describe(tiled);
    area = session.probe.workArea();
    std::vector<std::pair<xcb_window_t, Frame>> windows(tiled.begin(), tiled.end());
    // A single click on each title bar activates that window: openbox had the press.
    for (const auto& [window, frame] : windows) {
        click(frame.x + 120, frame.y + 10);
        EXPECT_TRUE(waitUntil(3, [&] { return session.probe.activeWindow() == window; }))
            << "click on the title bar of " << window;
        waitUntil(0.5, [] { return false; });  // not a double click with the next one
    }
    // A click on one title bar, then at once a drag of another by its title bar: the second
    // press passes through the tap to openbox, which moves that window.
    const auto [first, firstFrame] = windows[0];
    const auto [second, secondFrame] = windows[1];
    xdotool({"mousemove",
             std::to_string(firstFrame.x + 120),
             std::to_string(firstFrame.y + 10),
             "click",
             "1",
             "mousemove",
             std::to_string(secondFrame.x + 120),
             std::to_string(secondFrame.y + 10),
             "mousedown",
             "1",
             "sleep",
             "0.1",
             "mousemove_relative",
             "--",
             "0",
             "40",
             "sleep",
             "0.1",
             "mousemove_relative",
             "--",
             "0",
             "40",
             "sleep",
             "0.3"});
    const Frames moving = session.probe.framesOf(kFixture);
    xdotool({"mouseup", "1"});
    ASSERT_TRUE(moving.count(second)) << session.describe(moving);
    EXPECT_GT(moving.at(second).y, secondFrame.y + 20) << "openbox moved the dragged window\n"
                                                       << session.describe(moving);
    (void)first;
}
