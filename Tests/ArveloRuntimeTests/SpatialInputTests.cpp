// SPDX-License-Identifier: MIT
// SpatialInputTests.cpp: the spatial canvas's event tap on the simulated desktop: its decisions
// for each event (click holds, Shift-drag framing, double clicks on title strips and on the
// bare desktop), the gate it keeps open on the tap, and what reaches the other programs.
#include "CoordinatorScene.h"

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Chrome/ChromePanel.h"
#include "Arvelo/Input/SpatialInputController.h"
#include "ArveloCore/SpatialLayout.h"

using namespace arvelo;
using arvelo::testing::CoordinatorScene;
using platform::kEventOptionFlag;
using platform::kEventShiftFlag;
using platform::TapEvent;
using platform::TapEventType;
using platform::TapVerdict;

namespace {

constexpr auto kPass = TapVerdict::pass;
constexpr auto kSwallow = TapVerdict::swallow;
constexpr std::uint64_t kShiftOption = kEventShiftFlag | kEventOptionFlag;

TapEvent event(TapEventType type, Point at, std::uint64_t flags = 0, std::int64_t button = 0, std::int64_t clicks = 1) {
    return TapEvent{type, at, flags, button, clicks};
}

// Two windows side by side, arranged beside the desktop leaf, which keeps the right quarter of
// the display bare; a tool window of a background program sits over the first window's title.
class SpatialInput : public CoordinatorScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Screen", {1440, 900});
        auto app = desktop.launch("org.example.Editor", "Editor");
        windows.push_back(app.openWindow("alpha", {100, 100, 500, 350}));
        windows.push_back(app.openWindow("beta", {700, 100, 500, 350}));
        start();
        ASSERT_TRUE(coordinator->managing.get());
        display = coordinator->displays->front().id;
        coordinator->states.modify([&](auto& all) {
            auto& s = all.at(display);
            if (!s.root.desktopLeaf())
                s.root = LayoutNode::split(s.root, LayoutNode::desktop(), SplitAxis::horizontal, 0.75);
        });
        coordinator->apply();
        desktop.advance(2.0);
        settle();
        ASSERT_TRUE(controller().tap);
        ASSERT_TRUE(state().root.desktopLeaf());
    }

    SpatialInputController& controller() { return *coordinator->spatialInput; }
    const WorkspaceState& state() const { return coordinator->states->at(display); }
    std::string key(std::size_t index) const {
        for (const auto& record : coordinator->windows.get())
            if (record->windowNumber == windows[index].number()) return record->id;
        return "";
    }
    // A point in the window's title strip, `dx` right of its left edge and 20 points down.
    Point strip(std::size_t index, double dx = 100) const {
        const Rect frame = windows[index].frame();
        return {frame.x + dx, frame.y + 20};
    }
    Point bareDesktop() const { return {1400, 500}; }
    TapVerdict decide(const TapEvent& e) {
        const TapVerdict verdict = controller().handle(e);
        desktop.drain();
        return verdict;
    }
    // A double click as the tap sees it: the first press and release, then the second press.
    TapVerdict doubleClick(Point at) {
        decide(event(TapEventType::leftMouseDown, at));
        decide(event(TapEventType::leftMouseUp, at));
        return decide(event(TapEventType::leftMouseDown, at, 0, 0, 2));
    }
    bool previewShown() const {
        const auto& panel = coordinator->chrome->dropPanel;
        return panel && panel->visible;
    }

    std::vector<platform::sim::WindowHandle> windows;
    std::string display;
};

TEST_F(SpatialInput, ClickHoldSwallowsEveryPressWithItsReleaseAndDrags) {
    struct Row {
        const char* name;
        TapEventType down, up;
        std::int64_t button;
        bool held;
    };
    const Row rows[] = {
        {"left press during a hold", TapEventType::leftMouseDown, TapEventType::leftMouseUp, 0, true},
        {"right press during a hold", TapEventType::rightMouseDown, TapEventType::rightMouseUp, 1, true},
        {"middle press during a hold", TapEventType::otherMouseDown, TapEventType::otherMouseUp, 2, true},
        {"right press outside a hold", TapEventType::rightMouseDown, TapEventType::rightMouseUp, 1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.held) coordinator->holdClicks(0.5);
        const Point at = strip(1, 300);
        const TapVerdict expected = row.held ? kSwallow : kPass;
        EXPECT_EQ(decide(event(row.down, at, 0, row.button)), expected);
        if (row.button == 0) {
            EXPECT_EQ(decide(event(TapEventType::leftMouseDragged, at)), expected);
        }
        // The hold runs out before the release: the release still belongs to its press.
        desktop.advance(1.0);
        EXPECT_EQ(decide(event(row.up, at, 0, row.button)), expected);
        EXPECT_TRUE(controller().heldButtons.empty());
    }
}

TEST_F(SpatialInput, ReleaseOfASwallowedPressStaysSwallowedWhenArrangingStopsInBetween) {
    coordinator->holdClicks(0.5);
    EXPECT_EQ(decide(event(TapEventType::rightMouseDown, {300, 300}, 0, 1)), kSwallow);
    EXPECT_EQ(decide(event(TapEventType::leftMouseDown, {300, 300})), kSwallow);
    coordinator->managing = false;
    EXPECT_EQ(decide(event(TapEventType::leftMouseDragged, {310, 300})), kSwallow);
    EXPECT_EQ(decide(event(TapEventType::rightMouseUp, {310, 300}, 0, 1)), kSwallow);
    EXPECT_EQ(decide(event(TapEventType::leftMouseUp, {310, 300})), kSwallow);
    // Nothing new is swallowed while not arranging.
    EXPECT_EQ(decide(event(TapEventType::leftMouseDown, {300, 300})), kPass);
    EXPECT_EQ(decide(event(TapEventType::leftMouseUp, {300, 300})), kPass);
}

TEST_F(SpatialInput, ShiftDragFramesAnAreaLargerThanTwelvePoints) {
    struct Row {
        const char* name;
        Point from;
        std::uint64_t flags;
        Point to;
        bool swallowed;
        bool framed;
    };
    const Point onWindow = {windows[1].frame().midX(), windows[1].frame().midY()};
    const Row rows[] = {
        {"Shift-drag on the bare desktop", {1300, 300}, kEventShiftFlag, {1420, 600}, true, true},
        {"Shift-drag of 10 x 200 points", {1300, 300}, kEventShiftFlag, {1310, 500}, true, false},
        {"Shift-drag of 200 x 12 points", {1200, 300}, kShiftOption, {1400, 312}, true, false},
        {"Shift-press on a window", onWindow, kEventShiftFlag, {onWindow.x + 100, onWindow.y + 100}, false, false},
        {"Shift-Option-press on a window", onWindow, kShiftOption, {onWindow.x + 100, onWindow.y + 100}, true, true},
        {"plain press on the bare desktop", {1300, 300}, 0, {1420, 600}, false, false},
        {"Shift-press outside every display", {2000, 300}, kEventShiftFlag, {2100, 600}, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        coordinator->states.modify([&](auto& all) {
            all.at(display).camera.reset();
            all.at(display).focus.reset();
        });
        coordinator->apply();
        desktop.advance(2.0);
        settle();
        const auto steps = coordinator->navigation().past().size();
        const TapVerdict expected = row.swallowed ? kSwallow : kPass;
        EXPECT_EQ(decide(event(TapEventType::leftMouseDown, row.from, row.flags)), expected);
        EXPECT_EQ(decide(event(TapEventType::leftMouseDragged, row.to, row.flags)), expected);
        EXPECT_EQ(previewShown(), row.swallowed);
        if (row.swallowed) {
            EXPECT_EQ(coordinator->chrome->dropPanel->label, "Frame this area");
        }
        EXPECT_EQ(decide(event(TapEventType::leftMouseUp, row.to, row.flags)), expected);
        EXPECT_FALSE(previewShown());
        EXPECT_FALSE(controller().anchor);
        EXPECT_FALSE(controller().swallowedDown);
        EXPECT_EQ(state().camera.has_value(), row.framed);
        EXPECT_EQ(coordinator->navigation().past().size(), steps + (row.framed ? 1 : 0));
    }
}

TEST_F(SpatialInput, FramedAreaIsClippedToTheLayoutAreaBeforeUnprojecting) {
    const DisplayInfo shown = coordinator->displays->front();
    const Rect screen = coordinator->layoutArea(shown).screen;
    const Rect camera = coordinator->camera(display);
    // Reaches past the display's left and top edges.
    coordinator->frameArea({-200, -100, 600, 500}, display);
    const Rect clipped = Rect(-200, -100, 600, 500).intersection(screen);
    ASSERT_TRUE(state().camera);
    EXPECT_EQ(*state().camera, SpatialLayout::unproject(clipped, camera, screen));
    EXPECT_FALSE(state().focus);
    EXPECT_EQ(coordinator->selectedDisplay.get(), display);

    // An area that leaves 12 points or less inside does nothing; neither does an unknown display.
    coordinator->states.modify([&](auto& all) { all.at(display).camera.reset(); });
    coordinator->frameArea({screen.x - 100, 300, 112, 300}, display);
    coordinator->frameArea({300, 300, 400, 400}, "no such display");
    EXPECT_FALSE(state().camera);
}

TEST_F(SpatialInput, DoubleClickOnATitleStripFocusesTheTileAndAgainStepsOut) {
    EXPECT_EQ(doubleClick(strip(0)), kSwallow);
    EXPECT_EQ(state().focus, state().root.leaf(key(0))->id);
    // The release of the swallowed press is swallowed too.
    EXPECT_EQ(decide(event(TapEventType::leftMouseUp, strip(0), 0, 0, 2)), kSwallow);
    EXPECT_FALSE(controller().swallowedDown);

    // The window now fills the display; its title strip is elsewhere.
    desktop.advance(2.0);
    settle();
    const std::string leaf = state().root.leaf(key(0))->id;
    EXPECT_EQ(doubleClick(strip(0)), kSwallow);
    // One level out: the node around the window's leaf.
    EXPECT_NE(state().focus, leaf);
}

TEST_F(SpatialInput, DoubleClicksThatPassThrough) {
    // A background program's tool window over the second window's title strip.
    platform::sim::App toolApp;
    toolApp.applicationID = "org.example.Tool";
    toolApp.name = "Tool";
    toolApp.activationPolicy = platform::ActivationPolicy::accessory;
    auto tool = desktop.launch(toolApp);
    const Rect second = windows[1].frame();
    tool.openWindow("palette", {second.x + 150, second.y, 120, 60});
    desktop.drain();

    struct Row {
        const char* name;
        Point at;
    };
    const Row rows[] = {
        {"60 points right of the left edge", strip(0, 60)},
        {"a title strip covered by another window", {second.x + 200, second.y + 20}},
        {"below the title strip", {strip(0).x, strip(0).y + 40}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(doubleClick(row.at), kPass);
        EXPECT_EQ(decide(event(TapEventType::leftMouseUp, row.at, 0, 0, 2)), kPass);
        EXPECT_FALSE(state().focus);
    }
}

// The title strip reaches as far down as the window's own title bar does, never past 28
// points: below a 20-point title bar the press is the window's (its first text row).
TEST_F(SpatialInput, TheTitleStripEndsWithTheWindowsOwnTitleBar) {
    struct Row {
        const char* name;
        std::optional<double> titleBar;  // as the window list tells it
        double down;                     // points below the frame's top
        bool focuses;
    };
    const Row rows[] = {
        {"unknown title bar, 20 points down", std::nullopt, 20, true},
        {"unknown title bar, 27 points down", std::nullopt, 27, true},
        {"20-point title bar, 12 points down", 20.0, 12, true},
        {"20-point title bar, 22 points down", 20.0, 22, false},
        {"no title bar at all", 0.0, 5, false},
        {"40-point header bar, 30 points down", 40.0, 30, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        windows[0].state().titleBarHeight = row.titleBar;
        coordinator->states.modify([&](auto& all) { all.at(display).focus.reset(); });
        coordinator->apply();
        desktop.advance(2.0);
        settle();
        const Rect frame = windows[0].frame();
        const Point at{frame.x + 100, frame.y + row.down};
        EXPECT_EQ(doubleClick(at), row.focuses ? kSwallow : kPass);
        decide(event(TapEventType::leftMouseUp, at, 0, 0, 2));
        EXPECT_EQ(state().focus.has_value(), row.focuses);
    }
}

TEST_F(SpatialInput, DoubleClickOnTheBareDesktopFocusesTheDesktopTileAndAgainStepsOut) {
    coordinator->selectedDisplay = "";
    EXPECT_EQ(doubleClick(bareDesktop()), kSwallow);
    EXPECT_EQ(state().focus, "desktop");
    EXPECT_EQ(coordinator->selectedDisplay.get(), display);
    decide(event(TapEventType::leftMouseUp, bareDesktop(), 0, 0, 2));
    EXPECT_EQ(doubleClick(bareDesktop()), kSwallow);
    EXPECT_FALSE(state().focus);

    // Without a desktop leaf the double click passes.
    coordinator->states.modify([&](auto& all) {
        auto& s = all.at(display);
        s.root = LayoutNode::dwindle(s.root.allWindows(), true, false);
    });
    decide(event(TapEventType::leftMouseUp, bareDesktop(), 0, 0, 2));
    EXPECT_EQ(doubleClick(bareDesktop()), kPass);
}

TEST_F(SpatialInput, TimeoutNoticeLetsTheEventThrough) {
    EXPECT_EQ(decide(event(TapEventType::tapDisabledByTimeout, {0, 0})), kPass);
    EXPECT_EQ(decide(event(TapEventType::tapDisabledByUserInput, {0, 0})), kPass);
    EXPECT_TRUE(controller().tap);
}

TEST_F(SpatialInput, GateOpensOnlyWhereASwallowMayBeNeeded) {
    auto& tap = desktop.eventTap();
    EXPECT_EQ(tap.gate(), (platform::TapGate{false, true, false}));
    // A click hold opens it for every press until the hold runs out.
    coordinator->holdClicks(0.5);
    EXPECT_TRUE(tap.gate().anyPress);
    desktop.advance(0.6);
    EXPECT_FALSE(tap.gate().anyPress);
    // A first press on a title strip opens it for the next left press, for one double-click
    // interval; a first press elsewhere does not.
    desktop.tapDown({strip(1).x, strip(1).y + 100});
    desktop.tapUp();
    EXPECT_FALSE(tap.gate().left);
    desktop.advance(1.0);
    desktop.tapDown(strip(1));
    desktop.tapUp();
    EXPECT_TRUE(tap.gate().left);
    desktop.advance(platform::sim::SimEventTap::kDoubleClickInterval + 0.01);
    EXPECT_FALSE(tap.gate().left);
    // Not arranging: closed.
    coordinator->restore();
    desktop.drain();
    EXPECT_FALSE(controller().tap);
    EXPECT_EQ(tap.gate(), platform::TapGate{});
}

TEST_F(SpatialInput, ScriptedDoubleClickThroughTheTap) {
    auto& tap = desktop.eventTap();
    const auto passedBefore = tap.passed.size();
    desktop.tapDown(strip(0));
    desktop.tapUp();
    desktop.advance(0.1);
    desktop.tapDown(strip(0));
    desktop.tapUp();
    EXPECT_EQ(state().focus, state().root.leaf(key(0))->id);
    // The first click reached the window; the second press and its release did not.
    ASSERT_EQ(tap.passed.size(), passedBefore + 2);
    EXPECT_EQ(tap.passed[passedBefore].type, TapEventType::leftMouseDown);
    EXPECT_EQ(tap.passed[passedBefore + 1].type, TapEventType::leftMouseUp);

    // A stalled main thread: the covered press passes, and the controller hears of it.
    desktop.advance(1.0);
    coordinator->holdClicks(0.5);
    tap.setStalled(true);
    desktop.tapDown({1300, 300}, 0, platform::kRightButtonNumber);
    tap.setStalled(false);
    EXPECT_EQ(tap.passed.back().type, TapEventType::rightMouseDown);
}

TEST(SpatialInputInstall, RefusedTapIsTriedAgainAndNoServiceMeansNoTap) {
    platform::sim::Desktop desktop;
    desktop.addDisplay("Screen", {1440, 900});
    auto app = desktop.launch("org.example.Editor", "Editor");
    app.openWindow("alpha", {100, 100, 500, 350});
    desktop.eventTap().setRefused(true);
    const auto folder = desktop.temporaryFolder() / "state";
    auto coordinator = Coordinator::make(desktop.services(), false, true, folder);
    desktop.runBackground();
    desktop.drain();
    ASSERT_TRUE(coordinator->managing.get());
    EXPECT_FALSE(coordinator->spatialInput->tap);
    desktop.eventTap().setRefused(false);
    coordinator->apply();
    EXPECT_TRUE(coordinator->spatialInput->tap);
    EXPECT_TRUE(desktop.eventTap().installed());
    coordinator->spatialInput->stop();
    EXPECT_FALSE(desktop.eventTap().installed());
}

}  // namespace
