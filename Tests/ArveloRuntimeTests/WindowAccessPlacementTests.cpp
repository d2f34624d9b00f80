// SPDX-License-Identifier: MIT
// WindowAccessPlacementTests.cpp: placing a window: the staged write and its trace, the five
// read-back checks and what stops them, learning a minimum size from a refused or accepted
// size, and dry-run placement.
#include "WindowAccessScene.h"

#include <gtest/gtest.h>

namespace arvelo::testing {
namespace {

using platform::AccessError;
using platform::sim::Request;

// Times of the calls of one kind, in seconds since the start.
std::vector<double> times(const std::vector<platform::sim::Call>& calls) {
    std::vector<double> out;
    for (const auto& call : calls) out.push_back(call.time);
    return out;
}

std::vector<double> positionWriteTimes(platform::sim::Desktop& desktop) {
    return times(desktop.calls().of(Request::set, "AXPosition"));
}

TEST(WindowAccessPlacement, StagesOfTheFrameWrite) {
    struct Case {
        const char* stage;
        Rect start;
        Size windowMinimum;
        Rect target;
        Rect after;
    };
    const std::vector<Case> cases{
        {"ready", {100, 100, 800, 600}, {}, {101, 99, 802, 598}, {100, 100, 800, 600}},
        {"ready+move", {100, 100, 800, 600}, {}, {300, 200, 800, 600}, {300, 200, 800, 600}},
        {"ready+size", {100, 100, 400, 300}, {}, {100, 100, 800, 600}, {100, 100, 800, 600}},
        {"ready+move+size", {100, 100, 400, 300}, {}, {0, 0, 800, 600}, {0, 0, 800, 600}},
        {"shrink", {100, 100, 800, 600}, {}, {100, 100, 500, 400}, {100, 100, 500, 400}},
        {"shrink+move", {100, 100, 800, 600}, {}, {0, 0, 500, 400}, {0, 0, 500, 400}},
        {"shrink+size", {100, 100, 800, 300}, {}, {100, 100, 500, 400}, {100, 100, 500, 400}},
        {"shrink+move+size", {100, 100, 800, 600}, {600, 300}, {0, 0, 500, 400}, {0, 0, 600, 400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stage);
        AccessScene scene;
        auto window = scene.openScanned(c.start);
        window.minimumSize(c.windowMinimum);
        EXPECT_TRUE(scene.access->place(scene.recordOf(window), c.target));
        EXPECT_EQ(window.frame(), c.after);
        const auto record = scene.recordOf(window);
        EXPECT_EQ(record->lastFrameWrite, nlohmann::json({{"stage", c.stage},
                                                          {"before", toString(c.start)},
                                                          {"after", toString(c.after)},
                                                          {"target", toString(c.target)},
                                                          {"sizeResult", 0},
                                                          {"positionResult", 0}}));
        EXPECT_EQ(record->settledFrame, c.after);
        EXPECT_EQ(record->expectedFrame, c.target);
        EXPECT_EQ(record->originalFrame, c.start);
        // Every write is made with the long time-out.
        for (const auto& call : scene.desktop.calls().of(Request::set)) EXPECT_EQ(call.timeout, 1.25);
    }
}

TEST(WindowAccessPlacement, ARefusedWriteIsReportedWithItsCode) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 800, 600});
    window.refusesWrites(AccessError::cannotComplete);
    const auto record = scene.recordOf(window);
    EXPECT_FALSE(scene.access->place(record, {0, 0, 800, 600}));
    EXPECT_EQ(record->lastFrameWrite["stage"], "ready+move");
    EXPECT_EQ(record->lastFrameWrite["positionResult"], -25204);
    EXPECT_EQ(record->lastFrameWrite["sizeResult"], 0);
    // The checks keep trying the same target.
    scene.desktop.advance(0.25);
    EXPECT_EQ(positionWriteTimes(scene.desktop), (std::vector<double>{0, 0.25}));
}

TEST(WindowAccessPlacement, AWindowThatCannotBeReadKeepsItsKnownFrameAsOriginal) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 800, 600});
    const auto record = scene.recordOf(window);
    window.vanish();
    EXPECT_FALSE(scene.access->place(record, {0, 0, 800, 600}));
    EXPECT_EQ(record->originalFrame, Rect(100, 100, 800, 600));
    EXPECT_TRUE(record->lastFrameWrite.empty());
    scene.desktop.advance(5);  // the checks and the late check find nothing to do
    EXPECT_EQ(record->minimum, kMinimumWindowSize);
}

TEST(WindowAccessPlacement, PlacingUnminimizesFirstAndKeepsTheFirstOriginal) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 800, 600});
    window.minimize();
    const auto record = scene.recordOf(window);
    scene.access->place(record, {0, 0, 700, 500});
    EXPECT_FALSE(window.state().minimized);
    EXPECT_TRUE(record->originalMinimized);
    scene.access->place(record, {10, 10, 700, 500});
    EXPECT_EQ(record->originalFrame, Rect(100, 100, 800, 600));
    EXPECT_TRUE(record->originalMinimized);
}

// A window that keeps going back: every check writes again, 0.25, 0.45, 0.55, 0.75 and 0.8 s
// after the one before, reading with the normal time-out.
TEST(WindowAccessPlacement, ChecksWriteAgainWhileTheWindowIsElsewhere) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 800, 600});
    window.snapsBack(0.1);
    const auto record = scene.recordOf(window);
    scene.access->place(record, {0, 0, 800, 600});
    scene.desktop.advance(2.9);
    EXPECT_EQ(positionWriteTimes(scene.desktop), (std::vector<double>{0, 0.25, 0.7, 1.25, 2.0, 2.8}));
    EXPECT_EQ(record->frame, Rect(100, 100, 800, 600));  // what the last check read
    for (const auto& call : scene.desktop.calls().of(Request::copy, "AXMinimized")) EXPECT_EQ(call.timeout, 0.25);
    scene.desktop.advance(10);
    EXPECT_EQ(positionWriteTimes(scene.desktop).size(), 6u);
}

TEST(WindowAccessPlacement, ChecksStopOnceTheWindowIsInPlace) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 800, 600});
    window.lag(0.5);  // the write shows only after the first check
    const auto record = scene.recordOf(window);
    scene.access->place(record, {0, 0, 800, 600});
    scene.desktop.advance(2.9);
    // 0.25: still away, written again; 0.7: in place, stop.
    EXPECT_EQ(positionWriteTimes(scene.desktop), (std::vector<double>{0, 0.25}));
    std::vector<double> checks;
    for (const double time : times(scene.desktop.calls().of(Request::copy, "AXMinimized")))
        if (time > 0) checks.push_back(time);
    EXPECT_EQ(checks, (std::vector<double>{0.25, 0.7}));
    EXPECT_EQ(record->frame, Rect(0, 0, 800, 600));
}

// A window whose own size rules the window manager applies (a terminal's whole character
// cells, a stated minimum or maximum) stands where it was asked to be once it has the size
// those rules make of the target: one staged write, no check writes again, and a stated
// minimum is still learnt by the late check.
TEST(WindowAccessPlacement, TheSizeAWindowsOwnRulesMakeOfTheTargetIsWrittenOnce) {
    using platform::sim::SizeRules;
    struct Case {
        const char* rules;
        SizeRules sizeRules;
        Rect after;  // of a place at (0, 0, 470, 516) from (100, 100, 800, 600)
        std::string stage;
        Size learnt;
    };
    const std::vector<Case> cases{
        {"increments", {{0, 0}, std::nullopt, {4, 22}, {7, 15}}, {0, 0, 466, 502}, "shrink+move", kMinimumWindowSize},
        {"minimum", {{600, 550}, std::nullopt, {0, 0}, {1, 1}}, {0, 0, 600, 550}, "shrink+move", {600, 550}},
        {"maximum", {{0, 0}, Size{400, 300}, {0, 0}, {1, 1}}, {0, 0, 400, 300}, "shrink+move", kMinimumWindowSize},
    };
    const Rect target{0, 0, 470, 516};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rules);
        AccessScene scene;
        auto window = scene.openScanned({100, 100, 800, 600});
        window.sizeRules(c.sizeRules);
        const auto record = scene.recordOf(window);
        EXPECT_EQ(scene.access->fittedSize(*record, target.size()), c.after.size());
        EXPECT_TRUE(scene.access->place(record, target));
        EXPECT_EQ(record->lastFrameWrite["stage"], c.stage);
        scene.desktop.advance(5);
        EXPECT_EQ(window.frame(), c.after);
        EXPECT_EQ(record->frame, c.after);
        for (const auto& call : scene.desktop.calls().of(Request::set)) EXPECT_EQ(call.time, 0) << call.description();
        // The checks stopped at the first: it found the window placed.
        EXPECT_EQ(scene.desktop.calls().of(Request::copy, "AXMinimized").back().time, 0.25);
        EXPECT_EQ(record->minimum, c.learnt);
    }
}

TEST(WindowAccessPlacement, ChecksStopForANewerTargetAParkOrAPressedButton) {
    struct Case {
        const char* interruption;
        std::function<void(AccessScene&, const WindowAccess::RecordPtr&)> act;
        std::vector<double> writes;  // times of the position writes to the first target
    };
    const std::vector<Case> cases{
        {"a newer target",
         [](auto& s, auto& r) {
             s.access->place(r, {200, 200, 800, 600});
         },
         {0, 0.25}},
        {"a park",
         [](auto& s, auto& r) {
             s.access->park(r, {0, 0, 1440, 900}, {});
         },
         {0, 0.25}},
        {"a pressed button",
         [](auto& s, auto&) {
             s.desktop.pressLeftButton();
             s.desktop.advance(0.5);
             s.desktop.releaseLeftButton();
         },
         {0, 0.25}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interruption);
        AccessScene scene;
        auto window = scene.openScanned({100, 100, 800, 600});
        window.snapsBack(0.1);
        const auto record = scene.recordOf(window);
        scene.access->place(record, {0, 0, 800, 600});
        scene.desktop.advance(0.3);
        c.act(scene, record);
        scene.desktop.advance(10);
        std::vector<double> firstTarget;
        for (const auto& call : scene.desktop.calls().of(Request::set, "AXPosition"))
            if (call.value.point() == Point(0, 0)) firstTarget.push_back(call.time);
        EXPECT_EQ(firstTarget, c.writes);
        // The late check of the first placement learns nothing either.
        EXPECT_EQ(record->minimum, kMinimumWindowSize);
    }
}

class MinimumLearning : public ::testing::Test {
protected:
    MinimumLearning() {
        scene.access->onMinimumChange = [this] { ++changes; };
    }
    WindowAccess::RecordPtr placed(Size windowMinimum, const Rect& target) {
        auto window = scene.openScanned({100, 100, 800, 600});
        window.minimumSize(windowMinimum);
        const auto record = scene.recordOf(window);
        scene.access->place(record, target);
        return record;
    }
    AccessScene scene;
    int changes = 0;
};

TEST_F(MinimumLearning, ARefusedSizeIsLearntAfterThreeSeconds) {
    const auto record = placed({630, 0}, {0, 0, 600, 400});
    scene.desktop.advance(2.9);
    EXPECT_EQ(record->minimum, kMinimumWindowSize);
    scene.desktop.advance(0.1);
    EXPECT_EQ(record->minimum, Size(630, 60));
    EXPECT_EQ(record->settledFrame, Rect(0, 0, 630, 400));
    EXPECT_EQ(changes, 1);
}

TEST_F(MinimumLearning, ALearntMinimumIsCappedAtNinetyPercentOfTheLargestVisibleFrame) {
    scene.desktop.world().displays()[0].visibleFrame = {0, 25, 1000, 800};
    const auto record = placed({950, 790}, {0, 0, 600, 400});
    scene.desktop.advance(3);
    EXPECT_EQ(record->minimum, Size(900, 720));
}

TEST_F(MinimumLearning, AnAcceptedSizeLowersTheMinimumAtOnceButNotBelowTheFloor) {
    auto window = scene.openScanned({100, 100, 800, 600});
    const auto record = scene.recordOf(window);
    record->minimum = {600, 500};
    scene.access->place(record, {0, 0, 500, 400});
    EXPECT_EQ(record->minimum, Size(500, 400));
    EXPECT_EQ(changes, 1);
    scene.access->place(record, {0, 0, 50, 40});
    EXPECT_EQ(record->minimum, Size(80, 60));
    EXPECT_EQ(changes, 2);
    // Changes of 2 points or less are not stored.
    record->minimum = {502, 60};
    scene.access->place(record, {0, 0, 500, 400});
    EXPECT_EQ(record->minimum, Size(502, 60));
    EXPECT_EQ(changes, 2);
}

TEST_F(MinimumLearning, NothingIsLearntFromAWindowResizedMeanwhileOrWithTheButtonDown) {
    auto window = scene.openScanned({100, 100, 800, 600});
    const auto record = scene.recordOf(window);
    scene.access->place(record, {0, 0, 600, 400});
    scene.desktop.advance(2.9);
    window.moveTo({0, 0, 700, 400});  // by hand, after the checks found it placed
    scene.desktop.advance(0.1);
    EXPECT_EQ(record->minimum, kMinimumWindowSize);

    const auto refused = placed({630, 0}, {0, 0, 600, 400});
    scene.desktop.advance(2.9);
    scene.desktop.pressLeftButton();
    scene.desktop.advance(0.1);
    EXPECT_EQ(refused->minimum, kMinimumWindowSize);
    EXPECT_EQ(changes, 0);
}

TEST(WindowAccessPlacement, DryRunMakesNoRequest) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 800, 600});
    const auto record = scene.recordOf(window);
    record->parked = true;
    scene.access->dryRun = true;
    scene.desktop.calls().clear();
    EXPECT_TRUE(scene.access->place(record, {0, 0, 700, 500}));
    scene.desktop.advance(5);
    EXPECT_TRUE(scene.desktop.calls().all().empty());
    EXPECT_FALSE(record->parked);
    EXPECT_EQ(record->frame, Rect(0, 0, 700, 500));
    EXPECT_EQ(record->expectedFrame, Rect(0, 0, 700, 500));
    EXPECT_EQ(record->settledFrame, Rect(0, 0, 700, 500));
    EXPECT_EQ(window.frame(), Rect(100, 100, 800, 600));
}

}  // namespace
}  // namespace arvelo::testing
