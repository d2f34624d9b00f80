// SPDX-License-Identifier: MIT
// PinHomeTests.cpp: a pinned window's home is taken from its tree and puts it back in its tab
// group at its old position, or beside its old sibling with the old ratio, also when the tree
// changed meanwhile.
#include "Arvelo/Coordinator/PinHome.h"

#include <gtest/gtest.h>

namespace arvelo {
namespace {

LayoutNode leaf(const std::string& id, std::vector<std::string> windows, std::optional<std::string> selected = {}) {
    return LayoutNode(id, std::move(windows), std::move(selected));
}

LayoutNode splitOf(const std::string& id, LayoutNode a, LayoutNode b, SplitAxis axis, double ratio) {
    LayoutNode node = LayoutNode::split(std::move(a), std::move(b), axis, ratio);
    node.id = id;
    return node;
}

TEST(PinHome, TabReturnsToItsIndexAndSelection) {
    struct Case {
        std::string selectedBefore;      // shown tab of [a, b, c] when b is pinned
        std::vector<std::string> mates;  // the group while b is away
        std::vector<std::string> expectWindows;
        std::string expectSelected;
    };
    const Case cases[] = {
        {"b", {"a", "c"}, {"a", "b", "c"}, "b"},  // shown tab comes back shown, at index 1
        {"a", {"a", "c"}, {"a", "b", "c"}, "a"},  // hidden tab: the shown one stays shown
        {"b", {"c"}, {"c", "b"}, "b"},            // fewer mates than its index: last tab
    };
    for (const auto& c : cases) {
        LayoutNode before =
            splitOf("root", leaf("G", {"a", "b", "c"}, c.selectedBefore), leaf("X", {"x"}), SplitAxis::horizontal, 0.5);
        const auto home = pinHome("b", before, "1");
        ASSERT_TRUE(home);
        EXPECT_EQ(home->index, 1);
        EXPECT_EQ(home->tabMates, (std::vector<std::string>{"a", "c"}));

        LayoutNode after =
            splitOf("root", leaf("G", c.mates, c.mates.front()), leaf("X", {"x"}), SplitAxis::horizontal, 0.5);
        ASSERT_TRUE(restore("b", *home, after));
        const auto group = after.leaf("b");
        ASSERT_TRUE(group);
        EXPECT_EQ(group->windows, c.expectWindows);
        EXPECT_EQ(group->selected, c.expectSelected);
    }
}

TEST(PinHome, TabWithEveryMateGoneDoesNotFit) {
    const LayoutNode before = leaf("G", {"a", "b"});
    const auto home = pinHome("b", before, "1");
    ASSERT_TRUE(home);
    LayoutNode after = splitOf("root", leaf("Y", {"y"}), LayoutNode::desktop(), SplitAxis::horizontal, 0.5);
    const LayoutNode untouched = after;
    EXPECT_FALSE(restore("b", *home, after));
    EXPECT_EQ(after, untouched);
}

TEST(PinHome, SplitSideReturnsWithItsRatio) {
    const LayoutNode before =
        splitOf("root", leaf("W", {"w"}), splitOf("S", leaf("A", {"a"}), leaf("B", {"b"}), SplitAxis::vertical, 0.5),
                SplitAxis::horizontal, 0.3);
    const auto home = pinHome("w", before, "1");
    ASSERT_TRUE(home);
    EXPECT_EQ(home->edge, DockEdge::left);
    EXPECT_EQ(home->siblingID, "S");
    EXPECT_EQ(home->siblingWindows, (std::vector<std::string>{"a", "b"}));
    EXPECT_DOUBLE_EQ(home->ratio, 0.3);

    // Sibling node still there: back on its left with ratio 0.3.
    LayoutNode same = before;
    same.remove("w");
    ASSERT_TRUE(restore("w", *home, same));
    ASSERT_EQ(same.children.size(), 2u);
    EXPECT_EQ(same.children[0].windows, (std::vector<std::string>{"w"}));
    EXPECT_EQ(same.children[1].id, "S");
    EXPECT_DOUBLE_EQ(same.ratio, 0.3);

    // Sibling node id gone: beside the narrowest node still holding a and b.
    LayoutNode changed = splitOf("R2", splitOf("S2", leaf("A", {"a"}), leaf("B", {"b"}), SplitAxis::vertical, 0.5),
                                 leaf("C", {"c"}), SplitAxis::horizontal, 0.5);
    ASSERT_TRUE(restore("w", *home, changed));
    const auto parent = changed.parent(changed.leaf("w")->id);
    ASSERT_TRUE(parent);
    EXPECT_EQ(parent->children[1].id, "S2");
    EXPECT_EQ(parent->axis, SplitAxis::horizontal);
    EXPECT_DOUBLE_EQ(parent->ratio, 0.3);
}

TEST(PinHome, NoHomeForAWholeTreeButOneBesideTheDesktop) {
    EXPECT_FALSE(pinHome("w", leaf("W", {"w"}), "1"));
    EXPECT_FALSE(pinHome("z", leaf("W", {"w"}), "1"));
    const auto home =
        pinHome("w", splitOf("root", leaf("W", {"w"}), LayoutNode::desktop(), SplitAxis::horizontal, 0.5), "1");
    ASSERT_TRUE(home);
    EXPECT_EQ(home->siblingID, "desktop");
    EXPECT_TRUE(home->siblingWindows.empty());
    EXPECT_EQ(home->edge, DockEdge::left);
}

}  // namespace
}  // namespace arvelo
