// SPDX-License-Identifier: MIT
// DockingTests.cpp: the user's placements: a drop at a display edge (a third beside the
// desktop leaf), a floated window left alone from then on, an excluded application remembered
// across launches, and a docked window nudged by a drag.
#include "TickScene.h"

using namespace arvelo;
using arvelo::testing::TickScene;

namespace {

class Docking : public TickScene {
protected:
    void SetUp() override { desktop.addDisplay("Built-in", {1440, 900}); }
};

TEST_F(Docking, ADropAtTheOuterEdgeBesideTheDesktopLeafTakesAThird) {
    struct Case {
        const char* what;
        bool desktopOnRight;  // [W | D] or [D | W]
        DockEdge edge;
        double ratio;  // of the new root
    };
    const Case cases[] = {
        {"[A | D], right edge: W takes a third", true, DockEdge::right, 2.0 / 3.0},
        {"[A | D], bottom edge: the axis differs", true, DockEdge::bottom, 0.5},
        {"[D | A], left edge: W takes a third", false, DockEdge::left, 1.0 / 3.0},
        {"[D | A], right edge: the side pane is no desktop", false, DockEdge::right, 0.5},
    };
    auto app = desktop.launch("org.example.Editor", "Editor");
    auto a = app.openWindow("a", {40, 40, 500, 350});
    auto w = app.openWindow("w", {80, 80, 500, 350});
    coordinator = Coordinator::make(desktop.services(), false, true, stateDirectory());
    coordinator->autoTile = false;
    settle();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LayoutNode pane(keyOf(a), {keyOf(a)});
        coordinator->states.modify([&](auto& states) {
            states["1"].root = c.desktopOnRight
                                   ? LayoutNode::split(pane, LayoutNode::desktop(), SplitAxis::horizontal, 0.5)
                                   : LayoutNode::split(LayoutNode::desktop(), pane, SplitAxis::horizontal, 0.5);
        });
        coordinator->dock(keyOf(w), tree().id, "1", c.edge);
        EXPECT_DOUBLE_EQ(tree().ratio, c.ratio);
        EXPECT_EQ(coordinator->states->at("1").preferred, keyOf(w));
        EXPECT_EQ(coordinator->states->at("1").autoArrange, false);
        EXPECT_TRUE(coordinator->userPlaced.contains(keyOf(w)));
    }
}

TEST_F(Docking, AFloatedWindowGoesBackToItsOwnFrameAndStaysOutOfTheLayout) {
    auto app = desktop.launch("org.example.Editor", "Editor");
    auto a = app.openWindow("a", {40, 40, 500, 350});
    auto b = app.openWindow("b", {80, 80, 500, 350});
    start();
    ASSERT_EQ(a.frame(), Rect(8, 8, 708, 884));

    coordinator->floatWindow(keyOf(a));
    wait(5 * Coordinator::kBeatInterval);
    EXPECT_EQ(a.frame(), Rect(40, 40, 500, 350));
    EXPECT_EQ(tree().allWindows(), keys({b}));
    EXPECT_EQ(b.frame(), Rect(8, 8, 1424, 884));

    // Dropping it somewhere docks it again.
    coordinator->dock(keyOf(a), tree().id, "1", DockEdge::left);
    EXPECT_FALSE(coordinator->floatedWindows.contains(keyOf(a)));
    EXPECT_EQ(a.frame(), Rect(8, 8, 708, 884));
}

TEST_F(Docking, AnExcludedApplicationIsFreedAndStaysExcludedAcrossLaunches) {
    auto editor = desktop.launch("org.example.Editor", "Editor");
    auto mail = desktop.launch("org.example.Mail", "Mail");
    auto a = editor.openWindow("a", {40, 40, 500, 350});
    auto inbox = mail.openWindow("Inbox", {80, 80, 500, 350});
    start();
    ASSERT_EQ(tree().allWindows().size(), 2u);

    coordinator->exclude("org.example.Mail", true);
    coordinator->exclude("org.example.Mail", true);
    wait(3 * Coordinator::kBeatInterval);
    EXPECT_EQ(inbox.frame(), Rect(80, 80, 500, 350));
    EXPECT_EQ(tree().allWindows(), keys({a}));
    EXPECT_EQ(desktop.defaults().stringArray("excludedApps"), std::vector<std::string>{"org.example.Mail"});
    EXPECT_EQ(keyOf(inbox), "") << "no longer scanned";

    // The next launch reads the list and leaves Mail's windows alone from the start.
    coordinator.reset();
    start();
    EXPECT_EQ(tree().allWindows(), keys({a}));
    EXPECT_EQ(inbox.frame(), Rect(80, 80, 500, 350));

    coordinator->exclude("org.example.Mail", false);
    wait(2 * Coordinator::kBeatInterval);
    EXPECT_TRUE(desktop.defaults().stringArray("excludedApps")->empty());
    EXPECT_EQ(tree().allWindows().size(), 2u) << "admitted again, its window arrives";
}

TEST_F(Docking, ANudgedWindowMovesBothItsSeams) {
    auto app = desktop.launch("org.example.Editor", "Editor");
    auto a = app.openWindow("a", {40, 40, 500, 350});
    auto b = app.openWindow("b", {80, 80, 500, 350});
    auto c = app.openWindow("c", {120, 120, 500, 350});
    coordinator = Coordinator::make(desktop.services(), false, true, stateDirectory());
    coordinator->autoTile = false;
    settle();
    // [a | [b | c]] side by side: b sits between two seams.
    coordinator->states.modify([&](auto& states) {
        states["1"].root = LayoutNode::split(
            LayoutNode("A", {keyOf(a)}),
            LayoutNode::split(LayoutNode("B", {keyOf(b)}), LayoutNode("C", {keyOf(c)}), SplitAxis::horizontal, 0.5),
            SplitAxis::horizontal, 1.0 / 3.0);
    });
    coordinator->managing = true;
    coordinator->apply();
    const Rect before = b.frame();
    const double aWidth = a.frame().width, cWidth = c.frame().width;

    coordinator->nudgeDocked(keyOf(b), {120, 0});
    EXPECT_NEAR(b.frame().minX(), before.minX() + 120, 0.5);
    EXPECT_NEAR(b.frame().width, before.width, 0.5);
    EXPECT_NEAR(a.frame().width, aWidth + 120, 0.5);
    EXPECT_NEAR(c.frame().width, cWidth - 120, 0.5);
}

}  // namespace
