// SPDX-License-Identifier: MIT
// DragDockingTests.cpp: docking by dragging on the simulated desktop: the user drags windows by
// their title bars (the window manager moves them, the global monitor reports the mouse), the
// drag controller's rules (gate, Shift, the 6-point move test, 0.05 s sampling, the trace, the
// Option-pinch), the drop handling's destinations and labels per zone, windows dropped nowhere,
// pinned windows, group drops across displays, and bad input after which every arranged window
// is still in exactly one tree.
#include "TickScene.h"

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Input/DropHandling.h"
#include "Arvelo/Input/WindowDragController.h"

#include <algorithm>
#include <map>

using namespace arvelo;
using arvelo::testing::TickScene;
using platform::kEventOptionFlag;
using platform::kEventShiftFlag;
using platform::sim::WindowHandle;

namespace {

// Longer than the controller's sampling interval, so each drag step counts.
constexpr double kStep = 0.06;

class DragDocking : public TickScene {
public:
    // A display with a 24-point panel along its top.
    void SetUp() override {
        desktop.addDisplay(platform::sim::Display{std::nullopt, "Built-in", {0, 0, 1440, 900}, {0, 24, 1440, 876}});
    }

    // Starts arranging the windows opened so far and lets the first placement settle.
    void arrangeAll() {
        start();
        wait(1.0);
        ASSERT_TRUE(coordinator->managing.get());
    }

    // For the cases of a table, which act from outside the fixture.
    platform::sim::Desktop& desk() { return desktop; }
    void pass(double seconds) { wait(seconds); }
    Coordinator& arranger() { return *coordinator; }

    // Where the user grabs a window: in its title bar.
    static Point grip(const WindowHandle& window) {
        const Rect frame = window.frame();
        return {frame.x + 60, frame.y + 8};
    }

    // Presses on the window's title bar and drags through the points, each step a little
    // later than the one before. The button stays down.
    void dragBy(const WindowHandle& window, std::initializer_list<Point> offsets) {
        const Point start = grip(window);
        desktop.mouseDown(start);
        for (const Point& offset : offsets) {
            wait(kStep);
            desktop.mouseDrag({start.x + offset.x, start.y + offset.y});
        }
    }
    // Drags the grip to these screen points.
    void dragTo(const WindowHandle& window, std::initializer_list<Point> points) {
        desktop.mouseDown(grip(window));
        for (const Point& point : points) {
            wait(kStep);
            desktop.mouseDrag(point);
        }
    }
    void release(std::uint64_t flags = 0) {
        desktop.mouseUp(flags);
        settle();
    }

    const WindowDragController& drag() const { return *coordinator->windowDrag; }
    const ChromePanel* preview() const { return coordinator->chrome->dropPanel.get(); }
    bool previewShown() const { return preview() && preview()->visible; }

    const Tile& tileOf(const WindowHandle& window, const std::string& displayID = "1") {
        tiles_ = coordinator->layout(displayID).tiles;
        const std::string key = keyOf(window);
        const auto it = std::find_if(tiles_.begin(), tiles_.end(), [&](const Tile& t) {
            return std::find(t.windows.begin(), t.windows.end(), key) != t.windows.end();
        });
        EXPECT_NE(it, tiles_.end());
        return *it;
    }
    static Point at(const Rect& r, double fx, double fy) { return {r.x + r.width * fx, r.y + r.height * fy}; }

    bool traceHas(const std::string& text) const {
        return std::any_of(coordinator->dragTrace.begin(), coordinator->dragTrace.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    }

    // Every window key is in exactly one display's tree, and each window that was arranged
    // before (and is still open) is in one.
    void expectEachArrangedWindowInExactlyOneTree(const std::set<std::string>& arrangedBefore) {
        std::map<std::string, int> trees;
        for (const auto& [id, state] : coordinator->states.get()) {
            const auto keys = state.root.allWindows();
            for (const std::string& key : std::set<std::string>(keys.begin(), keys.end())) ++trees[key];
            EXPECT_EQ(keys.size(), std::set<std::string>(keys.begin(), keys.end()).size()) << "twice in " << id;
        }
        for (const auto& [key, count] : trees) EXPECT_EQ(count, 1) << key;
        for (const std::string& key : arrangedBefore) {
            const bool open = coordinator->access->records.contains(key);
            if (open) {
                EXPECT_EQ(trees[key], 1) << key << " is arranged nowhere";
            }
        }
    }

    platform::sim::AppHandle editor = desktop.launch("org.example.Editor", "Editor");

private:
    std::vector<Tile> tiles_;
};

TEST_F(DragDocking, ATitleBarDragToTheLeftEdgeDocksTheWindowThereAtHalfAndTheOthersRetile) {
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto b = editor.openWindow("b", {80, 80, 500, 350});
    auto c = editor.openWindow("c", {120, 120, 500, 350});
    arrangeAll();
    const std::set<std::string> arranged = coordinator->managedHere();

    dragTo(c, {{600, 450}, {300, 450}, {10, 450}});
    EXPECT_TRUE(drag().started());
    ASSERT_TRUE(previewShown());
    EXPECT_EQ(preview()->label, "Split left");
    EXPECT_EQ(preview()->frame, Rect(0, 24, 720, 876));
    release();
    wait(1.0);

    ASSERT_EQ(tree().children.size(), 2u);
    EXPECT_EQ(tree().axis, SplitAxis::horizontal);
    EXPECT_DOUBLE_EQ(tree().ratio, 0.5);
    EXPECT_EQ(tree().children[0].windows, std::vector<std::string>{keyOf(c)});
    EXPECT_EQ(c.frame(), tileOf(c).windowFrame());
    EXPECT_LT(c.frame().x, 20);
    EXPECT_FALSE(arvelo::testing::anyOverlap(framesOf({a, b, c})));
    EXPECT_EQ(a.frame(), tileOf(a).windowFrame());
    EXPECT_EQ(b.frame(), tileOf(b).windowFrame());
    EXPECT_EQ(coordinator->lastDrop, (std::map<std::string, std::string>{
                                         {"source", keyOf(c)}, {"edge", "left"}, {"input", "native-title-bar"}}));
    EXPECT_FALSE(previewShown());
    EXPECT_FALSE(drag().source());
    EXPECT_TRUE(traceHas("drag started " + keyOf(c)));
    EXPECT_TRUE(traceHas("source=" + keyOf(c) + " moved=true started=true destination=left"));
    expectEachArrangedWindowInExactlyOneTree(arranged);
}

TEST_F(DragDocking, EachZoneOfATileAndTheEdgeBandHasItsDestinationAndLabel) {
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto b = editor.openWindow("b", {80, 80, 500, 350});
    auto c = editor.openWindow("c", {120, 120, 500, 350});
    arrangeAll();
    const Tile target = tileOf(b);
    const Tile own = tileOf(c);
    struct Case {
        const char* zone;
        Point point;
        std::optional<DockEdge> edge;  // none: no preview
        const char* label;
        std::string node;
    };
    const std::string root = tree().id;
    const Case cases[] = {
        {"band along the left side", {10, 450}, DockEdge::left, "Split left", root},
        {"band along the right side", {1430, 450}, DockEdge::right, "Split right", root},
        {"on the top panel: clamped into the visible frame, in its top band",
         {700, 10},
         DockEdge::top,
         "Split top",
         root},
        {"band along the bottom", {700, 890}, DockEdge::bottom, "Split bottom", root},
        {"middle of another tile", at(target.frame, 0.5, 0.5), DockEdge::tab, "Make tabs", target.nodeID},
        {"left quarter of another tile", at(target.frame, 0.2, 0.5), DockEdge::left, "Split left", target.nodeID},
        {"right quarter", at(target.frame, 0.8, 0.5), DockEdge::right, "Split right", target.nodeID},
        {"top quarter", at(target.frame, 0.5, 0.2), DockEdge::top, "Split top", target.nodeID},
        {"bottom quarter", at(target.frame, 0.5, 0.8), DockEdge::bottom, "Split bottom", target.nodeID},
        {"its own tile", at(own.frame, 0.5, 0.5), std::nullopt, "", ""},
        {"outside every display", {-400, -400}, std::nullopt, "", ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.zone);
        coordinator->drops->updateDropPreview(keyOf(c), k.point);
        const auto destination = coordinator->drops->dropDestination(keyOf(c), k.point);
        ASSERT_EQ(destination.has_value(), k.edge.has_value());
        EXPECT_EQ(previewShown(), k.edge.has_value());
        if (!k.edge) continue;
        EXPECT_EQ(destination->second.edge, *k.edge);
        EXPECT_EQ(destination->second.nodeID, k.node);
        EXPECT_EQ(preview()->label, k.label);
        EXPECT_EQ(preview()->frame, destination->second.preview);
    }
    for (const DockEdge edge : allDockEdges) EXPECT_FALSE(DropHandling::label(edge, true).empty());
    EXPECT_EQ(DropHandling::label(DockEdge::tab, true), "Group as tabs");
    EXPECT_EQ(DropHandling::label(DockEdge::left, true), "Dock group");
}

// Dropped inside its own tile (no preview, no destination), a window that was dragged more
// than 6 points does not go back: its seams move by the drag.
TEST_F(DragDocking, ADropInsideItsOwnTileMovesItsSeamsByTheDrag) {
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto b = editor.openWindow("b", {80, 80, 500, 350});
    arrangeAll();
    const double ratio = tree().ratio;
    const Rect own = tileOf(a).frame;
    const Point start = grip(a);
    dragBy(a, {{60, 200}, {120, 200}});
    const Point end{start.x + 120, start.y + 200};
    ASSERT_TRUE(own.contains(end));
    EXPECT_FALSE(coordinator->drops->dropDestination(keyOf(a), end)) << "nowhere to dock";
    EXPECT_FALSE(previewShown());
    release();
    wait(1.0);
    const auto windows = tree().allWindows();
    EXPECT_EQ(std::set<std::string>(windows.begin(), windows.end()), (std::set<std::string>{keyOf(a), keyOf(b)}));
    EXPECT_FALSE(tree().isLeaf()) << "still side by side, nothing docked anew";
    EXPECT_GT(tree().ratio, ratio + 0.05) << "the seam went right with the window, not back to where it was";
}

TEST_F(DragDocking, DroppingOntoTheMiddleOfAnotherTileMakesTabs) {
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto b = editor.openWindow("b", {80, 80, 500, 350});
    arrangeAll();
    dragTo(a, {{600, 300}, at(tileOf(b).frame, 0.5, 0.5)});
    EXPECT_EQ(preview()->label, "Make tabs");
    release();
    wait(1.0);
    ASSERT_TRUE(tree().isLeaf());
    EXPECT_EQ(tree().windows, keys({b, a}));
    EXPECT_EQ(coordinator->lastDrop.at("edge"), "tab");
    ASSERT_EQ(coordinator->chrome->tabBars.size(), 1u);
}

TEST_F(DragDocking, AMoveCountsOnlyBeyondSixPointsAndOnlyWithoutASizeChange) {
    struct Case {
        const char* what;
        Point offset;
        bool corner;  // dragged by the bottom-right corner (a resize)
        bool started;
        bool seamMoved;  // the hand resize reached the tree
    };
    const Case cases[] = {
        {"|dx| + |dy| = 6", {6, 0}, false, false, false}, {"3 + 3 = 6", {3, 3}, false, false, false},
        {"6.01", {6.01, 0}, false, true, false},          {"3 + 3.01", {3, 3.01}, false, true, false},
        {"wider by 5.99", {5.99, 0}, true, false, false}, {"wider by 6", {6, 0}, true, false, true},
        {"wider by 40", {40, 0}, true, false, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        desktop.world().vanish(0);
        auto a = editor.openWindow("a", {40, 40, 500, 350});
        auto b = editor.openWindow("b", {80, 80, 500, 350});
        arrangeAll();
        const double ratio = tree().ratio;
        const Rect frame = a.frame();
        const Point press = k.corner ? Point{frame.maxX() - 4, frame.maxY() - 4} : grip(a);
        desktop.mouseDown(press);
        wait(kStep);
        desktop.mouseDrag({press.x + k.offset.x, press.y + k.offset.y});
        EXPECT_EQ(drag().started(), k.started);
        release();
        EXPECT_EQ(tree().ratio != ratio, k.seamMoved);
        coordinator.reset();
        a.vanish();
        b.vanish();
    }
}

TEST_F(DragDocking, DragStepsAreSampledAtMostEveryFiftyMilliseconds) {
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto b = editor.openWindow("b", {80, 80, 500, 350});
    arrangeAll();
    const Point middleOfB = at(tileOf(b).frame, 0.5, 0.5);
    const Point leftBand{10, 450};
    desktop.mouseDown(grip(a));
    desktop.mouseDrag(leftBand);
    EXPECT_EQ(preview()->label, "Split left") << "the first step is taken";
    struct Step {
        double after;
        Point to;
        const char* label;
    };
    const Step steps[] = {
        {0.05, middleOfB, "Split left"},                                  // exactly the interval: dropped
        {0.001, middleOfB, "Make tabs"},                                  // 0.051 s after the last sample
        {0.03, leftBand, "Make tabs"},    {0.02, leftBand, "Make tabs"},  // 0.05 after the last sample
        {0.0001, leftBand, "Split left"},
    };
    for (const Step& step : steps) {
        wait(step.after);
        desktop.mouseDrag(step.to);
        EXPECT_EQ(preview()->label, step.label) << step.after;
    }
    release();
}

TEST_F(DragDocking, TheGateStopsEveryEventAndNotesPressesItIgnored) {
    struct Case {
        const char* what;
        bool managing, suspended, docking;
        const char* note;
    };
    const Case cases[] = {
        {"not arranging", false, false, true, "down ignored: managing=false accepting=false"},
        {"chrome suspended", true, true, true, "down ignored: managing=true accepting=false"},
        {"docking by drag off", true, false, false, "down ignored: managing=true accepting=true"},
    };
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto b = editor.openWindow("b", {80, 80, 500, 350});
    arrangeAll();
    const LayoutNode before = tree();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        // An armed drag with its preview up is cancelled by the next event once the gate shuts.
        dragTo(a, {{10, 450}});
        ASSERT_TRUE(previewShown());
        coordinator->managing = k.managing;
        coordinator->chromeSuspended = k.suspended;
        coordinator->dragDocking = k.docking;
        wait(kStep);
        desktop.mouseDrag({12, 450});
        EXPECT_FALSE(drag().source());
        EXPECT_FALSE(previewShown());
        release();
        desktop.mouseDown(grip(b));
        EXPECT_EQ(coordinator->dragTrace.back(), k.note);
        release();
        EXPECT_EQ(tree(), before);
        coordinator->managing = true;
        coordinator->chromeSuspended = false;
        coordinator->dragDocking = true;
        coordinator->apply();
        wait(1.0);
    }
}

TEST_F(DragDocking, AShiftPressLeavesAnArmedDragArmedAndNotesNothing) {
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto b = editor.openWindow("b", {80, 80, 500, 350});
    arrangeAll();
    desktop.mouseDown(grip(a));
    ASSERT_EQ(drag().source(), keyOf(a));
    const auto lines = coordinator->dragTrace.size();
    desktop.mouse().press(grip(b), kEventShiftFlag);
    desktop.drain();
    EXPECT_EQ(drag().source(), keyOf(a));
    EXPECT_EQ(coordinator->dragTrace.size(), lines);
    release();
}

TEST_F(DragDocking, AWindowDroppedNowhereGoesBackOrMovesItsSeams) {
    struct Case {
        const char* what;
        Point offset;
        bool seamsMove;
    };
    const Case cases[] = {
        {"5 and 5 points: a drag, but no seam move", {5, 5}, false},
        {"30 points right: the seams follow", {30, 0}, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        auto a = editor.openWindow("a", {40, 40, 500, 350});
        auto b = editor.openWindow("b", {80, 80, 500, 350});
        auto c = editor.openWindow("c", {120, 120, 500, 350});
        arrangeAll();
        const LayoutNode before = tree();
        // c's pane is the bottom right one: its title bar is away from every band.
        const Rect home = tileOf(c).windowFrame();
        dragBy(c, {{k.offset.x / 2, k.offset.y / 2}, k.offset});
        EXPECT_TRUE(drag().started());
        EXPECT_FALSE(previewShown());
        const auto lastDrop = coordinator->lastDrop;
        release();
        wait(1.0);
        EXPECT_EQ(coordinator->lastDrop, lastDrop) << "no destination, nothing recorded";
        EXPECT_EQ(tree() != before, k.seamsMove);
        if (!k.seamsMove) {
            EXPECT_EQ(c.frame(), home);
        }
        EXPECT_EQ(c.frame(), tileOf(c).windowFrame());
        coordinator.reset();
        for (auto* w : {&a, &b, &c}) w->vanish();
    }
}

TEST_F(DragDocking, APinnedWindowShowsNoPreviewAndNeverDocks) {
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto b = editor.openWindow("b", {80, 80, 500, 350});
    arrangeAll();
    coordinator->pinned.insert(keyOf(a));
    const LayoutNode before = tree();
    dragTo(a, {{300, 450}, {10, 450}});
    EXPECT_FALSE(previewShown());
    release();
    EXPECT_EQ(tree(), before);
    EXPECT_TRUE(coordinator->lastDrop.empty());
}

TEST_F(DragDocking, OnlyAReleaseThatEndsAnArmedDragRewritesTheDiagnostics) {
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto b = editor.openWindow("b", {80, 80, 500, 350});
    arrangeAll();
    const auto diagnostics = stateDirectory() / StateFiles::kDiagnostics;
    std::filesystem::remove(diagnostics);

    desktop.mouseDown({700, 10});  // on the top panel: no window there
    desktop.mouseUp();
    desktop.mouseDown({-50, -50});  // on no window
    desktop.mouseUp();
    EXPECT_FALSE(std::filesystem::exists(diagnostics));
    EXPECT_TRUE(traceHas("source=none moved=false started=false destination=none"));

    desktop.mouseDown(grip(a));
    release();
    EXPECT_TRUE(std::filesystem::exists(diagnostics));
}

TEST_F(DragDocking, TheTraceKeepsTheNewestFortyLines) {
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    arrangeAll();
    // Each press and release on the title bar notes two lines.
    const Point start = grip(a);
    for (int i = 0; i < 30; ++i) {
        desktop.mouseDown({start.x + i, start.y});
        release();
        EXPECT_LE(coordinator->dragTrace.size(), WindowDragController::kTraceLimit);
    }
    EXPECT_EQ(coordinator->dragTrace.size(), WindowDragController::kTraceLimit);
    EXPECT_EQ(coordinator->dragTrace.back().rfind("up at " + toString(Point{start.x + 29, start.y}), 0), 0u);
    EXPECT_EQ(coordinator->dragTrace.front().rfind("down at " + toString(Point{start.x + 10, start.y}), 0), 0u);
}

TEST_F(DragDocking, AnOptionPinchFocusesTheTileUnderThePointerOrStepsOut) {
    struct Case {
        const char* what;
        std::uint64_t flags;
        std::vector<double> steps;  // magnifications after the beginning
        bool focused;               // the display zooms onto the pointed tile
    };
    const Case cases[] = {
        {"sum 0.06 with Option", kEventOptionFlag, {0.03, 0.03}, true},
        {"sum exactly 0.05", kEventOptionFlag, {0.05}, false},
        {"without Option", 0, {0.3}, false},
    };
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto b = editor.openWindow("b", {80, 80, 500, 350});
    arrangeAll();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        const Point over = at(tileOf(b).frame, 0.5, 0.5);
        desktop.movePointer(over);
        desktop.pinch(over, 0, platform::GesturePhase::began, k.flags);
        for (double step : k.steps) desktop.pinch(over, step, platform::GesturePhase::changed, k.flags);
        desktop.pinch(over, 0, platform::GesturePhase::ended, k.flags);
        const auto& state = coordinator->states->at("1");
        EXPECT_EQ(state.focus.has_value(), k.focused);
        if (k.focused) {
            EXPECT_EQ(state.focus, tileOf(b).nodeID);
        }
        EXPECT_EQ(drag().magnification(), 0);
        // Pinching out steps back.
        const Point anywhere{300, 300};
        desktop.pinch(anywhere, 0, platform::GesturePhase::began, kEventOptionFlag);
        desktop.pinch(anywhere, -0.2, platform::GesturePhase::ended, kEventOptionFlag);
        EXPECT_FALSE(coordinator->states->at("1").focus.has_value());
    }
}

TEST_F(DragDocking, WithoutAMouseMonitorDockingByDragIsOffAndTheLogSaysSoOnce) {
    desktop.removeMouseMonitor();
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    arrangeAll();
    EXPECT_FALSE(drag().monitorInstalled());
    int mentions = 0;
    for (const auto& entry : desktop.log().entries())
        mentions += entry.message.find("Docking by drag is off") != std::string::npos;
    EXPECT_EQ(mentions, 1);
    dragTo(a, {{10, 450}});
    release();
    EXPECT_TRUE(coordinator->dragTrace.empty());
}

TEST_F(DragDocking, BadInputNeverLosesAWindowFromEveryTree) {
    struct Case {
        const char* what;
        std::function<void(DragDocking&, WindowHandle&, WindowHandle&)> act;
    };
    const Case cases[] = {
        {"the dragged window closes mid-drag",
         [](DragDocking& t, WindowHandle& a, WindowHandle&) {
             t.dragTo(a, {{400, 400}, {10, 450}});
             a.vanish();
             t.release();
         }},
        {"the window manager refuses to move the window",
         [](DragDocking& t, WindowHandle& a, WindowHandle&) {
             a.state().behaviour.userMovable = false;
             t.dragTo(a, {{400, 400}, {10, 450}});
             EXPECT_FALSE(t.drag().started());
             t.release();
         }},
        {"released outside every display",
         [](DragDocking& t, WindowHandle& a, WindowHandle&) {
             t.dragTo(a, {{400, 400}, {-3000, -3000}});
             t.release();
         }},
        {"the drag starts on a window that is not arranged",
         [](DragDocking& t, WindowHandle&, WindowHandle&) {
             // An excluded application's window: the arranger keeps no record of it.
             auto tool = t.desk().launch("org.example.Tool", "Tool");
             auto palette = tool.openWindow("palette", {600, 300, 300, 200});
             t.arranger().exclude("org.example.Tool", true);
             t.pass(2.0);
             palette.moveTo({600, 300, 300, 200}).raise();
             t.dragTo(palette, {{400, 400}, {10, 450}});
             EXPECT_FALSE(t.drag().source());
             t.release();
         }},
        {"a second button goes down during the drag",
         [](DragDocking& t, WindowHandle& a, WindowHandle& b) {
             t.dragTo(a, {{400, 400}});
             t.desk().world().buttons |= 2u;
             t.pass(kStep);
             t.desk().mouseDrag(at(t.tileOf(b).frame, 0.5, 0.5));
             t.release();
             t.desk().world().buttons = 0;
         }},
        {"a second press without a release",
         [](DragDocking& t, WindowHandle& a, WindowHandle& b) {
             t.dragTo(a, {{400, 400}, {10, 450}});
             t.desk().mouseDown(grip(b));
             t.release();
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        auto a = editor.openWindow("a", {40, 40, 500, 350});
        auto b = editor.openWindow("b", {80, 80, 500, 350});
        auto c = editor.openWindow("c", {120, 120, 500, 350});
        arrangeAll();
        const std::set<std::string> arranged = coordinator->managedHere();
        k.act(*this, a, b);
        wait(2.0);
        expectEachArrangedWindowInExactlyOneTree(arranged);
        EXPECT_FALSE(previewShown());
        EXPECT_FALSE(drag().source());
        coordinator.reset();
        for (auto* w : {&a, &b, &c})
            if (w->alive()) w->vanish();
    }
}

// Two displays side by side, for group drops.
class GroupDrops : public DragDocking {
public:
    void SetUp() override {
        desktop.addDisplay("Left", {1440, 900});
        desktop.addDisplay("Right", {1440, 900});
    }
};

TEST_F(GroupDrops, ATileDraggedOntoAnotherDisplayMovesItsWholeGroupThere) {
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto b = editor.openWindow("b", {80, 80, 500, 350});
    auto d = editor.openWindow("d", {120, 120, 500, 350});
    auto c = editor.openWindow("c", {1600, 100, 500, 350});
    arrangeAll();
    const std::set<std::string> arranged = coordinator->managedHere();
    // a and b become tabs of one tile on the left display.
    coordinator->dock(keyOf(b), tileOf(a).nodeID, "1", DockEdge::tab);
    wait(1.0);
    const std::string group = tileOf(a).nodeID;
    coordinator->states.modify([](auto& all) { all["2"].camera = Rect(0, 0, 0.5, 0.5); });
    const Point overC = at(tileOf(c, "2").frame, 0.5, 0.5);

    coordinator->drops->updateGroupDropPreview(group, "1", overC);
    ASSERT_TRUE(previewShown());
    EXPECT_EQ(preview()->label, "Group as tabs");
    coordinator->drops->updateGroupDropPreview(group, "1", at(tileOf(a).frame, 0.5, 0.5));
    EXPECT_FALSE(previewShown()) << "a group is never dropped onto itself";

    EXPECT_TRUE(coordinator->drops->finishGroupDrop(group, "1", overC));
    wait(1.0);
    const auto right = tree("2").allWindows();
    const auto moved = keys({a, b, c});
    EXPECT_EQ(std::set<std::string>(right.begin(), right.end()), std::set<std::string>(moved.begin(), moved.end()));
    EXPECT_EQ(tree("1").allWindows(), keys({d}));
    EXPECT_FALSE(coordinator->states->at("2").camera.has_value());
    expectEachArrangedWindowInExactlyOneTree(arranged);
}

TEST_F(GroupDrops, ARefusedInsertOnAnotherDisplayPutsTheGroupBack) {
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto b = editor.openWindow("b", {80, 80, 500, 350});
    auto d = editor.openWindow("d", {120, 120, 500, 350});
    auto c = editor.openWindow("c", {1600, 100, 500, 350});
    arrangeAll();
    coordinator->dock(keyOf(b), tileOf(a).nodeID, "1", DockEdge::tab);
    wait(1.0);
    const std::string group = tileOf(a).nodeID;
    const LayoutNode left = tree("1");
    // The right display's tree still names a (a stale entry), so it refuses the group.
    coordinator->states.modify([&](auto& all) {
        all["2"].root =
            LayoutNode::split(LayoutNode("C", {keyOf(c)}), LayoutNode("STALE", {keyOf(a)}), SplitAxis::horizontal, 0.5);
    });
    coordinator->apply();
    const Point overC = at(tileOf(c, "2").frame, 0.5, 0.5);

    EXPECT_FALSE(coordinator->drops->finishGroupDrop(group, "1", overC));
    EXPECT_EQ(tree("1"), left) << "the group stays where it was";
    const auto leftKeys = tree("1").allWindows();
    EXPECT_NE(std::find(leftKeys.begin(), leftKeys.end(), keyOf(b)), leftKeys.end());
}

TEST_F(GroupDrops, ATileDraggedWithinItsDisplayDocksBesideTheTarget) {
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto b = editor.openWindow("b", {80, 80, 500, 350});
    auto d = editor.openWindow("d", {120, 120, 500, 350});
    arrangeAll();
    coordinator->dock(keyOf(b), tileOf(a).nodeID, "1", DockEdge::tab);
    wait(1.0);
    const std::set<std::string> arranged = coordinator->managedHere();
    const std::string group = tileOf(a).nodeID;
    const Point rightOfD = at(tileOf(d).frame, 0.9, 0.5);
    coordinator->drops->updateGroupDropPreview(group, "1", rightOfD);
    EXPECT_EQ(preview()->label, "Dock group");
    EXPECT_TRUE(coordinator->drops->finishGroupDrop(group, "1", rightOfD));
    wait(1.0);
    EXPECT_LT(tileOf(d).frame.x, tileOf(a).frame.x);
    expectEachArrangedWindowInExactlyOneTree(arranged);
}

}  // namespace
