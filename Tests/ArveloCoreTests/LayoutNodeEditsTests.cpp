// SPDX-License-Identifier: MIT
// The tree edits: removal with its repair rule, docking of windows and groups, selection,
// pruning and key renaming.
#include "ArveloCore/LayoutNode.h"
#include "TreeHelpers.h"

#include <gtest/gtest.h>

using arvelo::DockEdge;
using arvelo::LayoutNode;
using arvelo::SplitAxis;
using namespace treehelpers;

namespace {

// root = split(A[a], inner = split(B[b], C[c]))
LayoutNode threeLeaves() {
    return split("root", leaf("A", {"a"}), split("inner", leaf("B", {"b"}), leaf("C", {"c"}), SplitAxis::vertical));
}

}  // namespace

TEST(LayoutNodeEdits, RemovingALeafCollapsesItsSplit) {
    LayoutNode tree = threeLeaves();
    tree.remove("b");
    EXPECT_EQ(tree, split("root", leaf("A", {"a"}), leaf("C", {"c"})));

    tree.remove("a");
    EXPECT_EQ(tree, leaf("C", {"c"}));  // the other leaf becomes the root, with its own id

    tree.remove("c");
    EXPECT_EQ(tree.id, "C");
    EXPECT_TRUE(tree.windows.empty());
    EXPECT_EQ(tree.selected, std::nullopt);
    EXPECT_TRUE(tree.children.empty());
}

TEST(LayoutNodeEdits, RemovingTheSelectedTabSelectsTheFirstRemaining) {
    LayoutNode tabs("t", {"a", "b", "c"}, "b");
    tabs.remove("b");
    EXPECT_EQ(tabs.windows, (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(tabs.selected, "a");
    tabs.remove("c");
    EXPECT_EQ(tabs.selected, "a");
}

TEST(LayoutNodeEdits, RepairKeepsTheDesktopLeafAndTheSurvivingChildWhole) {
    LayoutNode tree = split("root", leaf("A", {"a"}), LayoutNode::desktop());
    tree.remove("a");
    EXPECT_EQ(tree, LayoutNode::desktop());

    // A surviving split keeps its axis and ratio when it moves up.
    LayoutNode deep = threeLeaves();
    deep.edit("inner", [](LayoutNode& n) { n.ratio = 0.3; });
    deep.remove("a");
    EXPECT_EQ(deep.id, "inner");
    EXPECT_EQ(deep.axis, SplitAxis::vertical);
    EXPECT_EQ(deep.ratio, 0.3);
}

TEST(LayoutNodeEdits, UnknownKeysAndIDsChangeNothing) {
    const LayoutNode original = threeLeaves();
    LayoutNode tree = original;
    tree.remove("zzz");
    tree.removeNode("zzz");
    tree.select("zzz");
    tree.edit("zzz", [](LayoutNode& n) { n.ratio = 0.9; });
    EXPECT_EQ(tree, original);
}

TEST(LayoutNodeEdits, RemoveNode) {
    LayoutNode tree = threeLeaves();
    tree.removeNode("inner");
    EXPECT_EQ(tree, leaf("A", {"a"}));

    LayoutNode whole = threeLeaves();
    whole.removeNode("root");
    EXPECT_TRUE(isFreshUUID(whole.id));
    EXPECT_TRUE(whole.windows.empty());
    EXPECT_TRUE(whole.children.empty());
    EXPECT_FALSE(whole.axis.has_value());
}

TEST(LayoutNodeEdits, EditChangesOutermostMatchesOnly) {
    LayoutNode tree = split("root", split("dup", leaf("dup", {"a"}), leaf("y", {"b"})), leaf("dup", {"c"}));
    int calls = 0;
    tree.edit("dup", [&calls](LayoutNode& n) {
        ++calls;
        n.ratio = 0.7;
    });
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(tree.children[0].ratio, 0.7);
    EXPECT_EQ(tree.children[0].children[0].ratio, 0.5);  // inside a match: not visited
    EXPECT_EQ(tree.children[1].ratio, 0.7);
}

TEST(LayoutNodeEdits, SelectVisitsTheWholeTree) {
    LayoutNode tree = split("root", leaf("A", {"a", "b"}), leaf("B", {"b", "c"}));
    tree.select("b");
    EXPECT_EQ(tree.children[0].selected, "b");
    EXPECT_EQ(tree.children[1].selected, "b");
}

TEST(LayoutNodeEdits, DockRefusesAWindowBesideItselfAlone) {
    LayoutNode tree = split("root", leaf("A", {"a"}), leaf("B", {"b"}));
    const LayoutNode before = tree;
    for (const DockEdge edge : arvelo::allDockEdges) {
        EXPECT_FALSE(tree.dock("a", "A", edge));
        EXPECT_EQ(tree, before);
    }
    EXPECT_FALSE(tree.dock("a", "missing", DockEdge::left));
    EXPECT_EQ(tree, before);
}

TEST(LayoutNodeEdits, DockPullsATabOutOfItsGroup) {
    LayoutNode tree("T", {"a", "b"});
    ASSERT_TRUE(tree.dock("a", "T", DockEdge::left));
    EXPECT_EQ(tree.axis, SplitAxis::horizontal);
    EXPECT_TRUE(isFreshUUID(tree.id));
    ASSERT_EQ(tree.children.size(), 2u);
    EXPECT_EQ(tree.children[0].windows, (std::vector<std::string>{"a"}));
    EXPECT_EQ(tree.children[0].selected, "a");
    EXPECT_TRUE(isFreshUUID(tree.children[0].id));
    EXPECT_EQ(tree.children[1], LayoutNode("T", {"b"}));
}

TEST(LayoutNodeEdits, DockPlacesBesideTheTargetOnEachSide) {
    const struct {
        DockEdge edge;
        SplitAxis axis;
        bool newFirst;
    } cases[] = {
        {DockEdge::left, SplitAxis::horizontal, true},
        {DockEdge::right, SplitAxis::horizontal, false},
        {DockEdge::top, SplitAxis::vertical, true},
        {DockEdge::bottom, SplitAxis::vertical, false},
    };
    for (const auto& c : cases) {
        const LayoutNode old = split("root", leaf("A", {"a"}), leaf("B", {"b"}));
        LayoutNode tree = old;
        ASSERT_TRUE(tree.dock("c", "root", c.edge));  // c was not in the tree
        EXPECT_EQ(tree.axis, c.axis);
        EXPECT_EQ(tree.ratio, 0.5);
        EXPECT_TRUE(tree.windows.empty());
        const LayoutNode& kept = tree.children[c.newFirst ? 1 : 0];
        const LayoutNode& added = tree.children[c.newFirst ? 0 : 1];
        EXPECT_EQ(kept, old);  // the old root keeps its id one level down
        EXPECT_EQ(added.windows, (std::vector<std::string>{"c"}));
    }
}

TEST(LayoutNodeEdits, DockFallsBackToTheSurvivorWhenTheTargetCollapses) {
    // Target "inner" = split(K[k], B[b]); moving k out collapses it into B.
    LayoutNode tree = split("root", leaf("A", {"a"}), split("inner", leaf("K", {"k"}), leaf("B", {"b"})));
    ASSERT_TRUE(tree.dock("k", "inner", DockEdge::bottom));
    EXPECT_EQ(tree.children[0], leaf("A", {"a"}));
    const LayoutNode& placed = tree.children[1];
    EXPECT_EQ(placed.axis, SplitAxis::vertical);
    EXPECT_EQ(placed.children[0], leaf("B", {"b"}));
    EXPECT_EQ(placed.children[1].windows, (std::vector<std::string>{"k"}));

    // When the target was the root, the root (whatever its id now) is the anchor.
    LayoutNode rooted = split("root", leaf("K", {"k"}), leaf("B", {"b"}));
    ASSERT_TRUE(rooted.dock("k", "root", DockEdge::right));
    EXPECT_EQ(rooted.children[0], leaf("B", {"b"}));
    EXPECT_EQ(rooted.children[1].windows, (std::vector<std::string>{"k"}));
}

TEST(LayoutNodeEdits, DockAsTab) {
    LayoutNode tree = threeLeaves();
    ASSERT_TRUE(tree.dock("d", "inner", DockEdge::tab));
    EXPECT_EQ(tree.children[1], LayoutNode("inner", {"b", "c", "d"}, "d"));

    LayoutNode onLeaf = threeLeaves();
    ASSERT_TRUE(onLeaf.dock("b", "A", DockEdge::tab));  // b leaves its leaf and joins A
    EXPECT_EQ(onLeaf, split("root", LayoutNode("A", {"a", "b"}, "b"), leaf("C", {"c"})));
}

TEST(LayoutNodeEdits, DockBesideADesktopLeafHoldingTheWindow) {
    // A target holding the key alone is allowed when it holds the desktop leaf too.
    LayoutNode tree = split("root", leaf("K", {"k"}), LayoutNode::desktop());
    ASSERT_TRUE(tree.dock("k", "root", DockEdge::right));
    EXPECT_EQ(tree.children[0], LayoutNode::desktop());
    EXPECT_EQ(tree.children[1].windows, (std::vector<std::string>{"k"}));
}

TEST(LayoutNodeEdits, InsertGroup) {
    LayoutNode tree = split("root", leaf("A", {"a"}), leaf("B", {"b"}));
    const LayoutNode before = tree;
    EXPECT_FALSE(tree.insertGroup(leaf("G", {"x", "b"}), "A", DockEdge::left));  // shares b
    EXPECT_FALSE(tree.insertGroup(leaf("G", {"x"}), "missing", DockEdge::left));
    EXPECT_EQ(tree, before);

    ASSERT_TRUE(tree.insertGroup(leaf("G", {"x", "y"}), "A", DockEdge::top));
    EXPECT_EQ(tree.children[0].axis, SplitAxis::vertical);
    EXPECT_EQ(tree.children[0].children[0], leaf("G", {"x", "y"}));  // keeps its own ids
    EXPECT_EQ(tree.children[0].children[1], leaf("A", {"a"}));

    LayoutNode tabs = before;
    ASSERT_TRUE(tabs.insertGroup(LayoutNode("G", {"x", "y"}, "y"), "root", DockEdge::tab));
    EXPECT_EQ(tabs, LayoutNode("root", {"a", "b", "x", "y"}, "y"));

    LayoutNode unselected = before;
    LayoutNode group("G", {"x", "y"});
    group.selected.reset();
    ASSERT_TRUE(unselected.insertGroup(group, "B", DockEdge::tab));
    EXPECT_EQ(unselected.children[1], LayoutNode("B", {"b", "x", "y"}, "x"));
}

TEST(LayoutNodeEdits, DockGroupRefusals) {
    LayoutNode tree = split("root", split("G", leaf("X", {"x"}), leaf("Y", {"y"})),
                            split("rest", leaf("A", {"a"}), LayoutNode::desktop()));
    const LayoutNode before = tree;
    const struct {
        const char* group;
        const char* target;
    } refused[] = {
        {"missing", "A"}, {"G", "missing"}, {"G", "G"}, {"G", "X"}, {"rest", "G"}, {"desktop", "A"},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(tree.dockGroup(c.group, c.target, DockEdge::left)) << c.group << " -> " << c.target;
        EXPECT_EQ(tree, before);
    }
    LayoutNode emptyGroup = split("root", leaf("E", {}), leaf("A", {"a"}));
    EXPECT_FALSE(emptyGroup.dockGroup("E", "A", DockEdge::left));
}

TEST(LayoutNodeEdits, DockGroupMovesTheGroupBesideItsTarget) {
    LayoutNode tree = split("root", split("G", leaf("X", {"x"}), leaf("Y", {"y"})),
                            split("rest", leaf("A", {"a"}), leaf("B", {"b"})));
    ASSERT_TRUE(tree.dockGroup("G", "B", DockEdge::right));
    EXPECT_EQ(tree.id, "rest");
    EXPECT_EQ(tree.children[0], leaf("A", {"a"}));
    EXPECT_EQ(tree.children[1].axis, SplitAxis::horizontal);
    EXPECT_EQ(tree.children[1].children[0], leaf("B", {"b"}));
    EXPECT_EQ(tree.children[1].children[1], split("G", leaf("X", {"x"}), leaf("Y", {"y"})));

    // A target that collapses with the group's removal is found again by its survivor.
    LayoutNode tabs = split("root", leaf("A", {"a"}), split("T", leaf("X", {"x"}), leaf("B", {"b"})));
    ASSERT_TRUE(tabs.dockGroup("X", "T", DockEdge::tab));
    EXPECT_EQ(tabs, split("root", leaf("A", {"a"}), LayoutNode("B", {"b", "x"}, "x")));
}

TEST(LayoutNodeEdits, PruneKeepsOnlyTheGivenWindows) {
    LayoutNode tree = threeLeaves();
    tree.prune({"b", "zzz"});
    EXPECT_EQ(tree, leaf("B", {"b"}));
    tree.prune({});
    EXPECT_TRUE(tree.allWindows().empty());
}

TEST(LayoutNodeEdits, ReplacingKeys) {
    const LayoutNode tree =
        split("root", LayoutNode("A", {"a", "b"}, "b"), split("inner", leaf("C", {"c"}), LayoutNode::desktop()));
    const LayoutNode renamed = tree.replacingKeys({{"a", "A2"}, {"b", "B2"}, {"c", "C2"}});
    EXPECT_EQ(renamed, split("root", LayoutNode("A", {"A2", "B2"}, "B2"),
                             split("inner", leaf("C", {"C2"}), LayoutNode::desktop())));

    // The old selection without an entry falls back to the first new window.
    EXPECT_EQ(tree.replacingKeys({{"a", "A2"}, {"c", "c"}}).children[0], LayoutNode("A", {"A2"}, "A2"));
    // An empty table drops every window and keeps the desktop leaf.
    EXPECT_EQ(tree.replacingKeys({}), LayoutNode::desktop());
    EXPECT_EQ(threeLeaves().replacingKeys({}).allWindows().size(), 0u);
    EXPECT_TRUE(threeLeaves().replacingKeys({}).children.empty());
}
