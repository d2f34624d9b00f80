// SPDX-License-Identifier: MIT
// CoordinatorArrangeTests.cpp: arranging a snapshot and applying it on the simulated desktop:
// dwindle trees on landscape and portrait displays, the grid fallback, the candidates, parking
// and placing per display, the target frame rules and the status line.
#include "CoordinatorScene.h"

#include <algorithm>

using namespace arvelo;
using arvelo::testing::anyOverlap;
using arvelo::testing::CoordinatorScene;

namespace {

class CoordinatorArrange : public CoordinatorScene {
protected:
    std::vector<platform::sim::WindowHandle> openWindows(int count, Rect area) {
        auto app = desktop.launch("org.example.Editor", "Editor");
        std::vector<platform::sim::WindowHandle> opened;
        for (int i = 0; i < count; ++i) {
            const Rect frame(area.x + 20 * i, area.y + 20 * i, 500, 350);
            opened.push_back(app.openWindow("window " + std::string(1, static_cast<char>('a' + i)), frame));
        }
        return opened;
    }

    const WorkspaceState& state(const std::string& id) { return coordinator->states->at(id); }
};

std::string keyOf(const std::shared_ptr<Coordinator>& coordinator, std::uint32_t number) {
    for (const auto& record : coordinator->windows.get())
        if (record->windowNumber == number) return record->id;
    return "";
}

}  // namespace

TEST(CoordinatorArrangeTable, ThreeAndTwelveWindowsOnLandscapeAndPortraitDisplays) {
    struct Case {
        const char* what;
        Size display;
        int windows;
        bool grid;
        SplitAxis rootAxis;
    };
    const Case cases[] = {
        {"three on landscape: dwindle, first split side by side", {1440, 900}, 3, false, SplitAxis::horizontal},
        {"three on portrait: dwindle, first split stacked", {900, 1440}, 3, false, SplitAxis::vertical},
        {"twelve on landscape: tiles too small, grid", {1440, 900}, 12, true, SplitAxis::horizontal},
        {"twelve on portrait: grid", {1080, 1920}, 12, true, SplitAxis::horizontal},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform::sim::Desktop desktop;
        desktop.addDisplay("Screen", c.display);
        auto app = desktop.launch("org.example.Editor", "Editor");
        std::vector<platform::sim::WindowHandle> windows;
        for (int i = 0; i < c.windows; ++i)
            windows.push_back(
                app.openWindow("window " + std::to_string(10 + i), {40.0 + 20 * i, 40.0 + 20 * i, 500, 350}));
        auto coordinator = Coordinator::make(desktop.services(), false, true, desktop.temporaryFolder() / "state");
        desktop.runBackground();
        desktop.drain();

        ASSERT_TRUE(coordinator->managing.get());
        const WorkspaceState& arranged = coordinator->states->at("1");
        EXPECT_EQ(arranged.root.allWindows().size(), static_cast<std::size_t>(c.windows));
        EXPECT_EQ(arranged.root.axis, c.rootAxis);
        EXPECT_EQ(arranged.preferred, coordinator->windows->front()->id);
        EXPECT_FALSE(arranged.focus || arranged.camera || arranged.autoArrange);

        // The dwindle tree splits one window off per level at half; the grid is made of
        // columns, each an even chain.
        const bool dwindleShape =
            arranged.root.children.size() == 2 && arranged.root.children[0].isLeaf() && arranged.root.ratio == 0.5;
        EXPECT_EQ(dwindleShape, !c.grid);

        std::vector<Rect> frames;
        for (const auto& window : windows) frames.push_back(window.frame());
        EXPECT_FALSE(anyOverlap(frames));
        const Rect visible(0, 0, c.display.width, c.display.height);
        for (const auto& frame : frames) EXPECT_TRUE(visible.contains(frame)) << toString(frame);
        EXPECT_EQ(coordinator->status.get(),
                  std::to_string(c.windows) +
                      " docked windows. Drag a title bar to an edge to dock, or onto the Desktop to float it.");
    }
}

TEST_F(CoordinatorArrange, ThreeWindowsFillTheLandscapeDisplayAsADwindle) {
    desktop.addDisplay("Built-in", {1440, 900});
    const auto windows = openWindows(3, {40, 40, 0, 0});
    start();
    // Gap 8: the inset visible frame is (4, 4, 1432, 892); each tile is inset by half the gap.
    EXPECT_EQ(windows[0].frame(), Rect(8, 8, 708, 884));
    EXPECT_EQ(windows[1].frame(), Rect(724, 8, 708, 438));
    EXPECT_EQ(windows[2].frame(), Rect(724, 454, 708, 438));
}

TEST_F(CoordinatorArrange, CandidatesLeaveOutOffScreenPinnedAndOtherSpaceWindows) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto app = desktop.launch("org.example.Editor", "Editor");
    auto shown = app.openWindow("shown", {40, 40, 500, 400});
    auto pinnedWindow = app.openWindow("pinned", {80, 80, 500, 400});
    auto elsewhere = app.openWindow("elsewhere", {120, 120, 500, 400});
    elsewhere.setSpaces({2});
    coordinator = Coordinator::make(desktop.services(), false, true, stateDirectory());
    coordinator->autoTile = false;
    settle();

    coordinator->pinned.insert(keyOf(coordinator, pinnedWindow.number()));
    coordinator->arrangeCurrentSnapshot(std::nullopt);
    EXPECT_EQ(state("1").root.allWindows(), std::vector<std::string>{keyOf(coordinator, shown.number())});
    EXPECT_EQ(pinnedWindow.frame(), Rect(80, 80, 500, 400)) << "a pinned window is not moved";
}

TEST_F(CoordinatorArrange, RefusalsChangeNothingButTheStatus) {
    desktop.addDisplay("Built-in", {1440, 900});
    coordinator = Coordinator::make(desktop.services(), false, true, stateDirectory());
    coordinator->autoTile = false;
    settle();

    coordinator->arrangeCurrentSnapshot(std::nullopt);
    EXPECT_EQ(coordinator->status.get(), "No movable windows on this desktop. Open a standard app window and Refresh.");
    EXPECT_EQ(state("1"), WorkspaceState{});

    desktop.setTrusted(false);
    coordinator->refresh();
    coordinator->arrangeCurrentSnapshot(std::nullopt);
    EXPECT_EQ(coordinator->status.get(),
              "No EWMH window manager is running, so windows cannot be moved. Start one (openbox, xfwm4, KWin), then "
              "Arrange.");
    EXPECT_FALSE(stateExists("restore.json"));
}

TEST_F(CoordinatorArrange, EachDisplayParksWhatItHidesBesideItselfAwayFromTheOthers) {
    desktop.addDisplay("Left", {1440, 900});
    desktop.addDisplay("Right", {1440, 900});
    auto app = desktop.launch("org.example.Editor", "Editor");
    auto a = app.openWindow("a", {40, 40, 600, 400});
    auto b = app.openWindow("b", {80, 80, 600, 400});
    auto c = app.openWindow("c", {1500, 40, 600, 400});
    auto d = app.openWindow("d", {1540, 80, 600, 400});
    start();

    // Make a tab group of a and b on the left display (a shown) and of c and d on the right.
    const std::string ka = keyOf(coordinator, a.number()), kb = keyOf(coordinator, b.number());
    const std::string kc = keyOf(coordinator, c.number()), kd = keyOf(coordinator, d.number());
    coordinator->states.modify([&](auto& states) {
        states["1"].root = LayoutNode("L", {ka, kb}, ka);
        states["2"].root = LayoutNode("R", {kc, kd}, kc);
    });
    const double bWidth = b.frame().width;
    coordinator->apply();

    // b hangs beyond the bottom-left corner of the left display (the right one is avoided);
    // d beyond the bottom-right corner of the right display, nothing to avoid there.
    EXPECT_EQ(b.frame().origin(), (Point{0 - bWidth + 1, 900 - 1}));
    EXPECT_EQ(d.frame().origin(), (Point{2880 - 1, 900 - 1}));
    EXPECT_TRUE(coordinator->access->records.at(kb)->parked);
    // The shown tabs sit below their tab strips.
    EXPECT_EQ(a.frame(), Rect(8, 8 + 36, 1424, 884 - 36));
    EXPECT_EQ(c.frame(), Rect(1448, 8 + 36, 1424, 884 - 36));
    EXPECT_EQ(coordinator->status.get(),
              "4 docked windows. Drag a title bar to an edge to dock, or onto the Desktop to float it.");
}

TEST_F(CoordinatorArrange, AWindowLargerThanItsTileIsWrittenAtItsMinimumFromTheVisibleFramesEdge) {
    desktop.addDisplay("Built-in", {1440, 900});
    const auto windows = openWindows(2, {40, 40, 0, 0});
    start();
    const std::string key = coordinator->windows->back()->id;
    auto& record = *coordinator->access->records.at(key);
    record.minimum = {1500, 300};                // wider than the display: the solver cannot make room
    record.minimumProbeAt = coordinator->now();  // probed just now: no re-probe
    coordinator->autoTile = false;               // no overflow tabbing: the window keeps its own tile
    coordinator->apply();
    // Its tile is (724, 8, 708, 884); at 1500 wide it starts at the visible frame's left edge.
    EXPECT_EQ(coordinator->access->records.at(key)->expectedFrame, Rect(0, 8, 1500, 884));

    // 30 seconds later it is offered the tile's own size once more.
    desktop.advance(31);
    coordinator->apply();
    EXPECT_EQ(coordinator->access->records.at(key)->expectedFrame, Rect(724, 8, 708, 884));
}

TEST_F(CoordinatorArrange, RefusingApplicationsAreNamedInTheStatus) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto beta = desktop.launch("org.example.Beta", "Beta");
    auto alpha = desktop.launch("org.example.Alpha", "Alpha");
    beta.openWindow("b", {40, 40, 500, 400}).refusesWrites(platform::AccessError::cannotComplete);
    alpha.openWindow("a1", {60, 60, 500, 400}).refusesWrites(platform::AccessError::cannotComplete);
    alpha.openWindow("a2", {80, 80, 500, 400}).refusesWrites(platform::AccessError::cannotComplete);
    start();
    EXPECT_EQ(coordinator->status.get(), "Alpha, Beta refused a window change. Restore or exclude it.");
    EXPECT_TRUE(logMentions("Applied 3 windows; refused: 2"));
}

TEST_F(CoordinatorArrange, AManagerThatHoldsEveryWindowIsToldOnceAndNothingCountsAsPlaced) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto windows = openWindows(3, {40, 40, 0, 0});
    for (auto& window : windows) window.heldByManager();
    start();
    EXPECT_EQ(coordinator->status.get(), Coordinator::kManagerTilesStatus);
    EXPECT_TRUE(logMentions("Applied 0 windows; refused: 0"));

    // Said once in the log, however often the layout is applied again.
    coordinator->arrange();
    desktop.advance(2);
    EXPECT_EQ(coordinator->status.get(), Coordinator::kManagerTilesStatus);
    std::size_t said = 0;
    for (const auto& entry : desktop.log().entries())
        said += entry.message.find(Coordinator::kManagerTilesStatus) != std::string::npos;
    EXPECT_EQ(said, 1u);
}

TEST_F(CoordinatorArrange, OnceToldTheManagerKeepsWindowsNothingIsWrittenUntilAnotherManagerTakesOver) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto windows = openWindows(3, {40, 40, 0, 0});
    for (auto& window : windows) window.heldByManager();
    start();
    ASSERT_EQ(coordinator->status.get(), Coordinator::kManagerTilesStatus);
    const auto countApplied = [&] {
        std::size_t applied = 0;
        for (const auto& entry : desktop.log().entries()) applied += entry.message.starts_with("Applied ");
        return applied;
    };
    const std::size_t applied = countApplied();
    const std::size_t writes = desktop.calls().of(platform::sim::Request::set).size();

    // Windows that open, drift and ask for arranging again write nothing, and no pass is logged.
    windows[0].moveTo({300, 300, 500, 350});
    desktop.launch("org.example.Notes", "Notes").openWindow("notes", {200, 200, 400, 300}).heldByManager();
    coordinator->arrange();
    settle();
    for (int i = 0; i < 10; ++i) beat();
    EXPECT_EQ(countApplied(), applied);
    EXPECT_EQ(desktop.calls().of(platform::sim::Request::set).size(), writes);
    EXPECT_EQ(coordinator->status.get(), Coordinator::kManagerTilesStatus);

    // Another manager that honours writes takes over: the windows are arranged and the word goes.
    for (auto& window : windows) window.heldByManager(false);
    desktop.world().windowManagerGeneration += 1;
    coordinator->arrange();
    settle();
    EXPECT_NE(coordinator->status.get(), Coordinator::kManagerTilesStatus);
    EXPECT_GT(countApplied(), applied);
    EXPECT_TRUE(logMentions("Another window manager took over"));
}

// mutter clamps a parked tab or a window with a large minimum where it wants it: a pass that
// writes only such windows is no sign of a manager that cannot be arranged, once any write was
// honoured since the start.
TEST_F(CoordinatorArrange, APassOfOnlyHeldWindowsAfterOneHonouredWriteIsNoTilingManager) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto windows = openWindows(2, {40, 40, 0, 0});
    start();
    ASSERT_NE(coordinator->status.get(), Coordinator::kManagerTilesStatus);
    windows[0].heldByManager();
    windows[1].heldByManager();
    windows[0].moveTo({300, 300, 500, 350});
    windows[1].moveTo({320, 320, 500, 350});
    coordinator->apply();
    EXPECT_NE(coordinator->status.get(), Coordinator::kManagerTilesStatus);
    EXPECT_FALSE(logMentions(Coordinator::kManagerTilesStatus));
}

TEST_F(CoordinatorArrange, AWindowHeldWhereItWasIsLeftOutOfThePlacedCount) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto windows = openWindows(3, {40, 40, 0, 0});
    windows[1].heldByManager();
    start();
    EXPECT_EQ(coordinator->status.get(),
              "2 docked windows. Drag a title bar to an edge to dock, or onto the Desktop to float it.");
    EXPECT_TRUE(logMentions("Applied 2 windows; refused: 0"));
}

TEST_F(CoordinatorArrange, UntrustedApplyWritesNothing) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto windows = openWindows(2, {40, 40, 0, 0});
    start();
    windows[0].moveTo({300, 300, 500, 350});
    const int revision = coordinator->layoutRevision;
    const std::string status = coordinator->status.get();
    coordinator->trusted = false;
    coordinator->apply();
    EXPECT_EQ(windows[0].frame(), Rect(300, 300, 500, 350));
    EXPECT_EQ(coordinator->layoutRevision, revision);
    EXPECT_EQ(coordinator->status.get(), status);
}

TEST_F(CoordinatorArrange, ApplyWithNoStateLeftStopsArranging) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto windows = openWindows(1, {40, 40, 0, 0});
    start();
    ASSERT_TRUE(stateExists("restore.json"));
    coordinator->states = std::map<std::string, WorkspaceState>{};
    coordinator->apply();
    EXPECT_FALSE(coordinator->managing.get());
    EXPECT_EQ(coordinator->status.get(), "No managed windows remain. Arrangement stopped.");
    EXPECT_TRUE(stateExists("restore.json")) << "until the window is confirmed back";
    EXPECT_FALSE(coordinator->recoveryAvailable.get());
    desktop.advance(2);
    EXPECT_EQ(windows[0].frame(), Rect(40, 40, 500, 350)) << "back where it was";
    EXPECT_FALSE(stateExists("restore.json"));
}

TEST_F(CoordinatorArrange, PruningDropsClosedWindowsAndUnpluggedDisplays) {
    desktop.addDisplay("Left", {1440, 900});
    desktop.addDisplay("Right", {1440, 900});
    auto app = desktop.launch("org.example.Editor", "Editor");
    auto a = app.openWindow("a", {40, 40, 600, 400});
    auto b = app.openWindow("b", {80, 80, 600, 400});
    app.openWindow("c", {1500, 40, 600, 400});
    start();
    coordinator->states.modify([](auto& states) {
        states["1"].focus = states["1"].root.id;
        states["1"].camera = Rect(0, 0, 0.5, 0.5);
    });

    b.vanish();
    beat();
    coordinator->apply();
    const WorkspaceState& left = coordinator->states->at("1");
    EXPECT_EQ(left.root.allWindows(), std::vector<std::string>{keyOf(coordinator, a.number())});
    EXPECT_FALSE(left.focus || left.camera) << "a pruned tree shows everything again";

    desktop.world().displays().pop_back();
    coordinator->refresh();
    settle();
    EXPECT_TRUE(coordinator->removeUnavailableWindows());
    EXPECT_FALSE(coordinator->states->contains("2"));
    EXPECT_FALSE(coordinator->removeUnavailableWindows()) << "nothing more to prune";
}

TEST_F(CoordinatorArrange, ALearntMinimumSizeReappliesTheLayoutToMakeRoom) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto windows = openWindows(2, {40, 40, 0, 0});
    windows[1].minimumSize({1000, 300});  // refuses the 708-point tile it is given
    start();
    EXPECT_EQ(windows[1].frame().width, 1000);
    EXPECT_GT(windows[1].frame().maxX(), 1440) << "it hangs off the screen";
    const int revision = coordinator->layoutRevision;

    // The late check learns the minimum 3 s after the write and the layout is applied again.
    desktop.advance(3.1);
    EXPECT_GT(coordinator->layoutRevision, revision);
    EXPECT_EQ(coordinator->access->records.at(coordinator->windows->back()->id)->minimum.width, 1000);
    const Rect frame = windows[1].frame();
    EXPECT_NEAR(frame.x, 432, 1e-6);
    EXPECT_EQ(frame.size(), (Size{1000, 884}));
    EXPECT_LE(frame.maxX(), 1440 - 8 + 1e-6);
    EXPECT_FALSE(arvelo::testing::anyOverlap(framesOf(windows)));
}
