// SPDX-License-Identifier: MIT
// WindowAccessRestoreTests.cpp: putting windows back at their original frames: the restore
// write, minimizing again, the three checks 0.3, 0.4 and 0.5 s apart, what ends them, and an
// original frame kept until a read-back shows the window back there.
#include "WindowAccessScene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace arvelo::testing {
namespace {

using platform::AccessError;
using platform::sim::Request;

const Rect kOriginal{100, 100, 800, 600};
const Rect kTile{0, 0, 720, 900};

class WindowAccessRestore : public ::testing::Test {
protected:
    WindowAccessRestore() : window(scene.openScanned(kOriginal)), record(scene.recordOf(window)) {
        scene.access->place(record, kTile);
        scene.desktop.advance(5);
        scene.desktop.calls().clear();
        start = scene.desktop.clock().elapsed();
    }

    // Times of the position writes since the restore began.
    std::vector<double> writeTimes() {
        std::vector<double> out;
        for (const auto& call : scene.desktop.calls().of(Request::set, "AXPosition"))
            out.push_back(std::round((call.time - start) * 1000) / 1000);
        return out;
    }

    AccessScene scene;
    platform::sim::WindowHandle window;
    WindowAccess::RecordPtr record;
    double start = 0;
};

TEST_F(WindowAccessRestore, PutsTheWindowBackAndForgetsTheOriginalOnceSeenThere) {
    scene.access->restore(record);
    EXPECT_EQ(window.frame(), kOriginal);
    EXPECT_EQ(record->restoreTarget, kOriginal);
    EXPECT_EQ(record->expectedFrame, std::nullopt);
    EXPECT_FALSE(record->parked);
    // Kept until the first check reads the window back at its original frame.
    EXPECT_EQ(record->originalFrame, kOriginal);
    scene.desktop.advance(0.3);
    EXPECT_EQ(record->originalFrame, std::nullopt);
    EXPECT_EQ(record->restoreTarget, std::nullopt);
    scene.desktop.advance(5);
    EXPECT_EQ(writeTimes(), std::vector<double>{0});
}

TEST_F(WindowAccessRestore, AWindowMinimizedAtFirstIsMinimizedAgain) {
    auto minimized = scene.openScanned({50, 50, 400, 300}, "Minimized");
    minimized.minimize();
    const auto minimizedRecord = scene.recordOf(minimized);
    scene.access->place(minimizedRecord, kTile);
    EXPECT_FALSE(minimized.state().minimized);

    scene.access->restore(minimizedRecord);
    EXPECT_EQ(minimized.frame(), Rect(50, 50, 400, 300));
    EXPECT_TRUE(minimized.state().minimized);
    scene.desktop.advance(0.3);
    EXPECT_EQ(minimizedRecord->originalFrame, std::nullopt);
}

TEST_F(WindowAccessRestore, ChecksWriteAgainUntilTheWindowIsBack) {
    window.lag(0.5);
    scene.access->restore(record);
    scene.desktop.advance(0.3);
    EXPECT_EQ(record->originalFrame, kOriginal);  // not there yet: written again
    scene.desktop.advance(0.4);
    EXPECT_EQ(record->originalFrame, std::nullopt);
    EXPECT_EQ(writeTimes(), (std::vector<double>{0, 0.3}));
    EXPECT_EQ(window.frame(), kOriginal);
}

TEST_F(WindowAccessRestore, AFailedRestoreKeepsTheOriginalForTheNextTry) {
    window.refusesWrites(AccessError::cannotComplete);
    scene.access->restore(record);
    scene.desktop.advance(1.2);
    EXPECT_EQ(writeTimes(), (std::vector<double>{0, 0.3, 0.7, 1.2}));
    EXPECT_EQ(record->restoreTarget, std::nullopt);
    EXPECT_EQ(record->originalFrame, kOriginal);
    EXPECT_EQ(window.frame(), kTile);

    window.acceptsWrites();
    scene.access->restoreAll();
    scene.desktop.advance(0.3);
    EXPECT_EQ(window.frame(), kOriginal);
    EXPECT_EQ(record->originalFrame, std::nullopt);
}

TEST_F(WindowAccessRestore, AWindowThatSnapsBackUntilTheLastCheckIsConfirmedByItsReadBack) {
    window.snapsBack(0.1, kTile);
    scene.access->restore(record);
    scene.desktop.advance(1.1);
    window.snapsBack(1000, kTile);  // the last write sticks
    scene.desktop.advance(0.1);
    EXPECT_EQ(writeTimes(), (std::vector<double>{0, 0.3, 0.7, 1.2}));
    EXPECT_EQ(record->originalFrame, std::nullopt);
}

TEST_F(WindowAccessRestore, AnApplicationThatDoesNotAnswerEndsTheChecksAfterThreePasses) {
    scene.desktop.app(window.pid()).respondsAfter(2);
    scene.access->restore(record);
    scene.desktop.advance(1.2);
    EXPECT_EQ(record->restoreTarget, std::nullopt);
    EXPECT_EQ(record->originalFrame, kOriginal);
    EXPECT_TRUE(writeTimes().empty());
}

TEST_F(WindowAccessRestore, APlaceOrParkMeanwhileEndsTheRestore) {
    const std::vector<std::pair<const char*, std::function<void()>>> interruptions{
        {"place", [&] { scene.access->place(record, kTile); }},
        {"park",
         [&] {
             scene.access->park(record, {0, 0, 1440, 900}, {});
         }},
    };
    for (const auto& [name, interrupt] : interruptions) {
        SCOPED_TRACE(name);
        window.snapsBack(0.1, kTile);
        scene.access->restore(record);
        interrupt();
        EXPECT_EQ(record->restoreTarget, std::nullopt);
        scene.desktop.calls().clear();
        scene.desktop.advance(5);
        for (const auto& call : scene.desktop.calls().of(Request::set, "AXPosition"))
            EXPECT_NE(call.value.point(), kOriginal.origin()) << call.time;
        // The original is still the one the window had before it was first moved.
        EXPECT_EQ(record->originalFrame, kOriginal);
        window.snapsBack(1000, window.frame());
    }
}

TEST(WindowAccessRestoreAll, RestoresEveryWindowWithAnOriginalAndNothingElse) {
    AccessScene scene;
    auto placed = scene.openScanned({100, 100, 800, 600}, "Placed");
    auto parked = scene.openScanned({200, 200, 600, 400}, "Parked");
    auto untouched = scene.openScanned({300, 300, 500, 300}, "Untouched");
    scene.access->place(scene.recordOf(placed), {0, 0, 720, 900});
    scene.access->park(scene.recordOf(parked), {0, 0, 1440, 900}, {});
    untouched.moveTo({310, 310, 500, 300});
    scene.desktop.advance(5);

    scene.access->restoreAll();
    EXPECT_EQ(placed.frame(), Rect(100, 100, 800, 600));
    EXPECT_EQ(parked.frame(), Rect(200, 200, 600, 400));
    EXPECT_EQ(untouched.frame(), Rect(310, 310, 500, 300));
    EXPECT_FALSE(scene.recordOf(parked)->parked);

    // Nothing placed: nothing to do.
    scene.desktop.advance(1.2);
    scene.desktop.calls().clear();
    scene.access->restoreAll();
    scene.access->restore(scene.recordOf(untouched));
    EXPECT_TRUE(scene.desktop.calls().all().empty());
}

}  // namespace
}  // namespace arvelo::testing
