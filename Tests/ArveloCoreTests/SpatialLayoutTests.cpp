// SPDX-License-Identifier: MIT
// The spatial solver: world rectangles with the ratio clamp and the minimum push, the camera
// projection, and the tiles and seams of whole trees.
#include "ArveloCore/SpatialLayout.h"
#include "TreeHelpers.h"

#include <gtest/gtest.h>

using arvelo::LayoutNode;
using arvelo::LayoutResult;
using arvelo::Rect;
using arvelo::Seam;
using arvelo::SplitAxis;
using arvelo::Tile;
using namespace arvelo::SpatialLayout;
using namespace treehelpers;

namespace {

const Rect kScreen(0, 0, 1000, 800);

LayoutNode pair(double ratio = 0.5, SplitAxis axis = SplitAxis::horizontal) {
    return split("s", leaf("A", {"a"}), leaf("B", {"b"}), axis, ratio);
}

LayoutResult solve(const LayoutNode& root, Rect camera = world, SizeTable minimums = {}, SizeTable sizes = {},
                   double gap = 8, Rect screen = kScreen, std::optional<arvelo::Size> solvingIn = std::nullopt) {
    return layout(root, screen, camera, sizes, minimums, gap, solvingIn);
}

}  // namespace

TEST(SpatialLayout, WorldMinimumsAreFractionsOfTheScreen) {
    const SizeTable table{{"a", {500, 200}}};
    EXPECT_EQ(worldMinimums(table, {1000, 800}).at("a"), (arvelo::Size{0.5, 0.25}));
    EXPECT_TRUE(worldMinimums(table, {0, 800}).empty());
    EXPECT_TRUE(worldMinimums(table, {1000, -1}).empty());
}

TEST(SpatialLayout, RatiosAreClampedBeforeDividing) {
    const struct {
        double ratio;
        double firstWidth;
    } cases[] = {{0.01, 0.05}, {0.05, 0.05}, {0.3, 0.3}, {0.95, 0.95}, {0.99, 0.95}, {-4, 0.05}};
    for (const auto& c : cases) {
        const RectTable placed = rects(pair(c.ratio), {});
        EXPECT_DOUBLE_EQ(placed.at("A").width, c.firstWidth) << c.ratio;
        EXPECT_DOUBLE_EQ(placed.at("B").minX(), c.firstWidth);
        EXPECT_DOUBLE_EQ(placed.at("B").width, 1 - c.firstWidth);
        EXPECT_EQ(placed.at("s"), world);
    }
    const RectTable stacked = rects(pair(0.25, SplitAxis::vertical), {});
    EXPECT_EQ(stacked.at("A"), Rect(0, 0, 1, 0.25));
    EXPECT_EQ(stacked.at("B"), Rect(0, 0.25, 1, 0.75));
}

TEST(SpatialLayout, MinimumsPushTheRatioWhenBothFit) {
    // On 1000 x 800 with gap 8: 692 + 8 and 92 + 8 points are 0.7 and 0.1 of the width.
    const LayoutResult pushed = solve(pair(), world, {{"a", {692, 10}}, {"b", {92, 10}}});
    ASSERT_EQ(pushed.tiles.size(), 2u);
    EXPECT_EQ(pushed.tiles[0].frame, Rect(4, 4, 692, 792));
    EXPECT_EQ(pushed.seams[0].frame, Rect(696, 0, 8, 800));

    // 0.6 + 0.5 cannot both fit: the ratio stays 0.5.
    const LayoutResult stuck = solve(pair(), world, {{"a", {592, 10}}, {"b", {492, 10}}});
    EXPECT_EQ(stuck.tiles[0].frame, Rect(4, 4, 492, 792));

    // The second child's minimum pushes the ratio down, past the usual clamp.
    const RectTable low = rects(pair(0.5), {{"b", {0.98, 0}}});
    EXPECT_NEAR(low.at("A").width, 0.02, 1e-12);

    // Measured against another size when asked: 700 of 2000 points is 0.35, under the ratio.
    const LayoutResult other = solve(pair(), world, {{"a", {692, 10}}}, {}, 8, kScreen, arvelo::Size{2000, 800});
    EXPECT_EQ(other.tiles[0].frame, Rect(4, 4, 492, 792));
}

TEST(SpatialLayout, SubtreeMinimumsAddAlongTheSplitAndTakeTheLargestAcross) {
    // root = H(A, V(B, C)): the vertical pair needs max(0.3, 0.2) = 0.3 of the width.
    const LayoutNode tree =
        split("root", leaf("A", {"a"}), split("v", leaf("B", {"b"}), leaf("C", {"c"}), SplitAxis::vertical),
              SplitAxis::horizontal, 0.9);
    const RectTable placed = rects(tree, {{"b", {0.3, 0.4}}, {"c", {0.2, 0.4}}});
    EXPECT_DOUBLE_EQ(placed.at("A").width, 0.7);
    // Stacked, the pair needs 0.4 + 0.4: B's push is bounded by C's need.
    const LayoutNode stacked = split("root", split("v", leaf("B", {"b"}), leaf("C", {"c"}), SplitAxis::vertical, 0.2),
                                     leaf("A", {"a"}), SplitAxis::vertical, 0.5);
    const RectTable tall = rects(stacked, {{"b", {0, 0.3}}, {"c", {0, 0.3}}, {"a", {0, 0.2}}});
    EXPECT_DOUBLE_EQ(tall.at("v").height, 0.6);
    EXPECT_DOUBLE_EQ(tall.at("B").height, 0.3);
    // The selected tab's minimum stands for its leaf; the desktop leaf needs nothing.
    LayoutNode tabs =
        split("root", LayoutNode("T", {"a", "b"}, "b"), LayoutNode::desktop(), SplitAxis::horizontal, 0.1);
    EXPECT_DOUBLE_EQ(rects(tabs, {{"a", {0.9, 0}}, {"b", {0.4, 0}}}).at("T").width, 0.4);
}

TEST(SpatialLayout, OnlyNodesWithTwoChildrenAreDivided) {
    LayoutNode three = LayoutNode::split(leaf("A", {"a"}), leaf("B", {"b"}), SplitAxis::horizontal, 0.5);
    three.id = "three";
    three.children.push_back(leaf("C", {"c"}));
    const LayoutNode tree = split("root", three, leaf("D", {"d"}));
    const RectTable placed = rects(tree, {{"d", {0.1, 0.1}}});
    EXPECT_TRUE(placed.contains("three"));
    EXPECT_FALSE(placed.contains("A"));
    EXPECT_FALSE(placed.contains("C"));
    EXPECT_EQ(placed.at("D"), Rect(0.5, 0, 0.5, 1));  // the minimum walk skipped the three children

    // Two children without an axis stack like a vertical split but draw no seam.
    LayoutNode noAxis = pair();
    noAxis.axis.reset();
    const LayoutResult result = solve(noAxis);
    EXPECT_EQ(result.tiles[0].frame, Rect(4, 4, 992, 392));
    EXPECT_TRUE(result.seams.empty());
}

TEST(SpatialLayout, RectanglesFollowNodeIDs) {
    // Stored trees may repeat an id: the rectangle stored last under it is the one used.
    const LayoutNode twins = split("root", leaf("X", {"a"}), leaf("X", {"b"}));
    EXPECT_EQ(rects(twins, {}).at("X"), Rect(0.5, 0, 0.5, 1));
    const LayoutResult result = solve(twins);
    ASSERT_EQ(result.tiles.size(), 2u);
    EXPECT_EQ(result.tiles[0].frame, Rect(504, 4, 492, 792));
    EXPECT_EQ(result.tiles[1].frame, Rect(504, 4, 492, 792));
    EXPECT_EQ(result.seams[0].frame, Rect(996, 0, 4, 800));  // clipped at the screen's edge
}

TEST(SpatialLayout, ProjectionRoundTrips) {
    const Rect camera(0.25, 0.1, 0.5, 0.4), screen(100, 50, 1200, 900);
    EXPECT_EQ(project(world, world, {0, 0, 1000, 800}), Rect(0, 0, 1000, 800));
    EXPECT_EQ(project({0.25, 0.1, 0.25, 0.2}, camera, screen), Rect(100, 50, 600, 450));
    const Rect r(0.3, 0.2, 0.125, 0.0625);
    const Rect back = unproject(project(r, camera, screen), camera, screen);
    EXPECT_DOUBLE_EQ(back.x, r.x);
    EXPECT_DOUBLE_EQ(back.y, r.y);
    EXPECT_DOUBLE_EQ(back.width, r.width);
    EXPECT_DOUBLE_EQ(back.height, r.height);
}

TEST(SpatialLayout, SingleWindowAndTwoWindowsSideBySide) {
    const LayoutResult single = solve(leaf("A", {"a"}));
    EXPECT_EQ(single.tiles, (std::vector<Tile>{{"A", {"a"}, "a", {4, 4, 992, 792}, false, false}}));
    EXPECT_TRUE(single.seams.empty());

    const LayoutResult two = solve(pair());
    EXPECT_EQ(two.tiles.size(), 2u);
    EXPECT_EQ(two.tiles[1].frame, Rect(504, 4, 492, 792));
    EXPECT_EQ(two.seams, (std::vector<Seam>{{"s", SplitAxis::horizontal, {496, 0, 8, 800}, {0, 0, 1000, 800}}}));
    EXPECT_FALSE(two.hasOverlap());

    const LayoutResult stacked = solve(pair(0.5, SplitAxis::vertical));
    EXPECT_EQ(stacked.seams[0].frame, Rect(0, 396, 1000, 8));
}

TEST(SpatialLayout, TilesInLeafOrderAndSeamsInPostOrder) {
    const LayoutNode tree = split("root", split("left", leaf("A", {"a"}), leaf("B", {"b"}), SplitAxis::vertical),
                                  split("right", leaf("C", {"c"}), leaf("D", {"d"}), SplitAxis::vertical));
    const LayoutResult result = solve(tree);
    std::vector<std::string> tiles, seams;
    for (const Tile& t : result.tiles) tiles.push_back(t.nodeID);
    for (const Seam& s : result.seams) seams.push_back(s.nodeID);
    EXPECT_EQ(tiles, (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_EQ(seams, (std::vector<std::string>{"left", "right", "root"}));
}

TEST(SpatialLayout, EmptyResults) {
    EXPECT_EQ(solve(LayoutNode::desktop()), LayoutResult{});
    EXPECT_EQ(solve(leaf("E", {})), LayoutResult{});
    EXPECT_EQ(solve(pair(), {0, 0, 0, 1}), LayoutResult{});
    EXPECT_EQ(solve(pair(), {0, 0, 1, -1}), LayoutResult{});
}

TEST(SpatialLayout, DesktopLeafFillingTheCameraShowsNothing) {
    const LayoutNode tree = split("root", LayoutNode::desktop(), leaf("A", {"a"}));
    EXPECT_EQ(solve(tree, {0, 0, 0.5, 1}), LayoutResult{});
    EXPECT_EQ(solve(tree, {0.1, 0.1, 0.2, 0.2}), LayoutResult{});

    const LayoutResult whole = solve(tree, world, {}, {{"a", {5000, 5000}}, {"desktop", {5000, 5000}}});
    ASSERT_EQ(whole.tiles.size(), 2u);
    EXPECT_EQ(whole.tiles[0].nodeID, "desktop");
    EXPECT_EQ(whole.tiles[0].selected, "desktop");
    EXPECT_TRUE(whole.tiles[0].windows.empty());
    EXPECT_FALSE(whole.tiles[0].miniature);
    EXPECT_TRUE(whole.tiles[1].miniature);
}

TEST(SpatialLayout, MiniatureTest) {
    // Left tile (4, 4, 492, 792): a window needing 900 x 300 does not fit its 492-wide frame.
    const LayoutResult tooWide = solve(pair(), world, {}, {{"a", {900, 300}}, {"b", {494, 794}}});
    EXPECT_TRUE(tooWide.tiles[0].miniature);
    EXPECT_FALSE(tooWide.tiles[1].miniature);  // within the 2-point tolerance
    EXPECT_TRUE(solve(pair(), world, {}, {{"b", {495, 10}}}).tiles[1].miniature);

    // The tab strip takes height from the window frame.
    const LayoutResult tabs = solve(LayoutNode("T", {"a", "b"}), world, {}, {{"a", {100, 792}}});
    EXPECT_TRUE(tabs.tiles[0].miniature);

    // Zoomed so each tile is only half on screen.
    const LayoutResult zoomed = solve(pair(), {0.25, 0, 0.5, 1});
    ASSERT_EQ(zoomed.tiles.size(), 2u);
    EXPECT_EQ(zoomed.tiles[0].frame, Rect(0, 4, 496, 792));
    EXPECT_TRUE(zoomed.tiles[0].miniature);
    EXPECT_TRUE(zoomed.tiles[1].miniature);
}

TEST(SpatialLayout, ClippingDropsSlivers) {
    // Screen 1024 wide and a unit-wide camera make every world step an exact number of points.
    const Rect screen(0, 0, 1024, 800);
    const double point = 1.0 / 1024;
    const struct {
        double visible;  // points of the left tile left on screen
        bool tile;
    } tiles[] = {{2, false}, {3, true}};
    for (const auto& c : tiles) {
        const LayoutResult r = solve(pair(), {0.5 - c.visible * point, 0, 1, 1}, {}, {}, 0, screen);
        EXPECT_EQ(r.tiles.size(), c.tile ? 2u : 1u) << c.visible;
    }
    const struct {
        double seamEnd;  // where the split line lies on screen
        bool seam;
    } seams[] = {{-1, false}, {0, true}, {1024, true}, {1025, false}};
    for (const auto& c : seams) {
        const LayoutResult r = solve(pair(), {0.5 - c.seamEnd * point, 0, 1, 1}, {}, {}, 4, screen);
        EXPECT_EQ(r.seams.size(), c.seam ? 1u : 0u) << c.seamEnd;
    }
    // A zoomed camera clips the seam to the screen but keeps the split's whole frame.
    const LayoutResult zoomed = solve(pair(), {0, 0, 0.5, 1});
    ASSERT_EQ(zoomed.seams.size(), 1u);
    EXPECT_EQ(zoomed.seams[0].frame, Rect(996, 0, 4, 800));
    EXPECT_EQ(zoomed.seams[0].parentFrame, Rect(0, 0, 2000, 800));
    EXPECT_EQ(zoomed.tiles.size(), 1u);
}

TEST(SpatialLayout, ScreenOffsetAndSolvedDwindle) {
    const Rect screen(1920, 25, 1280, 775);
    const LayoutResult r = layout(LayoutNode::dwindle({"a", "b", "c"}, true, false), screen, world, {}, {}, 0);
    ASSERT_EQ(r.tiles.size(), 3u);
    EXPECT_EQ(r.tiles[0].frame, Rect(1920, 25, 640, 775));
    EXPECT_EQ(r.tiles[1].frame, Rect(2560, 25, 640, 387.5));
    EXPECT_EQ(r.tiles[2].frame, Rect(2560, 412.5, 640, 387.5));
    EXPECT_TRUE(r.seams.empty());  // without a gap there is no handle to drag
}
