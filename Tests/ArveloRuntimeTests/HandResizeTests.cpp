// SPDX-License-Identifier: MIT
// HandResizeTests.cpp: a hand resize on plain trees: which edges become seam moves and where
// in the world they land, which split each move takes, and which window makes room.
#include <gtest/gtest.h>

#include "../ArveloCoreTests/TreeHelpers.h"
#include "Arvelo/Coordinator/HandResize.h"

using namespace arvelo;
using HandResize::SeamMove;
using treehelpers::leaf;
using treehelpers::split;

namespace {

// a's column, then c's and d's sharing the rest (c's share `ratio`).
LayoutNode threeColumns(double rootRatio = 0.5, double ratio = 0.5) {
    return split("root", leaf("A", {"a"}),
                 split("right", leaf("C", {"c"}), leaf("D", {"d"}), SplitAxis::horizontal, ratio),
                 SplitAxis::horizontal, rootRatio);
}

double ratioOf(const LayoutNode& root, const std::string& id) { return root.node(id)->ratio; }

TEST(HandResize, EdgesThatMovedMoreThanFourPointsBecomeSeamMovesInTheWorld) {
    // A 1000 x 800 visible frame with a gap of 8: the area is (4, 4, 992, 792); the camera shows
    // the whole world. The window sits under a 20-point tab strip.
    const LayoutArea area = LayoutArea::of({0, 0, 1000, 800}, 8);
    const Rect current{104, 124, 400, 300};
    const auto movesFor = [&](const Rect& requested) {
        return HandResize::seamMoves(requested, current, 20, area, SpatialLayout::world);
    };
    EXPECT_TRUE(movesFor({108, 128, 392, 292}).empty()) << "every edge moved by exactly 4 points";
    EXPECT_TRUE(movesFor({106, 122, 401, 301}).empty());

    const auto moves = movesFor({154, 24, 550, 500});
    ASSERT_EQ(moves.size(), 4u);
    const auto x = [](double screenX) { return (screenX - 4) / 992; };
    const auto y = [](double screenY) { return (screenY - 4) / 792; };
    EXPECT_EQ(moves[0], (SeamMove{SplitAxis::horizontal, true, x(154 - 4)}));
    EXPECT_EQ(moves[1], (SeamMove{SplitAxis::horizontal, false, x(704 + 4)}));
    EXPECT_EQ(moves[2], (SeamMove{SplitAxis::vertical, true, y(24 - 20 - 4)})) << "the tab strip is part of the tile";
    EXPECT_EQ(moves[3], (SeamMove{SplitAxis::vertical, false, y(524 + 4)}));

    // Through a camera on the right half of the world.
    const auto zoomed = HandResize::seamMoves({104, 124, 500, 300}, current, 0, area, {0.5, 0, 0.5, 1});
    ASSERT_EQ(zoomed.size(), 1u);
    EXPECT_DOUBLE_EQ(zoomed[0].position, 0.5 + (608.0 - 4) * 0.5 / 992);
}

TEST(HandResize, EachMoveTakesTheNearestSplitOnTheWindowsSide) {
    struct Case {
        const char* name;
        std::vector<SeamMove> moves;
        double rootRatio;
        double rightRatio;
    };
    // c's column spans 0.5...0.75 of the world.
    const Case cases[] = {
        {"left edge: the root's seam", {{SplitAxis::horizontal, true, 0.4}}, 0.4, 0.5},
        {"right edge: its own split's seam", {{SplitAxis::horizontal, false, 0.8}}, 0.5, 0.6},
        {"clamped", {{SplitAxis::horizontal, false, 0.999}}, 0.5, 0.95},
        {"no split of that axis", {{SplitAxis::vertical, true, 0.3}}, 0.5, 0.5},
        // The second move sees the first one's ratio: c's column then starts at 0.4.
        {"in order", {{SplitAxis::horizontal, true, 0.4}, {SplitAxis::horizontal, false, 0.8}}, 0.4, (0.8 - 0.4) / 0.6},
    };
    for (const auto& c : cases) {
        LayoutNode root = threeColumns();
        HandResize::placeSeams(root, c.moves, {}, "c");
        EXPECT_DOUBLE_EQ(ratioOf(root, "root"), c.rootRatio) << c.name;
        EXPECT_DOUBLE_EQ(ratioOf(root, "right"), c.rightRatio) << c.name;
    }

    // A window at the screen's left border has no seam for its left edge.
    LayoutNode root = threeColumns();
    HandResize::placeSeams(root, {{SplitAxis::horizontal, true, 0.2}}, {}, "a");
    EXPECT_EQ(root, threeColumns());
}

TEST(HandResize, ASqueezedWindowBecomesAHiddenTabOfAnotherPane) {
    const Rect screen{0, 0, 1200, 800};
    std::map<std::string, Size> minimum{{"c", {400, 200}}};
    const auto solve = [&](const LayoutNode& root) {
        return SpatialLayout::layout(root, screen, SpatialLayout::world, {}, {}, 0, screen.size());
    };
    const auto misfit = [&](const Tile& tile) {
        const auto it = minimum.find(tile.selected);
        return it != minimum.end() && tile.windowFrame().width + 2 < it->second.width;
    };
    // a was widened to 60 %: c and d have 240 points each, c needs 400.
    const LayoutNode root = threeColumns(0.6);
    const LayoutResult plain = solve(root);

    const auto moved = HandResize::roomMove(root, plain, "a", {}, solve, misfit);
    ASSERT_TRUE(moved);
    const auto group = moved->leaf("c");
    EXPECT_EQ(group->windows, (std::vector<std::string>{"d", "c"})) << "never into the resized window's pane";
    EXPECT_EQ(group->selected, "d");

    EXPECT_FALSE(HandResize::roomMove(root, plain, "a", {"c"}, solve, misfit)) << "kept where it is";
    EXPECT_FALSE(HandResize::roomMove(root, plain, "c", {}, solve, misfit)) << "the resized window itself";
    minimum.clear();
    EXPECT_FALSE(HandResize::roomMove(root, plain, "a", {}, solve, misfit)) << "everything fits";
}

}  // namespace
