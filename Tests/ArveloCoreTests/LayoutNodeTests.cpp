// SPDX-License-Identifier: MIT
// Construction, equality and the read-only queries of the layout node.
#include "ArveloCore/LayoutNode.h"
#include "TreeHelpers.h"

#include <gtest/gtest.h>

using arvelo::LayoutNode;
using arvelo::SplitAxis;
using namespace treehelpers;

TEST(LayoutNode, LeafSelectsFirstWindowUnlessGivenASelection) {
    EXPECT_EQ(LayoutNode("n", {"a", "b"}).selected, "a");
    EXPECT_EQ(LayoutNode("n", {}).selected, std::nullopt);
    const LayoutNode foreign("n", {"a"}, "z");
    EXPECT_EQ(foreign.selected, "z");
    EXPECT_EQ(foreign.ratio, 0.5);
    EXPECT_FALSE(foreign.axis.has_value());
    EXPECT_TRUE(foreign.isLeaf());
    EXPECT_FALSE(foreign.isDesktop);
}

TEST(LayoutNode, EqualityComparesEveryFieldInOrder) {
    const LayoutNode base("n", {"a", "b"});
    EXPECT_EQ(base, LayoutNode("n", {"a", "b"}));
    EXPECT_NE(base, LayoutNode("n", {"b", "a"}, "a"));  // window order matters
    LayoutNode other = base;
    other.ratio = 0.25;
    EXPECT_NE(base, other);
    other = base;
    other.selected.reset();
    EXPECT_NE(base, other);
    other = base;
    other.isDesktop = true;
    EXPECT_NE(base, other);
}

TEST(LayoutNode, AllWindowsListsOwnWindowsThenChildrenDepthFirst) {
    const LayoutNode tree = split("s", leaf("l", {"a", "b"}), leaf("r", {"c"}));
    EXPECT_EQ(tree.allWindows(), (std::vector<std::string>{"a", "b", "c"}));
    LayoutNode odd = tree;
    odd.windows = {"own"};
    EXPECT_EQ(odd.allWindows(), (std::vector<std::string>{"own", "a", "b", "c"}));
}

TEST(LayoutNode, DesktopQueries) {
    const LayoutNode tree = split("s", leaf("l", {"a"}), LayoutNode::desktop());
    EXPECT_TRUE(tree.containsDesktop());
    EXPECT_EQ(tree.desktopLeaf(), LayoutNode::desktop());
    EXPECT_EQ(tree.framingKeys(), (std::set<std::string>{"a", "desktop"}));
    EXPECT_FALSE(leaf("l", {"a"}).containsDesktop());
    EXPECT_EQ(leaf("l", {"a"}).desktopLeaf(), std::nullopt);
    EXPECT_EQ(leaf("l", {"a"}).framingKeys(), (std::set<std::string>{"a"}));
}

TEST(LayoutNode, NarrowestNodeContainingKeys) {
    // root = split(a, split(b, c))
    const LayoutNode tree = split("root", leaf("A", {"a"}), split("inner", leaf("B", {"b"}), leaf("C", {"c"})));
    const struct {
        std::set<std::string> keys;
        std::optional<std::string> expected;
    } cases[] = {
        {{"a", "c"}, "root"},        {{"b", "c"}, "inner"},        {{"c"}, "C"},
        {{"zzz"}, std::nullopt},     {{"a", "zzz"}, std::nullopt}, {{}, std::nullopt},
        {{"desktop"}, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto found = tree.narrowest(c.keys);
        EXPECT_EQ(found ? std::optional(found->id) : std::nullopt, c.expected) << testing::PrintToString(c.keys);
    }
    const LayoutNode withDesktop =
        split("root", leaf("A", {"a"}), split("inner", leaf("B", {"b"}), LayoutNode::desktop()));
    EXPECT_EQ(withDesktop.narrowest({"desktop"})->id, "desktop");
    EXPECT_EQ(withDesktop.narrowest({"desktop", "b"})->id, "inner");
}

TEST(LayoutNode, SearchesTakeTheFirstMatchInPreOrder) {
    // Two nodes share the id "dup"; the one met first in pre-order wins.
    LayoutNode tree = split("root", split("dup", leaf("x", {"a"}), leaf("y", {"b"})), leaf("dup", {"c"}));
    EXPECT_EQ(tree.node("dup")->allWindows(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(tree.node("root")->id, "root");
    EXPECT_EQ(tree.node("nope"), std::nullopt);
    EXPECT_EQ(tree.leaf("b")->id, "y");
    EXPECT_EQ(tree.leaf("nope"), std::nullopt);
    EXPECT_EQ(tree.parent("y")->id, "dup");
    EXPECT_EQ(tree.parent("dup")->id, "root");
    EXPECT_EQ(tree.parent("root"), std::nullopt);

    // Results are copies: changing them leaves the tree alone.
    auto copy = tree.leaf("a");
    copy->windows.push_back("changed");
    EXPECT_EQ(tree.leaf("a")->windows, (std::vector<std::string>{"a"}));
}
