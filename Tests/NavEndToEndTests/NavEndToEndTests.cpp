// SPDX-License-Identifier: MIT
// NavEndToEndTests.cpp: the arranger's hot keys and URL commands on a virtual X desktop
// (scripts/with-xvfb): with three standard X programs tiled, Control+Alt+Down over a tile zooms
// onto it so its window fills the display, Control+Alt+Up steps out again, a second arvelo
// started with "arvelo://restore" puts every window back, and under openbox's own key
// bindings the keys it holds are reported while the others still work.
#include "ArveloSession.h"
#include "Wait.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace e2e;

namespace {

const std::vector<std::string> kPrograms = {"XLogo", "XEyes", "XClock"};
constexpr double kFewBeats = 15;  // seconds: start-up plus a few 0.7 s beats
constexpr int kTolerance = 2;     // pixels

class NavEndToEnd : public ::testing::Test {
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
        ASSERT_EQ(tool.waitForExit(10), 0) << "xdotool failed";
    }

    Frames framesOf() { return session.probe.framesOf(kPrograms); }

    // xlogo, xeyes and xclock, cascaded so that they overlap, once they have held still.
    Frames openPrograms() {
        session.start("/usr/bin/xlogo", {"-geometry", "400x300+100+100"});
        session.start("/usr/bin/xeyes", {"-geometry", "300x250+250+200"});
        session.start("/usr/bin/xclock", {"-geometry", "250x250+400+300"});
        return session.probe.settledFrames(
            kPrograms, [](const Frames& frames) { return frames.size() == 3; }, kFewBeats);
    }

    // Starts arvelo and waits until it has tiled the programs' windows.
    Frames arrange(const Frames& original) {
        first = &session.runArvelo();
        return session.probe.settledFrames(
            kPrograms,
            [&](const Frames& frames) {
                if (frames.size() != 3 || anyOverlap(frames)) return false;
                for (const auto& [window, frame] : frames)
                    if (frame == original.at(window)) return false;
                return true;
            },
            kFewBeats);
    }

    // Whether a frame takes the screen, but for the gaps and the band left for the zoom bar.
    bool fillsScreen(const Frame& frame) const {
        const Frame screen = session.probe.screen();
        return frame.x >= screen.x && frame.y >= screen.y && frame.x + frame.width <= screen.x + screen.width &&
               frame.y + frame.height <= screen.y + screen.height && frame.width >= screen.width * 9 / 10 &&
               frame.height >= screen.height * 85 / 100;
    }

    // Whether every window is back within a few pixels of `frames`.
    bool backAt(const Frames& frames, Frames& now) {
        now = framesOf();
        for (const auto& [window, frame] : frames)
            if (!now.count(window) || !now.at(window).near(frame, kTolerance)) return false;
        return true;
    }

    std::string describe(const Frames& frames) const { return session.describe(frames); }

    ArveloSession session{"arvelo-nav-e2e"};
    ChildProcess* first = nullptr;  // the arvelo that arranges
};

// The window whose tile is largest: its middle is surely over its own tile.
std::pair<xcb_window_t, Frame> largest(const Frames& frames) {
    return *std::max_element(frames.begin(), frames.end(), [](const auto& a, const auto& b) {
        return a.second.width * a.second.height < b.second.width * b.second.height;
    });
}

}  // namespace

TEST_F(NavEndToEnd, ControlAltDownFocusesTheTileUnderThePointerAndControlAltUpStepsOut) {
    const auto original = openPrograms();
    ASSERT_EQ(original.size(), 3u);
    const auto tiled = arrange(original);
    ASSERT_FALSE(anyOverlap(tiled)) << describe(tiled);
    ASSERT_EQ(tiled.size(), 3u) << describe(tiled);

    const auto [window, tile] = largest(tiled);
    xdotool({"mousemove", std::to_string(tile.x + tile.width / 2), std::to_string(tile.y + tile.height / 2)});
    xdotool({"key", "ctrl+alt+Down"});
    Frames frames;
    ASSERT_TRUE(waitUntil(kFewBeats, [&] {
        frames = framesOf();
        return frames.count(window) && fillsScreen(frames.at(window));
    })) << describe(frames);

    xdotool({"key", "ctrl+alt+Up"});
    EXPECT_TRUE(waitUntil(kFewBeats, [&] { return backAt(tiled, frames); })) << "tiled:\n"
                                                                             << describe(tiled) << "now:\n"
                                                                             << describe(frames);
}

TEST_F(NavEndToEnd, ARestoreURLFromASecondProcessPutsEveryWindowBack) {
    const auto original = openPrograms();
    ASSERT_EQ(original.size(), 3u);
    const auto tiled = arrange(original);
    ASSERT_FALSE(anyOverlap(tiled)) << describe(tiled);

    ChildProcess& second = session.runArvelo({"arvelo://restore"}, "second.log");
    EXPECT_EQ(second.waitForExit(5), 0) << session.home.read("second.log");
    Frames frames;
    EXPECT_TRUE(waitUntil(kFewBeats, [&] { return backAt(original, frames); })) << "original:\n"
                                                                                << describe(original) << "now:\n"
                                                                                << describe(frames);
    EXPECT_TRUE(first->running()) << "the first arvelo keeps running";
}

TEST_F(NavEndToEnd, HotKeysFollowAKeyboardMappingChange) {
    const auto original = openPrograms();
    const auto tiled = arrange(original);
    ASSERT_FALSE(anyOverlap(tiled)) << describe(tiled);

    // Return moves to a key that had no symbol; the grab has to move with it. The mapping is
    // put back however the test ends, so later tests on this server see the usual keyboard.
    struct MappingRestorer {
        ~MappingRestorer() {
            ChildProcess back("/usr/bin/xmodmap", {"-e", "keycode 93 = NoSymbol", "-e", "keycode 36 = Return"});
            EXPECT_EQ(back.waitForExit(10), 0);
        }
    } restorer;
    ChildProcess remap("/usr/bin/xmodmap", {"-e", "keycode 36 = NoSymbol", "-e", "keycode 93 = Return"});
    ASSERT_EQ(remap.waitForExit(10), 0);
    const auto [window, tile] = largest(tiled);
    xdotool({"mousemove", std::to_string(tile.x + tile.width / 2), std::to_string(tile.y + tile.height / 2)});
    Frames frames;
    int polls = 0;
    const bool focused = waitUntil(kFewBeats, [&] {
        if (polls++ % 10 == 0) xdotool({"key", "ctrl+alt+Return"});
        frames = framesOf();
        return frames.count(window) && fillsScreen(frames.at(window));
    });
    EXPECT_TRUE(focused) << describe(frames);
}

TEST_F(NavEndToEnd, DefaultOpenboxHoldsTheArrowKeysAndTheOtherKeysStillWork) {
    const auto original = openPrograms();
    const auto tiled = arrange(original);
    ASSERT_FALSE(anyOverlap(tiled)) << describe(tiled);
    const std::string log = session.home.read("arvelo.log");
    // The log names each key and who holds it, once, without a status number.
    for (const std::string line : {"Ctrl+Alt+Down is held by openbox's default key bindings",
                                   "Ctrl+Alt+Up is held by openbox's default key bindings"}) {
        const auto first = log.find(line);
        EXPECT_NE(first, std::string::npos) << line << "\n" << log;
        EXPECT_EQ(log.find(line, first + 1), std::string::npos) << line << "\n" << log;
    }
    EXPECT_EQ(log.find("-9878"), std::string::npos) << log;

    // Control+Alt+Return does what Control+Alt+Down would.
    const auto [window, tile] = largest(tiled);
    xdotool({"mousemove", std::to_string(tile.x + tile.width / 2), std::to_string(tile.y + tile.height / 2)});
    xdotool({"key", "ctrl+alt+Return"});
    Frames frames;
    EXPECT_TRUE(waitUntil(kFewBeats, [&] {
        frames = framesOf();
        return frames.count(window) && fillsScreen(frames.at(window));
    })) << describe(frames);
}
