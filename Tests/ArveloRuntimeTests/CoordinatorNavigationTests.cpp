// SPDX-License-Identifier: MIT
// CoordinatorNavigationTests.cpp: focusing, stepping out, the back and forward history, tab
// selection, minimising and closing from a tab, and the overview and dashboard seams, on a
// simulated display with three arranged windows.
#include "CoordinatorScene.h"

#include "Arvelo/Chrome/ChromeController.h"
#include "ArveloCore/SpatialLayout.h"

using namespace arvelo;
using arvelo::testing::CoordinatorScene;
using platform::sim::Request;

namespace {

class CoordinatorNavigation : public CoordinatorScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Screen", {1440, 900});
        auto app = desktop.launch("org.example.Editor", "Editor");
        for (const char* title : {"alpha", "beta", "gamma"})
            windows.push_back(app.openWindow(title, {100, 100, 500, 350}));
        start();
        ASSERT_TRUE(coordinator->managing.get());
        display = coordinator->displays->front().id;
        coordinator->selectedDisplay = display;
    }

    std::string key(std::size_t index) const {
        for (const auto& record : coordinator->windows.get())
            if (record->windowNumber == windows[index].number()) return record->id;
        return "";
    }
    const WorkspaceState& state() const { return coordinator->states->at(display); }
    void editState(const std::function<void(WorkspaceState&)>& change) {
        coordinator->states.modify([&](auto& all) { change(all.at(display)); });
    }
    std::string leafOf(std::size_t index) const { return state().root.leaf(key(index))->id; }
    std::size_t raisesOf(std::size_t index) {
        std::size_t count = 0;
        for (const auto& call : desktop.calls().of(Request::action, platform::ax::kRaiseAction))
            if (call.element.window == windows[index].number()) ++count;
        return count;
    }

    std::vector<platform::sim::WindowHandle> windows;
    std::string display;
};

TEST_F(CoordinatorNavigation, FocusZoomsOntoTheLeafAndStepsOutLevelByLevel) {
    const Rect whole = windows[2].frame();
    coordinator->focus(key(2));
    EXPECT_EQ(coordinator->selectedWindow.get(), key(2));
    settle();

    EXPECT_EQ(state().focus, leafOf(2));
    EXPECT_EQ(state().preferred, key(2));
    EXPECT_FALSE(state().camera);
    EXPECT_EQ(coordinator->navigation().past().size(), 1u);
    EXPECT_EQ(raisesOf(2), 1u);
    // The camera is the leaf's world rectangle, so its window takes the whole display.
    EXPECT_EQ(coordinator->camera(display), coordinator->worldRects(display).at(leafOf(2)));
    const Rect zoomed = windows[2].frame();
    EXPECT_GT(zoomed.width, 1400);
    EXPECT_GT(zoomed.height, 800);

    // One level out: the parent of the leaf, unless that is the root (whole tree shown).
    const auto parent = state().root.parent(leafOf(2));
    ASSERT_TRUE(parent);
    coordinator->zoomOut();
    settle();
    if (parent->id == state().root.id) {
        EXPECT_FALSE(state().focus);
    } else {
        EXPECT_EQ(state().focus, parent->id);
        EXPECT_EQ(coordinator->camera(display), coordinator->worldRects(display).at(parent->id));
        coordinator->zoomOut();
        settle();
    }
    EXPECT_FALSE(state().focus);
    EXPECT_EQ(coordinator->camera(display), SpatialLayout::world);
    EXPECT_EQ(windows[2].frame(), whole);

    // With the whole tree shown, stepping out records nothing and only applies again.
    const auto steps = coordinator->navigation().past().size();
    const int revision = coordinator->layoutRevision;
    coordinator->zoomOut();
    EXPECT_EQ(coordinator->navigation().past().size(), steps);
    EXPECT_EQ(coordinator->layoutRevision, revision + 1);
}

TEST_F(CoordinatorNavigation, ZoomOutClearsAnExplicitCameraBeforeTheFocus) {
    const Rect camera(0.1, 0.1, 0.3, 0.3);
    editState([&](WorkspaceState& s) {
        s.focus = leafOf(0);
        s.camera = camera;
    });
    coordinator->zoomOut();
    EXPECT_EQ(state().focus, leafOf(0));
    EXPECT_FALSE(state().camera);
    ASSERT_EQ(coordinator->navigation().past().size(), 1u);
    EXPECT_EQ(coordinator->navigation().past().back().at(display).camera, camera);
}

TEST_F(CoordinatorNavigation, ZoomOutWithoutAStateOpensTheOverviewOrDashboard) {
    int dashboards = 0;
    coordinator->setDashboardWindowMaker([&] {
        auto window = std::make_shared<HostedWindow>();
        window->present = [&] { ++dashboards; };
        return window;
    });
    coordinator->states = {};
    coordinator->selectedDisplay = "no such display";
    coordinator->zoomOut();
    EXPECT_EQ(dashboards, 1);
    coordinator->showDashboard();
    EXPECT_EQ(dashboards, 2);  // the same window, fronted again
    EXPECT_TRUE(coordinator->navigation().past().empty());
}

TEST_F(CoordinatorNavigation, HistoryKeepsTheLatestFortySteps) {
    for (int i = 0; i < 41; ++i) {
        editState([&](WorkspaceState& s) { s.camera = Rect(0, 0, 1, 1.0 + i); });
        coordinator->recordNavigation();
    }
    ASSERT_EQ(coordinator->navigation().past().size(), 40u);
    EXPECT_EQ(coordinator->navigation().past().front().at(display).camera, Rect(0, 0, 1, 2));
    EXPECT_EQ(coordinator->navigation().past().back().at(display).camera, Rect(0, 0, 1, 41));

    // Going back and forward moves steps between the lists; recording empties the future.
    coordinator->back();
    coordinator->forward();
    EXPECT_EQ(coordinator->navigation().past().size(), 40u);
    coordinator->back();
    EXPECT_EQ(coordinator->navigation().future().size(), 1u);
    coordinator->recordNavigation();
    EXPECT_TRUE(coordinator->navigation().future().empty());
    EXPECT_EQ(coordinator->navigation().past().size(), 40u);
    EXPECT_EQ(coordinator->navigation().past().front().at(display).camera, Rect(0, 0, 1, 2));
}

TEST_F(CoordinatorNavigation, BackAndForwardReturnToTheSameView) {
    coordinator->back();  // nothing to go back to: nothing changes, not even the future
    EXPECT_TRUE(coordinator->navigation().future().empty());
    EXPECT_FALSE(state().focus);

    coordinator->focus(key(0));
    coordinator->focus(key(1));
    editState([&](WorkspaceState& s) { s.camera = Rect(0, 0, 0.5, 0.5); });
    settle();
    const WorkspaceState atB = state();

    coordinator->back();
    EXPECT_EQ(state().focus, leafOf(0));
    EXPECT_EQ(state().preferred, key(0));
    EXPECT_FALSE(state().camera);
    coordinator->back();
    EXPECT_FALSE(state().focus);
    EXPECT_EQ(coordinator->navigation().future().size(), 2u);
    EXPECT_TRUE(coordinator->navigation().past().empty());

    coordinator->forward();
    coordinator->forward();
    EXPECT_EQ(state().focus, atB.focus);
    EXPECT_EQ(state().preferred, atB.preferred);
    EXPECT_EQ(state().camera, atB.camera);
    EXPECT_TRUE(coordinator->navigation().future().empty());
    coordinator->forward();  // nothing ahead
    EXPECT_EQ(state().focus, atB.focus);
}

TEST_F(CoordinatorNavigation, ApplyingAStepFindsTheNarrowestNodeOfTheKeysStillThere) {
    struct Case {
        const char* what;
        std::optional<std::set<std::string>> keys;
        std::optional<std::string> preferred;
        std::function<std::optional<std::string>()> focus;
        std::optional<std::string> preferredAfter;
    };
    const std::vector<Case> cases = {
        {"one window's key: its leaf", std::set<std::string>{key(1)}, key(1), [&] { return std::optional(leafOf(1)); },
         key(1)},
        {"keys no longer held: no focus", std::set<std::string>{"9:9:9"}, "9:9:9", [] { return std::nullopt; },
         std::nullopt},
        {"keys over the whole tree: the root, so no focus", std::set<std::string>{key(0), key(2)}, std::nullopt,
         [] { return std::nullopt; }, std::nullopt},
        {"no keys: no focus", std::nullopt, key(2), [] { return std::nullopt; }, key(2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        editState([&](WorkspaceState& s) { s.focus = leafOf(0); });
        coordinator->applyNavigation(
            {{display, ViewPosition{c.keys, c.preferred, Rect(0, 0, 0.5, 1)}}, {"another display", ViewPosition{}}});
        EXPECT_EQ(state().focus, c.focus());
        EXPECT_EQ(state().preferred, c.preferredAfter);
        EXPECT_EQ(state().camera, Rect(0, 0, 0.5, 1));
        EXPECT_FALSE(coordinator->states->contains("another display"));
    }
}

TEST_F(CoordinatorNavigation, FocusOfAnUnknownKeyDoesNothing) {
    coordinator->focus("123:456:789");
    EXPECT_TRUE(coordinator->navigation().past().empty());
    EXPECT_TRUE(desktop.calls().of(Request::action, platform::ax::kRaiseAction).empty());
    EXPECT_FALSE(state().focus);
}

TEST_F(CoordinatorNavigation, FocusDesktopNeedsWindowsAndADesktopLeaf) {
    const std::string before = coordinator->status.get();
    coordinator->focusDesktop();
    if (!state().root.desktopLeaf()) {
        EXPECT_EQ(coordinator->status.get(), before);
        EXPECT_TRUE(coordinator->navigation().past().empty());
        // Give the tree a desktop leaf beside its windows.
        editState([](WorkspaceState& s) {
            s.root = LayoutNode::split(s.root, LayoutNode::desktop(), SplitAxis::horizontal, 0.7);
        });
    }
    coordinator->focusDesktop();
    EXPECT_EQ(state().focus, "desktop");
    EXPECT_FALSE(state().preferred);
    EXPECT_EQ(coordinator->status.get(), Coordinator::kDesktopFocusedStatus);
    EXPECT_EQ(coordinator->navigation().past().size(), 1u);

    // A display whose tree holds no window is not zoomed.
    coordinator->status = "unchanged";
    editState([](WorkspaceState& s) {
        s.root = LayoutNode::desktop();
        s.focus = std::nullopt;
    });
    coordinator->focusDesktop();
    EXPECT_FALSE(state().focus);
    EXPECT_EQ(coordinator->status.get(), "unchanged");
}

TEST_F(CoordinatorNavigation, ShowEverythingClearsEveryFocusAndCameraButKeepsThePreferredWindow) {
    editState([&](WorkspaceState& s) {
        s.focus = leafOf(1);
        s.camera = Rect(0, 0, 0.2, 0.2);
        s.preferred = key(1);
    });
    coordinator->showEverything();
    EXPECT_FALSE(state().focus);
    EXPECT_FALSE(state().camera);
    EXPECT_EQ(state().preferred, key(1));
    EXPECT_EQ(coordinator->navigation().past().size(), 1u);
}

TEST_F(CoordinatorNavigation, LeavingTheOverviewRestoresTheChromeOnlyWhenItWasVisible) {
    int orderedOut = 0;
    bool visible = true;
    auto overview = std::make_shared<HostedWindow>();
    overview->isVisible = [&] { return visible; };
    overview->hideWindow = [&] {
        ++orderedOut;
        visible = false;
    };
    coordinator->overview = overview;
    coordinator->focus(key(0));
    EXPECT_EQ(orderedOut, 1);
    EXPECT_FALSE(visible);
    coordinator->showEverything();
    EXPECT_EQ(orderedOut, 2);  // ordered out again, though hidden already
}

TEST_F(CoordinatorNavigation, ShowOverviewMakesTheWindowOnceAndClearsTheChrome) {
    // Until the view layer can make the window, the chrome stays.
    const auto panels = coordinator->chrome->panels.size();
    ASSERT_GT(panels, 0u);
    coordinator->showOverview();
    EXPECT_EQ(coordinator->chrome->panels.size(), panels);

    int made = 0, fronted = 0, dashboards = 0;
    coordinator->setOverviewWindowMaker([&] {
        ++made;
        auto window = std::make_shared<HostedWindow>();
        window->present = [&] { ++fronted; };
        return window;
    });
    coordinator->setDashboardWindowMaker([&] {
        ++dashboards;
        return std::make_shared<HostedWindow>();
    });
    coordinator->showOverview();
    coordinator->showOverview();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(fronted, 2);
    EXPECT_EQ(dashboards, 0);
    EXPECT_TRUE(coordinator->chrome->panels.empty());
    ASSERT_TRUE(coordinator->overview->onClose);
    coordinator->overview->onClose();  // closing it brings the chrome back; it must not crash

    // Without any display state the dashboard opens instead.
    coordinator->states = {};
    coordinator->showOverview();
    EXPECT_EQ(dashboards, 1);
}

class CoordinatorTabs : public CoordinatorNavigation {
protected:
    // Puts window 1 into window 0's leaf as a tab, so one of the two is parked.
    void tabTogether() {
        editState([&](WorkspaceState& s) { ASSERT_TRUE(s.root.dock(key(1), leafOf(0), DockEdge::tab)); });
        coordinator->apply();
        settle();
    }
    std::shared_ptr<WindowRecord> record(std::size_t index) { return coordinator->access->records.at(key(index)); }
};

TEST_F(CoordinatorTabs, SelectingATabRaisesItWithoutRecordingAStep) {
    tabTogether();
    ASSERT_EQ(state().root.leaf(key(0))->selected, key(1));
    coordinator->selectTab(key(0), display);
    EXPECT_EQ(state().root.leaf(key(0))->selected, key(0));
    EXPECT_EQ(state().preferred, key(0));
    EXPECT_EQ(coordinator->selectedWindow.get(), key(0));
    EXPECT_TRUE(coordinator->navigation().past().empty());
    EXPECT_EQ(raisesOf(0), 1u);
}

TEST_F(CoordinatorTabs, ClosingAParkedTabShowsItFirstAndClosesItLater) {
    tabTogether();
    ASSERT_TRUE(record(0)->parked);
    coordinator->closeWindow(key(0));
    EXPECT_EQ(state().root.leaf(key(0))->selected, key(0));  // brought forward at once
    desktop.advance(0.29);
    EXPECT_TRUE(windows[0].alive());
    desktop.advance(0.02);
    settle();
    EXPECT_FALSE(windows[0].alive());

    // A shown window closes at once.
    coordinator->closeWindow(key(2));
    EXPECT_FALSE(windows[2].alive());
    settle();
    EXPECT_FALSE(coordinator->states->at(display).root.leaf(key(2)));
}

TEST_F(CoordinatorTabs, MinimizingTakesTheWindowOutOfEveryTree) {
    coordinator->minimizeWindow(key(1));
    EXPECT_FALSE(state().root.leaf(key(1)));
    EXPECT_EQ(record(1)->minimized, true);
    EXPECT_FALSE(record(1)->parked);
    EXPECT_TRUE(windows[1].state().minimized);
    // Asked as every other request of its kind: a hung application holds the program up for
    // a quarter of a second at most.
    const auto minimizes = desktop.calls().of(platform::sim::Request::set, "AXMinimized");
    ASSERT_EQ(minimizes.size(), 1u);
    EXPECT_EQ(minimizes[0].timeout, 0.25);

    const auto writes = desktop.calls().all().size();
    coordinator->minimizeWindow("1:2:3");
    coordinator->closeWindow("1:2:3");
    EXPECT_EQ(desktop.calls().all().size(), writes);
}

TEST_F(CoordinatorNavigation, HoldingClicksKeepsTheLaterDeadline) {
    const double now = coordinator->now();
    coordinator->holdClicks(2);
    coordinator->holdClicks(0.5);
    EXPECT_DOUBLE_EQ(coordinator->clickHoldUntil, now + 2);
}

}  // namespace
