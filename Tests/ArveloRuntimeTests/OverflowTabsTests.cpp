// SPDX-License-Identifier: MIT
// OverflowTabsTests.cpp: a window that cannot shrink to its tile is tucked into a neighbour's
// tab group (the neighbour stays in front) and comes back to a tile of its own once there is
// room for it again; windows placed by hand are never tucked away.
#include "TickScene.h"

using namespace arvelo;
using arvelo::testing::TickScene;

namespace {

class OverflowTabs : public TickScene {};

TEST_F(OverflowTabs, AWindowTooLargeForItsTileBecomesAHiddenTabAndReturnsWhenRoomReturns) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto app = desktop.launch("org.example.Editor", "Editor");
    auto a = app.openWindow("a", {40, 40, 500, 350});
    auto b = app.openWindow("b", {80, 80, 500, 350});
    auto big = app.openWindow("c", {120, 120, 500, 350});
    big.minimumSize({1300, 820});  // refuses any smaller size, beyond what a shared display offers
    start();
    ASSERT_EQ(tree().allWindows(), keys({a, b, big}));

    // 3 s after its placement the refused size is learnt (capped at 90 % of the display), the
    // layout is applied again, and the misfit is tabbed behind the first pane that fits.
    wait(3.5);
    const auto group = tree().leaf(keyOf(big));
    ASSERT_TRUE(group);
    EXPECT_EQ(group->windows, keys({a, big}));
    EXPECT_EQ(group->selected, keyOf(a)) << "the pane keeps showing its own window";
    EXPECT_TRUE(recordOf(big).parked);
    EXPECT_EQ(coordinator->autoTabbed, (std::set<std::string>{keyOf(big)}));
    EXPECT_EQ(recordOf(big).minimum, Size(1296, 810));

    // The display grows and b closes: at the next apply the tab gets a pane of its own again,
    // right of the largest pane.
    desktop.world().displays()[0].frame = {0, 0, 2880, 1800};
    desktop.world().displays()[0].visibleFrame = {0, 0, 2880, 1800};
    b.vanish();
    wait(Coordinator::kBeatInterval);
    EXPECT_EQ(tree().axis, SplitAxis::horizontal);
    EXPECT_EQ(tree().allWindows(), keys({a, big}));
    EXPECT_TRUE(coordinator->autoTabbed.empty());
    EXPECT_FALSE(recordOf(big).parked);
    EXPECT_GE(big.frame().width, 1296);
    EXPECT_GT(big.frame().minX(), a.frame().maxX());
}

TEST_F(OverflowTabs, AWindowPlacedByHandIsNeverTuckedAway) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto app = desktop.launch("org.example.Editor", "Editor");
    auto a = app.openWindow("a", {40, 40, 500, 350});
    auto big = app.openWindow("c", {120, 120, 500, 350});
    big.minimumSize({1300, 820});
    start();
    coordinator->dock(keyOf(big), tree().id, "1", DockEdge::right);  // the user drops it at the right edge

    wait(3.5);
    EXPECT_EQ(tree().children.size(), 2u);
    EXPECT_EQ(tree().allWindows(), keys({a, big}));
    EXPECT_TRUE(coordinator->autoTabbed.empty());
    EXPECT_FALSE(recordOf(big).parked);
}

}  // namespace
