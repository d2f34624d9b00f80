// SPDX-License-Identifier: MIT
// TickEndToEndTests.cpp: the real `arvelo` on a virtual X desktop (Xvfb + openbox, started by
// scripts/with-xvfb) arranging xlogo windows: a window opened while the others are arranged is
// docked, a tiled window dragged by its title bar with xdotool and dropped on its own tile leaves
// the layout whole, and while nothing happens the diagnostics file is not written.
#include "ArveloSession.h"
#include "Wait.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

using namespace e2e;

namespace {

const std::vector<std::string> kLogos = {"XLogo"};
constexpr double kFewBeats = 15;  // seconds: start-up plus a few 0.7 s beats
constexpr int kTolerance = 2;     // pixels
constexpr std::chrono::seconds kChecksRunOut{4};

class TickEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (environmentValue("DISPLAY").empty()) GTEST_SKIP() << "needs an X display (run through scripts/with-xvfb)";
        ASSERT_TRUE(session.probe.connected());
        ASSERT_TRUE(session.home.ready());
        setenv("ARVELO", ARVELO_PATH, 1);
    }

    // An xlogo window, cascaded from the top left so that it overlaps the others.
    void openLogo() {
        const int step = static_cast<int>(session.programCount()) + 1;
        session.start("/usr/bin/xlogo",
                      {"-geometry", "320x240+" + std::to_string(60 * step) + "+" + std::to_string(50 * step)});
    }

    Frames logos() { return session.probe.framesOf(kLogos); }

    // Tiled: `count` windows, each on screen, no two overlapping.
    bool tiled(const Frames& frames, std::size_t count) {
        if (frames.size() != count) return false;
        for (const auto& [window, frame] : frames)
            if (!frame.intersects(session.probe.screen())) return false;
        return !anyOverlap(frames);
    }
    // The windows' frames once `count` of them are tiled and have held still for half a second.
    Frames arranged(std::size_t count) {
        return session.probe.settledFrames(
            kLogos, [&](const Frames& frames) { return tiled(frames, count); }, kFewBeats);
    }

    std::string describe(const Frames& frames) const { return session.describe(frames); }

    ArveloSession session{"arvelo-tick-e2e"};
};

}  // namespace

TEST_F(TickEndToEnd, AWindowOpenedWhileArrangingIsDocked) {
    for (int i = 0; i < 3; ++i) openLogo();
    ASSERT_TRUE(waitUntil(kFewBeats, [&] { return logos().size() == 3; }));
    session.runArvelo();
    const auto three = arranged(3);
    ASSERT_TRUE(tiled(three, 3)) << describe(three);

    openLogo();
    ASSERT_TRUE(waitUntil(kFewBeats, [&] { return logos().size() == 4; }));
    // The next beats dock it; the generous deadline only bounds the wait on a busy machine.
    Frames frames;
    const bool docked = waitUntil(kFewBeats, [&] {
        frames = logos();
        return tiled(frames, 4);
    });
    EXPECT_TRUE(docked) << describe(frames);
}

TEST_F(TickEndToEnd, ATiledWindowDroppedOnItsOwnTileLeavesTheLayoutWhole) {
    for (int i = 0; i < 3; ++i) openLogo();
    ASSERT_TRUE(waitUntil(kFewBeats, [&] { return logos().size() == 3; }));
    session.runArvelo();
    const auto tiles = arranged(3);
    ASSERT_TRUE(tiled(tiles, 3)) << describe(tiles);
    const auto [window, tile] = *tiles.begin();

    // Press on the title bar (the top of the outer frame) and drag 60 px right and 42 down.
    // While the button is held nothing is corrected, so the move shows.
    const int x = tile.x + tile.width / 2, y = tile.y + 6;
    std::vector<std::string> drag{"mousemove", std::to_string(x), std::to_string(y), "mousedown", "1"};
    for (int i = 1; i <= 6; ++i)
        for (const auto& part : {std::string("mousemove"), std::to_string(x + 10 * i), std::to_string(y + 7 * i),
                                 std::string("sleep"), std::string("0.05")})
            drag.push_back(part);
    ChildProcess pressAndDrag("/usr/bin/xdotool", drag);
    ASSERT_EQ(pressAndDrag.waitForExit(10), 0);
    const bool moved = waitUntil(5, [&, window = window, tile = tile] {
        const auto frames = logos();
        return frames.count(window) && frames.at(window).x >= tile.x + 30;
    });
    ChildProcess release("/usr/bin/xdotool", {"mouseup", "1"});
    ASSERT_EQ(release.waitForExit(10), 0);
    ASSERT_TRUE(moved) << describe(logos());

    // Released over its own tile, away from the screen's edge band, it has no drop destination:
    // either it goes back to its tile, or (when the drag was seen to move it more than 6 px) it
    // keeps its new origin and the seams follow it. Either way the layout is whole again: every
    // window fits on the screen and no two overlap.
    Frames frames;
    const auto screen = session.probe.screen();
    const bool followed = waitUntil(kFewBeats, [&, window = window, tile = tile] {
        frames = logos();
        if (!tiled(frames, 3) || !frames.count(window)) return false;
        for (const auto& [id, frame] : frames)
            if (frame.x + frame.width > screen.x + screen.width + kTolerance ||
                frame.y + frame.height > screen.y + screen.height + kTolerance)
                return false;
        const auto& dropped = frames.at(window);
        return dropped.near(tile, kTolerance) || dropped.x >= tile.x + 30;
    });
    EXPECT_TRUE(followed) << "tile " << tile.text() << "\n" << describe(frames);
}

TEST_F(TickEndToEnd, NothingHappeningWritesNothing) {
    for (int i = 0; i < 3; ++i) openLogo();
    ASSERT_TRUE(waitUntil(kFewBeats, [&] { return logos().size() == 3; }));
    session.runArvelo();
    const auto three = arranged(3);
    ASSERT_TRUE(tiled(three, 3)) << describe(three);
    // The arrangement's checks run out a few seconds after its last write: wait for the file
    // to be that old.
    const auto file = session.home.path("state-dir") / "layout-diagnostics.json";
    const auto age = [&] {
        return std::filesystem::file_time_type::clock::now() - std::filesystem::last_write_time(file);
    };
    ASSERT_TRUE(waitUntil(kFewBeats, [&] { return std::filesystem::exists(file) && age() >= kChecksRunOut; }))
        << "still written after " << kFewBeats << " s";

    // Seven beats, its time stamp five seconds older: not written again.
    const auto written = std::filesystem::last_write_time(file);
    const std::string text = readFile(file);
    EXPECT_FALSE(waitUntil(5, [&] { return std::filesystem::last_write_time(file) != written; }));
    EXPECT_EQ(readFile(file), text);
}
