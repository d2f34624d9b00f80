// SPDX-License-Identifier: MIT
// DragEndToEndTests.cpp: docking by dragging on a virtual X desktop with openbox: the fixture
// application's three windows tiled by the real arvelo, and the user, played by xdotool,
// dragging them by their title bars (a press, relative moves, a release: relative moves make
// the raw motion arvelo watches; openbox moves the window meanwhile). A drag to the left screen
// edge docks the window there at half the width; a drag onto the middle of another tile makes
// the two windows tabs of that tile; dragging the bottom-right corner of a docked window moves
// its seam; a drag that lands nowhere puts the window back. A screenshot is taken mid-drag.
#include "ArveloSession.h"
#include "Wait.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

using namespace e2e;

namespace {

const std::vector<std::string> kFixture = {"org.vomira.ArveloFixture"};
constexpr double kFewBeats = 15;  // seconds: start-up plus a few 0.7 s beats
constexpr int kGrip = 60;         // pixels from a frame's left edge to where its title bar is grabbed

class DragEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (environmentValue("DISPLAY").empty()) GTEST_SKIP() << "needs an X display (run through scripts/with-xvfb)";
        ASSERT_TRUE(session.probe.connected());
        ASSERT_TRUE(session.home.ready());
        setenv("ARVELO", ARVELO_PATH, 1);
    }

    // xdotool plays the user; it ends within a few seconds.
    void xdotool(const std::vector<std::string>& arguments) {
        ChildProcess tool("/usr/bin/xdotool", arguments);
        ASSERT_EQ(tool.waitForExit(20), 0) << "xdotool failed";
    }
    // A press at the point, relative moves in steps (a tenth of a second apart), no release.
    void pressAndMove(int x, int y, int dx, int dy, int steps) {
        xdotool({"mousemove", std::to_string(x), std::to_string(y)});
        std::vector<std::string> chain = {"mousedown", "1"};
        for (int i = 0; i < steps; ++i) {
            chain.insert(chain.end(), {"sleep", "0.1", "mousemove_relative", "--", std::to_string(dx / steps),
                                       std::to_string(dy / steps)});
        }
        chain.insert(chain.end(), {"sleep", "0.3"});
        xdotool(chain);
    }
    void release() { xdotool({"mouseup", "1"}); }
    void screenshot(const std::string& name) {
        const std::string file = std::string(SCREENSHOT_FOLDER) + "/" + name;
        ChildProcess shot("/usr/bin/import", {"-window", "root", file});
        EXPECT_EQ(shot.waitForExit(20), 0) << "screenshot " << file;
    }

    // The fixture's three windows, tiled by arvelo, once they hold still.
    Frames arranged() {
        Frames original;
        const Frames tiled = session.arrangedFixture(ARVELO_FIXTURE_PATH, kFewBeats, &original);
        EXPECT_EQ(original.size(), 3u);
        return tiled;
    }

    Frames framesOf() { return session.probe.framesOf(kFixture); }
    // Waits until `done` holds of the fixture's frames and they have held still.
    Frames settle(const std::function<bool(const Frames&)>& done) {
        return session.probe.settledFrames(kFixture, done, kFewBeats);
    }
    std::string describe(const Frames& frames) const { return session.describe(frames); }

    nlohmann::json diagnostics() {
        const auto text = session.home.read("state-dir/layout-diagnostics.json");
        return nlohmann::json::parse(text, nullptr, false);
    }

    static std::pair<xcb_window_t, Frame> pick(const Frames& frames,
                                               const std::function<bool(const Frame&, const Frame&)>& before) {
        return *std::min_element(frames.begin(), frames.end(),
                                 [&](const auto& a, const auto& b) { return before(a.second, b.second); });
    }
    // The tile furthest to the right and down, and the one at the top left.
    static std::pair<xcb_window_t, Frame> bottomRight(const Frames& frames) {
        return pick(frames, [](const Frame& a, const Frame& b) { return a.x + a.y > b.x + b.y; });
    }
    static std::pair<xcb_window_t, Frame> topLeft(const Frames& frames) {
        return pick(frames, [](const Frame& a, const Frame& b) { return a.x + a.y < b.x + b.y; });
    }
    // The narrowest and the widest window (one fixture window has a large minimum size, so it
    // is the widest, and it fits no narrower tile).
    // Of the windows not at the screen's left, the narrowest (ties: the one further up).
    static std::pair<xcb_window_t, Frame> narrowest(const Frames& frames) {
        return pick(frames, [](const Frame& a, const Frame& b) {
            const bool aRight = a.x > 100, bRight = b.x > 100;
            if (aRight != bRight) return aRight;
            return a.width != b.width ? a.width < b.width : a.y < b.y;
        });
    }
    static std::pair<xcb_window_t, Frame> widest(const Frames& frames) {
        return pick(frames, [](const Frame& a, const Frame& b) { return a.width > b.width; });
    }
    // The arranger's key of a client window ("<pid>:<window>:<hash>").
    static bool isKeyOf(const std::string& key, xcb_window_t window) {
        return key.find(":" + std::to_string(window) + ":") != std::string::npos;
    }

    ArveloSession session{"arvelo-drag-e2e"};
};

}  // namespace

TEST_F(DragEndToEnd, ATitleBarDraggedToTheLeftEdgeDocksThereAtHalfTheWidthAndTheOthersRetile) {
    const Frames tiled = arranged();
    ASSERT_EQ(tiled.size(), 3u) << describe(tiled);
    const auto [window, frame] = narrowest(tiled);
    const Frame screen = session.probe.screen();
    ASSERT_GT(frame.x, 100) << "a window that is not on the left yet\n" << describe(tiled);

    pressAndMove(frame.x + kGrip, frame.y + 8, -(frame.x + kGrip) + 6, 0, 8);
    screenshot("drag-mid-left-edge.png");
    release();

    const Frames docked = settle([&](const Frames& frames) {
        return frames.size() == 3 && frames.count(window) && frames.at(window).x < 20 &&
               frames.at(window).height > screen.height / 2 && !anyOverlap(frames);
    });
    ASSERT_TRUE(docked.count(window)) << describe(docked);
    const Frame left = docked.at(window);
    EXPECT_LT(left.x, 20) << describe(docked);
    EXPECT_GT(left.height, screen.height * 8 / 10) << "the whole height\n" << describe(docked);
    for (const auto& [other, f] : docked) {
        if (other != window) {
            EXPECT_GE(f.x, left.x + left.width) << "re-tiled beside it\n" << describe(docked);
        }
    }
    EXPECT_FALSE(anyOverlap(docked)) << describe(docked);

    // The tree: a new root split side by side at 0.5, the window alone on the left. (The
    // frames honour the other windows' minimum sizes, so the left one may be narrower.)
    const auto report = diagnostics();
    ASSERT_TRUE(report.is_object());
    EXPECT_EQ(report["lastDrop"]["edge"], "left");
    EXPECT_EQ(report["lastDrop"]["input"], "native-title-bar");
    EXPECT_TRUE(isKeyOf(report["lastDrop"].value("source", ""), window));
    const auto& root = report["layouts"][0]["tree"]["root"];
    EXPECT_EQ(root["axis"], "horizontal") << root.dump(2);
    EXPECT_EQ(root["ratio"], 0.5) << root.dump(2);
    ASSERT_EQ(root["children"][0]["windows"].size(), 1u) << root.dump(2);
    EXPECT_TRUE(isKeyOf(root["children"][0]["windows"][0], window)) << root.dump(2);
}

TEST_F(DragEndToEnd, ATitleBarDraggedOntoTheMiddleOfAnotherTileMakesTabsThere) {
    const Frames tiled = arranged();
    ASSERT_EQ(tiled.size(), 3u) << describe(tiled);
    const auto [window, frame] = narrowest(tiled);
    const auto [target, targetFrame] = topLeft(tiled);
    const int startX = frame.x + kGrip, startY = frame.y + 8;
    const int endX = targetFrame.x + targetFrame.width / 2, endY = targetFrame.y + targetFrame.height / 2;

    pressAndMove(startX, startY, endX - startX, endY - startY, 8);
    screenshot("drag-mid-make-tabs.png");
    release();

    // The dropped window shows in the target's tile (below the tab strip); the target is the
    // hidden tab, parked out of sight.
    const Frames tabbed = settle([&](const Frames& frames) {
        return frames.count(window) && frames.at(window).x == targetFrame.x && frames.at(window).y > targetFrame.y &&
               frames.at(window).width == targetFrame.width;
    });
    ASSERT_TRUE(tabbed.count(window)) << describe(tabbed);
    EXPECT_EQ(tabbed.at(window).x, targetFrame.x) << describe(tabbed);
    EXPECT_EQ(tabbed.at(window).width, targetFrame.width) << describe(tabbed);
    EXPECT_GT(tabbed.at(window).y, targetFrame.y) << "the tab strip sits above it\n" << describe(tabbed);
    const auto report = diagnostics();
    ASSERT_TRUE(report.is_object());
    EXPECT_EQ(report["lastDrop"]["edge"], "tab") << report["dragTrace"].dump(2);
    // One tile of the layout holds both windows.
    std::size_t largestTile = 0;
    for (const auto& layout : report["layouts"])
        for (const auto& tile : layout["tiles"]) largestTile = std::max(largestTile, tile["windows"].size());
    EXPECT_EQ(largestTile, 2u) << report.dump(2);
}

TEST_F(DragEndToEnd, DraggingTheBottomRightCornerOfADockedWindowMovesTheSeam) {
    const Frames tiled = arranged();
    ASSERT_EQ(tiled.size(), 3u) << describe(tiled);
    const auto [window, frame] = topLeft(tiled);
    const int cornerX = frame.x + frame.width - 2, cornerY = frame.y + frame.height - 2;

    pressAndMove(cornerX, cornerY, 120, 0, 6);
    release();

    const Frames resized = settle(
        [&](const Frames& frames) { return frames.count(window) && frames.at(window).width >= frame.width + 80; });
    ASSERT_TRUE(resized.count(window)) << describe(resized);
    EXPECT_GE(resized.at(window).width, frame.width + 80) << describe(resized);
    EXPECT_EQ(resized.at(window).x, frame.x);
    for (const auto& [other, f] : resized)
        if (other != window) {
            EXPECT_GE(f.x, frame.x + frame.width + 80) << "the neighbours follow the seam";
        }
}

TEST_F(DragEndToEnd, AWindowDroppedWhereNothingDocksGoesBack) {
    const Frames tiled = arranged();
    ASSERT_EQ(tiled.size(), 3u) << describe(tiled);
    const auto [window, frame] = bottomRight(tiled);

    // Past the window manager's drag threshold and back a little: the window ends 5 pixels
    // right and 5 down, over its own tile, where nothing docks.
    xdotool({"mousemove", std::to_string(frame.x + kGrip), std::to_string(frame.y + 8)});
    xdotool({"mousedown", "1", "sleep", "0.1", "mousemove_relative", "--", "12", "12", "sleep", "0.1",
             "mousemove_relative", "--", "-7", "-7", "sleep", "0.3"});
    Frames during = framesOf();
    release();

    const Frames back =
        settle([&](const Frames& frames) { return frames.count(window) && frames.at(window) == frame; });
    ASSERT_TRUE(back.count(window)) << describe(back);
    EXPECT_EQ(back.at(window), frame) << "moved to " << (during.count(window) ? during.at(window).text() : "?")
                                      << " during the drag\n"
                                      << describe(back);
    EXPECT_EQ(back, tiled) << describe(back);
}
