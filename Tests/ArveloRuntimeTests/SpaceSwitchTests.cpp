// SPDX-License-Identifier: MIT
// SpaceSwitchTests.cpp: each Space of a display keeps its own arrangement: switching away
// stores it, a Space seen for the first time is arranged afresh, switching back brings the
// stored one back without the windows that left meanwhile.
#include "TickScene.h"

using namespace arvelo;
using arvelo::testing::TickScene;

namespace {

class SpaceSwitch : public TickScene {};

TEST_F(SpaceSwitch, TwoSpacesKeepTheirArrangementsApart) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto app = desktop.launch("org.example.Editor", "Editor");
    auto a = app.openWindow("a", {40, 40, 500, 350});
    auto b = app.openWindow("b", {80, 80, 500, 350});
    start();
    const LayoutNode first = tree();
    ASSERT_EQ(first.allWindows(), keys({a, b}));

    // To Space 2, where two other windows are open: they are arranged there on their own.
    desktop.switchSpace(0, 2);
    auto c = app.openWindow("c", {120, 120, 500, 350});
    auto d = app.openWindow("d", {160, 160, 500, 350});
    wait(Coordinator::kBeatInterval);
    EXPECT_EQ(tree().allWindows(), keys({c, d}));
    ASSERT_TRUE(coordinator->otherSpaces.contains("1#1"));
    EXPECT_EQ(coordinator->otherSpaces.at("1#1").root, first);
    EXPECT_EQ(c.frame(), Rect(8, 8, 708, 884));
    EXPECT_EQ(d.frame(), Rect(724, 8, 708, 884));

    // Meanwhile b leaves Space 1 for Space 2. Back on Space 1, the stored arrangement returns
    // without it, and Space 2's is stored in turn.
    b.setSpaces({2});
    desktop.switchSpace(0, 1);
    wait(Coordinator::kBeatInterval);
    EXPECT_EQ(tree().allWindows(), keys({a}));
    EXPECT_FALSE(coordinator->otherSpaces.contains("1#1"));
    ASSERT_TRUE(coordinator->otherSpaces.contains("1#2"));
    EXPECT_EQ(coordinator->otherSpaces.at("1#2").root.allWindows(), keys({c, d}));
    EXPECT_EQ(a.frame(), Rect(8, 8, 1424, 884));
    EXPECT_EQ(c.frame(), Rect(8, 8, 708, 884)) << "windows of the Space not shown are left alone";
}

TEST_F(SpaceSwitch, WithTilingOffANewSpaceStartsEmpty) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto app = desktop.launch("org.example.Editor", "Editor");
    auto a = app.openWindow("a", {40, 40, 500, 350});
    start();
    coordinator->autoTile = false;

    desktop.switchSpace(0, 2);
    auto c = app.openWindow("c", {120, 120, 500, 350});
    wait(3 * Coordinator::kBeatInterval);
    EXPECT_EQ(tree(), WorkspaceState{}.root);
    EXPECT_EQ(c.frame(), Rect(120, 120, 500, 350));
    EXPECT_EQ(coordinator->otherSpaces.at("1#1").root.allWindows(), keys({a}));
}

}  // namespace
