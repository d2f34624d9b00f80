// SPDX-License-Identifier: MIT
// WindowAccessParkingTests.cpp: parking a window outside an area (its spot, the avoided
// rectangle, no rewrite once parked, a refused write), raising a window in its order of
// steps with the fixture trace, closing a window and finding its sheet.
#include "WindowAccessScene.h"

#include <gtest/gtest.h>

namespace arvelo::testing {
namespace {

using platform::AccessError;
using platform::sim::Request;

const Rect kArea{0, 0, 1440, 900};

TEST(WindowAccessParking, ParksBeyondTheBottomRightCornerOrElseTheBottomLeft) {
    struct Case {
        const char* scene;
        std::vector<Rect> avoiding;
        Point spot;
    };
    const std::vector<Case> cases{
        {"nothing to avoid", {}, {1439, 899}},
        {"a display to the right", {{1440, 0, 1920, 1080}}, {-599, 899}},
        {"a rectangle elsewhere first", {{0, -500, 100, 100}, {1440, 0, 1920, 1080}}, {-599, 899}},
        {"a rectangle it does not reach", {{3000, 0, 100, 100}}, {1439, 899}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scene);
        AccessScene scene;
        auto window = scene.openScanned({100, 100, 600, 400});
        const auto record = scene.recordOf(window);
        EXPECT_TRUE(scene.access->park(record, kArea, c.avoiding));
        EXPECT_EQ(window.frame(), Rect(c.spot, Size{600, 400}));  // the size is never written
        EXPECT_TRUE(record->parked);
        EXPECT_EQ(record->originalFrame, Rect(100, 100, 600, 400));
        EXPECT_EQ(record->expectedFrame, std::nullopt);
        EXPECT_EQ(scene.desktop.calls().of(Request::set, "AXPosition").back().timeout, 1.0);
    }
}

TEST(WindowAccessParking, AParkedWindowAtItsSpotIsNotWrittenAgain) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 600, 400});
    const auto record = scene.recordOf(window);
    scene.access->park(record, kArea, {});
    window.moveTo({1440, 900, 600, 400});  // within 2 points of the spot
    EXPECT_TRUE(scene.access->park(record, kArea, {}));
    EXPECT_EQ(scene.desktop.calls().of(Request::set, "AXPosition").size(), 1u);
    EXPECT_EQ(window.frame().origin(), Point(1440, 900));
}

TEST(WindowAccessParking, ARefusedParkLeavesTheWindowUnparked) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 600, 400});
    window.refusesWrites(AccessError::cannotComplete);
    const auto record = scene.recordOf(window);
    EXPECT_FALSE(scene.access->park(record, kArea, {}));
    EXPECT_FALSE(record->parked);
}

TEST(WindowAccessParking, AnUnreadableWindowIsParkedWithItsLastKnownSize) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 600, 400});
    const auto record = scene.recordOf(window);
    record->frame = {100, 100, 500, 300};
    // Reads give up after 0.25 s; the park write waits 1.0 s.
    scene.desktop.app(window.pid()).respondsAfter(0.5);
    EXPECT_TRUE(scene.access->park(record, kArea, {{1440, 0, 1920, 1080}}));
    EXPECT_EQ(window.frame().origin(), Point(-499, 899));
    EXPECT_EQ(record->originalFrame, Rect(100, 100, 500, 300));
}

TEST(WindowAccessParking, AMinimizedWindowIsUnminimizedToPark) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 600, 400});
    window.minimize();
    const auto record = scene.recordOf(window);
    EXPECT_TRUE(scene.access->park(record, kArea, {}));
    EXPECT_FALSE(window.state().minimized);
    EXPECT_TRUE(record->originalMinimized);
}

// Where window managers keep parked windows in sight, a parked window is minimised as well: it
// goes to its spot beside the area (a window already minimised is left where it is) and comes
// back un-minimised when placed.
TEST(WindowAccessParking, WithMinimizingOnAParkedWindowIsMinimisedAndPlacingBringsItBack) {
    struct Case {
        const char* scene;
        bool minimizedBefore;  // by the user, before it was parked
        bool shownMeanwhile;   // un-minimised by someone else while parked, still at its spot
        Rect parkedFrame;
        std::size_t positionWrites;
    };
    const Rect spot{1439, 899, 600, 400}, opened{100, 100, 600, 400};
    for (const Case c : {Case{"an ordinary window", false, false, spot, 1},
                         Case{"a minimised one", true, false, opened, 0},
                         Case{"one shown again at its spot", false, true, spot, 1}}) {
        SCOPED_TRACE(c.scene);
        AccessScene scene;
        scene.access->minimizeParked = true;
        auto window = scene.openScanned({100, 100, 600, 400});
        if (c.minimizedBefore) window.minimize();
        const auto record = scene.recordOf(window);
        EXPECT_TRUE(scene.access->park(record, kArea, {}));
        if (c.shownMeanwhile) {
            window.minimize(false);
            EXPECT_TRUE(scene.access->park(record, kArea, {}));
        }
        EXPECT_TRUE(window.state().minimized);
        EXPECT_EQ(window.frame(), c.parkedFrame);
        EXPECT_TRUE(record->parked);
        EXPECT_EQ(record->originalMinimized, c.minimizedBefore);
        EXPECT_EQ(scene.desktop.calls().of(Request::set, "AXPosition").size(), c.positionWrites);

        EXPECT_TRUE(scene.access->place(record, {10, 10, 500, 300}));
        EXPECT_FALSE(window.state().minimized);
        EXPECT_FALSE(record->parked);
    }
}

TEST(WindowAccessParking, DryRunParksOnlyTheRecord) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 600, 400});
    const auto record = scene.recordOf(window);
    scene.access->dryRun = true;
    scene.desktop.calls().clear();
    EXPECT_TRUE(scene.access->park(record, kArea, {}));
    EXPECT_TRUE(record->parked);
    EXPECT_EQ(record->originalFrame, Rect(100, 100, 600, 400));
    EXPECT_TRUE(scene.desktop.calls().all().empty());
}

// Forwards to the simulated workspace and notes each request among the Accessibility calls.
class OrderedWorkspace : public platform::Workspace {
public:
    OrderedWorkspace(platform::sim::Desktop& desktop, std::vector<std::string>& steps)
        : desktop_(desktop), inner_(desktop.workspace()), steps_(steps) {}

    std::vector<platform::RunningApplication> runningApplications() override { return inner_.runningApplications(); }
    std::optional<platform::RunningApplication> application(std::int32_t pid) override {
        return inner_.application(pid);
    }
    std::optional<platform::RunningApplication> frontmostApplication() override {
        return inner_.frontmostApplication();
    }
    std::int32_t ownPid() override { return inner_.ownPid(); }
    bool activate(std::int32_t pid, platform::ActivationOptions options) override {
        note("activate");
        return inner_.activate(pid, options);
    }
    bool unhide(std::int32_t pid) override {
        note("unhide");
        return inner_.unhide(pid);
    }
    bool hide(std::int32_t pid) override { return inner_.hide(pid); }
    void yieldActivation(std::int32_t pid) override {
        note("yieldActivation");
        inner_.yieldActivation(pid);
    }

    // The Accessibility calls made since the last note, then this request.
    void note(const std::string& request) {
        flush();
        steps_.push_back(request);
    }
    void flush() {
        const auto& calls = desktop_.calls().all();
        for (; seen_ < calls.size(); ++seen_) {
            const auto& call = calls[seen_];
            steps_.push_back(std::string(platform::sim::toString(call.request)) + " " + call.name +
                             (call.request == Request::set ? " " + call.value.description() : ""));
        }
    }

private:
    platform::sim::Desktop& desktop_;
    platform::sim::SimWorkspace& inner_;
    std::vector<std::string>& steps_;
    std::size_t seen_ = 0;
};

TEST(WindowAccessRaise, RaisesInItsEightSteps) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 600, 400});
    window.minimize();
    std::vector<std::string> steps;
    auto workspace = std::make_shared<OrderedWorkspace>(scene.desktop, steps);
    platform::Services services = scene.services;
    services.workspace = workspace;
    const auto access = WindowAccess::make(services);
    scene.desktop.calls().clear();

    access->raise(scene.recordOf(window));
    workspace->flush();
    EXPECT_EQ(steps, (std::vector<std::string>{"copy AXMinimized", "set AXMinimized false", "unhide", "yieldActivation",
                                               "settable AXMain", "set AXMain true", "settable AXFocused",
                                               "set AXFocused true", "action AXRaise", "activate"}));
    EXPECT_FALSE(window.state().minimized);
    EXPECT_EQ(scene.desktop.world().stacking().front(), window.number());
    EXPECT_EQ(scene.desktop.world().frontmost(), window.pid());
}

TEST(WindowAccessRaise, FixtureModeTracesThePointerAtEachStep) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 600, 400});
    const auto record = scene.recordOf(window);
    record->lastActivationTrace = {{"stale", "{0, 0}"}};
    scene.access->raise(record);
    EXPECT_TRUE(record->lastActivationTrace.empty());

    scene.access->includeFixture = true;
    scene.desktop.movePointer({300, 200});
    scene.access->raise(record);
    const std::map<std::string, std::string> expected{
        {"before", "{300, 200}"},       {"afterUnminimize", "{300, 200}"},
        {"afterUnhide", "{300, 200}"},  {"afterYieldActivation", "{300, 200}"},
        {"afterAXMain", "{300, 200}"},  {"afterAXFocused", "{300, 200}"},
        {"afterAXRaise", "{300, 200}"}, {"afterAppActivate", "{300, 200}"}};
    EXPECT_EQ(record->lastActivationTrace, expected);
}

TEST(WindowAccessClose, PressesTheCloseButtonOutsideDryRun) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 600, 400});
    const auto record = scene.recordOf(window);
    scene.access->dryRun = true;
    scene.access->close(record);
    EXPECT_TRUE(window.alive());
    scene.access->dryRun = false;
    scene.access->close(record);
    EXPECT_FALSE(window.alive());
    scene.access->close(record);  // gone: nothing happens
}

TEST(WindowAccessSheet, FindsTheFrameOfAnAttachedSheet) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 600, 400});
    const auto record = scene.recordOf(window);
    EXPECT_EQ(scene.access->sheetFrame(record), std::nullopt);
    window.openDialog("Not a sheet", {150, 150, 300, 200});
    window.openSheet("Save", {200, 120, 400, 250});
    EXPECT_EQ(scene.access->sheetFrame(record), Rect(200, 120, 400, 250));
    scene.access->dryRun = true;
    EXPECT_EQ(scene.access->sheetFrame(record), std::nullopt);
}

}  // namespace
}  // namespace arvelo::testing
