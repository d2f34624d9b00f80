// SPDX-License-Identifier: MIT
// The tree builders: desktop leaf, split, dwindle spiral, grid and even chain.
#include "ArveloCore/LayoutNode.h"
#include "TreeHelpers.h"

#include <gtest/gtest.h>

#include <cmath>

using arvelo::LayoutNode;
using arvelo::SplitAxis;
using namespace treehelpers;

namespace {

// The shape of a tree without its ids: "H(a,V(b,c))" for splits, "a|b" for tabs, "D" for desktop.
std::string shape(const LayoutNode& node) {
    if (node.isDesktop) return "D";
    if (!node.children.empty()) {
        std::string text = node.axis == SplitAxis::horizontal ? "H(" : node.axis == SplitAxis::vertical ? "V(" : "?(";
        for (std::size_t i = 0; i < node.children.size(); ++i) text += (i ? "," : "") + shape(node.children[i]);
        return text + ")";
    }
    std::string text;
    for (std::size_t i = 0; i < node.windows.size(); ++i) text += (i ? "|" : "") + node.windows[i];
    return text.empty() ? "_" : text;
}

void expectFreshIDs(const LayoutNode& node) {
    if (!node.isDesktop) {
        EXPECT_TRUE(isFreshUUID(node.id)) << node.id;
    }
    for (const LayoutNode& child : node.children) expectFreshIDs(child);
}

}  // namespace

TEST(LayoutNodeBuilders, DesktopLeafAndSplit) {
    const LayoutNode desktop = LayoutNode::desktop();
    EXPECT_EQ(desktop.id, "desktop");
    EXPECT_TRUE(desktop.isDesktop);
    EXPECT_TRUE(desktop.windows.empty());
    EXPECT_EQ(desktop.selected, std::nullopt);
    EXPECT_EQ(desktop.ratio, 0.5);
    EXPECT_FALSE(desktop.axis.has_value());

    const LayoutNode s = LayoutNode::split(leaf("x", {"a"}), desktop, SplitAxis::vertical, 0.3);
    EXPECT_TRUE(isFreshUUID(s.id));
    EXPECT_EQ(s.axis, SplitAxis::vertical);
    EXPECT_EQ(s.ratio, 0.3);
    EXPECT_EQ(s.children, (std::vector<LayoutNode>{leaf("x", {"a"}), desktop}));
    EXPECT_TRUE(s.windows.empty());
    EXPECT_EQ(s.selected, std::nullopt);
}

TEST(LayoutNodeBuilders, DwindleSpiral) {
    const struct {
        std::vector<std::string> keys;
        bool landscape, desktop;
        const char* expected;
    } cases[] = {
        {{}, true, false, "D"},
        {{}, false, true, "D"},
        {{"a"}, true, false, "a"},
        {{"a"}, true, true, "H(a,D)"},
        {{"a"}, false, true, "V(a,D)"},
        {{"a", "b", "c"}, true, false, "H(a,V(b,c))"},
        {{"a", "b", "c"}, false, false, "V(a,H(b,c))"},
        {{"a", "b", "c"}, true, true, "H(a,V(b,H(c,D)))"},
        {{"a", "b", "c", "d"}, true, false, "H(a,V(b,H(c,d)))"},
    };
    for (const auto& c : cases) {
        const LayoutNode tree = LayoutNode::dwindle(c.keys, c.landscape, c.desktop);
        EXPECT_EQ(shape(tree), c.expected);
        expectFreshIDs(tree);
        for (const LayoutNode* n = &tree; !n->children.empty(); n = &n->children[1]) EXPECT_EQ(n->ratio, 0.5);
    }
    // Each leaf selects its one key.
    EXPECT_EQ(LayoutNode::dwindle({"a", "b"}, true, false).children[1].selected, "b");
}

TEST(LayoutNodeBuilders, GridPicksColumnsNearestThreeToTwoCells) {
    const struct {
        std::vector<std::string> keys;
        double aspect;
        bool desktop;
        const char* expected;
    } cases[] = {
        {{"a"}, 16.0 / 9.0, false, "a"},
        {{"a", "b"}, 1.5, false, "V(a,b)"},  // one and two columns tie at ln 2: fewer columns win
        {{"a", "b", "c", "d", "e"}, 16.0 / 9.0, false, "H(V(a,b),H(V(c,d),e))"},
        {{"a", "b", "c", "d"}, 16.0 / 9.0, true, "H(V(a,b),H(V(c,d),D))"},
        {{"a", "b", "c"}, 4.0, false, "H(a,H(b,c))"},
        {{}, 1.5, true, "D"},
        {{}, 1.5, false, "D"},
    };
    for (const auto& c : cases) {
        const LayoutNode tree = LayoutNode::grid(c.keys, c.aspect, c.desktop);
        EXPECT_EQ(shape(tree), c.expected);
        expectFreshIDs(tree);
    }
    // The column chain shares the width evenly: 3 columns give 1/3 then 1/2.
    const LayoutNode five = LayoutNode::grid({"a", "b", "c", "d", "e"}, 16.0 / 9.0, false);
    EXPECT_DOUBLE_EQ(five.ratio, 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(five.children[1].ratio, 0.5);
    // Degenerate aspects still build a tree.
    EXPECT_EQ(LayoutNode::grid({"a", "b", "c"}, 0, false).allWindows().size(), 3u);
    EXPECT_EQ(LayoutNode::grid({"a", "b", "c"}, std::nan(""), false).allWindows().size(), 3u);
}

TEST(LayoutNodeBuilders, EvenChainGivesEachNodeAnEqualShare) {
    EXPECT_EQ(LayoutNode::even({}, SplitAxis::horizontal), LayoutNode::desktop());
    EXPECT_EQ(LayoutNode::even({leaf("x", {"a"})}, SplitAxis::horizontal), leaf("x", {"a"}));
    const LayoutNode three =
        LayoutNode::even({leaf("x", {"a"}), leaf("y", {"b"}), leaf("z", {"c"})}, SplitAxis::vertical);
    EXPECT_EQ(shape(three), "V(a,V(b,c))");
    EXPECT_DOUBLE_EQ(three.ratio, 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(three.children[1].ratio, 0.5);
    EXPECT_EQ(three.children[0].id, "x");  // given nodes are kept as they are
}

TEST(LayoutNodeBuilders, EveryCallMakesNewIDs) {
    const std::vector<std::string> keys{"a", "b", "c"};
    EXPECT_NE(LayoutNode::dwindle(keys, true, false), LayoutNode::dwindle(keys, true, false));
    EXPECT_NE(LayoutNode::grid(keys, 1.5, false), LayoutNode::grid(keys, 1.5, false));
    std::set<std::string> ids;
    for (int i = 0; i < 1000; ++i)
        ids.insert(LayoutNode::split(leaf("x", {}), leaf("y", {}), SplitAxis::horizontal, 0.5).id);
    EXPECT_EQ(ids.size(), 1000u);
}
