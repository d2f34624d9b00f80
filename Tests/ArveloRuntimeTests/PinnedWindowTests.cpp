// SPDX-License-Identifier: MIT
// PinnedWindowTests.cpp: a pinned window leaves the arranged layout at once and, unpinned,
// comes back with the next beat to where it was: the same split side with the same ratio, or
// the same tab position in its group.
#include "TickScene.h"

using namespace arvelo;
using arvelo::testing::TickScene;

namespace {

class PinnedWindows : public TickScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Built-in", {1440, 900});
        auto app = desktop.launch("org.example.Editor", "Editor");
        a = app.openWindow("a", {40, 40, 500, 350});
        b = app.openWindow("b", {80, 80, 500, 350});
        c = app.openWindow("c", {120, 120, 500, 350});
        start();  // [a | [b / c]]
    }
    platform::sim::WindowHandle a{nullptr, 0}, b{nullptr, 0}, c{nullptr, 0};
};

TEST_F(PinnedWindows, ASplitSideComesBackWithItsRatio) {
    const std::string column = tree().children.at(1).id;
    coordinator->states.modify(
        [&](auto& states) { states["1"].root.edit(column, [](LayoutNode& node) { node.ratio = 0.3; }); });
    coordinator->apply();
    const Rect shownB = b.frame();
    const int revision = coordinator->layoutRevision;

    coordinator->setPinned({b.number()});
    EXPECT_EQ(coordinator->pinned, (std::set<std::string>{keyOf(b)}));
    EXPECT_EQ(tree().allWindows(), keys({a, c}));
    EXPECT_EQ(coordinator->layoutRevision, revision + 1) << "applied once";
    coordinator->setPinned({b.number()});
    EXPECT_EQ(coordinator->layoutRevision, revision + 1) << "the same pins change nothing";

    wait(3 * Coordinator::kBeatInterval);
    EXPECT_EQ(tree().allWindows(), keys({a, c})) << "a pinned window is no arrival";

    coordinator->setPinned({});
    wait(Coordinator::kBeatInterval);
    const LayoutNode& right = tree().children.at(1);
    EXPECT_EQ(right.axis, SplitAxis::vertical);
    EXPECT_EQ(right.allWindows(), keys({b, c}));
    EXPECT_DOUBLE_EQ(right.ratio, 0.3);
    EXPECT_EQ(b.frame(), shownB);
    EXPECT_TRUE(coordinator->pinHomes.empty());
}

TEST_F(PinnedWindows, TheShownTabComesBackShownAtItsIndex) {
    coordinator->dock(keyOf(b), tree().children.at(0).id, "1", DockEdge::tab);  // [a, b] | c, b shown
    coordinator->dock(keyOf(c), tree().children.at(0).id, "1", DockEdge::tab);  // one pane [a, b, c]
    coordinator->states.modify([&](auto& states) { states["1"].root.select(keyOf(b)); });
    coordinator->apply();
    ASSERT_EQ(tree().windows, keys({a, b, c}));

    coordinator->setPinned({b.number()});
    EXPECT_EQ(tree().windows, keys({a, c}));
    coordinator->setPinned({});
    wait(Coordinator::kBeatInterval);
    EXPECT_EQ(tree().windows, keys({a, b, c}));
    EXPECT_EQ(tree().selected, keyOf(b));
    EXPECT_FALSE(recordOf(b).parked);
    EXPECT_TRUE(recordOf(a).parked);
}

}  // namespace
