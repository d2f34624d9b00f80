// SPDX-License-Identifier: MIT
// The drop hit test: the edge band, the tile zones, the refusals and the previews.
#include "ArveloCore/Docking.h"
#include "ArveloCore/SpatialLayout.h"
#include "TreeHelpers.h"

#include <gtest/gtest.h>

using arvelo::DockDestination;
using arvelo::DockEdge;
using arvelo::LayoutNode;
using arvelo::Point;
using arvelo::Rect;
using arvelo::Tile;
using arvelo::Docking::destination;
using arvelo::Docking::preview;
using namespace treehelpers;

namespace {

const Rect kArea(0, 0, 1000, 800);

Tile tile(std::string id, Rect frame, std::vector<std::string> windows) {
    Tile t;
    t.nodeID = std::move(id);
    t.selected = windows.empty() ? "desktop" : windows.front();
    t.windows = std::move(windows);
    t.frame = frame;
    return t;
}

// root = split(A[a], B[b, c]) laid out as two halves of the area.
const LayoutNode kTree = split("root", leaf("A", {"a"}), leaf("B", {"b", "c"}));
const std::vector<Tile> kTiles{tile("A", {0, 0, 500, 800}, {"a"}), tile("B", {500, 0, 500, 800}, {"b", "c"})};

std::optional<DockDestination> drop(Point at, const std::string& source, const LayoutNode& root = kTree,
                                    const std::vector<Tile>& tiles = kTiles) {
    return destination(at, source, root, tiles, kArea);
}

}  // namespace

TEST(Docking, PreviewsOfEachEdge) {
    const Rect frame(0, 0, 1000, 600);
    const struct {
        DockEdge edge;
        Rect expected;
    } cases[] = {
        {DockEdge::left, {0, 0, 500, 600}},   {DockEdge::right, {500, 0, 500, 600}},
        {DockEdge::top, {0, 0, 1000, 300}},   {DockEdge::bottom, {0, 300, 1000, 300}},
        {DockEdge::tab, {150, 90, 700, 420}},
    };
    for (const auto& c : cases) EXPECT_EQ(preview(frame, c.edge), c.expected) << arvelo::rawValue(c.edge);
    EXPECT_EQ(preview({100, 50, 200, 100}, DockEdge::right), Rect(200, 50, 100, 100));
}

TEST(Docking, EdgeBandDocksBesideTheWholeLayout) {
    const struct {
        Point at;
        std::optional<DockEdge> edge;  // absent: not the band
    } cases[] = {
        {{10, 10}, DockEdge::left},     // a tie with the top: left first
        {{990, 780}, DockEdge::right},  // 10 from the right, 20 from the bottom
        {{400, 5}, DockEdge::top},     {{400, 790}, DockEdge::bottom},
        {{990, 790}, DockEdge::right},                             // a tie with the bottom: right first
        {{31.5, 400}, DockEdge::left}, {{32, 400}, std::nullopt},  // exactly 32 points is outside the band
    };
    for (const auto& c : cases) {
        const auto found = drop(c.at, "x");
        ASSERT_TRUE(found.has_value()) << arvelo::toString(c.at);
        if (c.edge) {
            EXPECT_EQ(found->nodeID, "root");
            EXPECT_EQ(found->edge, *c.edge);
            EXPECT_EQ(found->preview, preview(kArea, *c.edge));
        } else {
            EXPECT_EQ(found->nodeID, "A");
        }
    }
}

TEST(Docking, TileZones) {
    // Tile A is (0, 0, 500, 800) and B is (500, 0, 500, 800).
    const struct {
        Point at;
        const char* node;
        DockEdge edge;
    } cases[] = {
        {{100, 400}, "A", DockEdge::left},                                       // fx 0.2
        {{125, 400}, "A", DockEdge::tab},                                        // fx 0.25 is not left
        {{250, 100}, "A", DockEdge::top},                                        // fy 0.125
        {{250, 200}, "A", DockEdge::tab},                                        // fy 0.25 is not top
        {{250, 600}, "A", DockEdge::tab},                                        // fy 0.75 is not bottom
        {{250, 700}, "A", DockEdge::bottom},                                     // fy 0.875
        {{250, 400}, "A", DockEdge::tab},    {{875, 400}, "B", DockEdge::tab},   // fx 0.75 is not right
        {{900, 400}, "B", DockEdge::right},  {{100, 100}, "A", DockEdge::left},  // the sides win over top and bottom
    };
    for (const auto& c : cases) {
        const auto found = drop(c.at, "x");
        ASSERT_TRUE(found.has_value()) << arvelo::toString(c.at);
        const Tile& hit = c.node == std::string("A") ? kTiles[0] : kTiles[1];
        EXPECT_EQ(found, (DockDestination{c.node, c.edge, preview(hit.frame, c.edge)})) << arvelo::toString(c.at);
    }
}

TEST(Docking, DesktopTileSplitsInsteadOfTabbing) {
    const LayoutNode tree = split("root", leaf("A", {"a"}), LayoutNode::desktop());
    const std::vector<Tile> tiles{tile("A", {0, 0, 500, 800}, {"a"}), tile("desktop", {500, 0, 500, 800}, {})};
    EXPECT_EQ(drop({740, 400}, "x", tree, tiles)->edge, DockEdge::left);
    EXPECT_EQ(drop({750, 400}, "x", tree, tiles)->edge, DockEdge::right);
    EXPECT_EQ(drop({750, 400}, "x", tree, tiles)->nodeID, "desktop");
}

TEST(Docking, TheDraggedWindowCannotDockOnItselfAlone) {
    // Own single tile: nothing, anywhere on it.
    EXPECT_EQ(drop({250, 400}, "a"), std::nullopt);
    EXPECT_EQ(drop({100, 400}, "a"), std::nullopt);
    // Its tab group: the middle gives nothing, an outer quarter pulls it out beside the group.
    EXPECT_EQ(drop({750, 400}, "b"), std::nullopt);
    EXPECT_EQ(drop({950, 400}, "b")->edge, DockEdge::right);
    EXPECT_EQ(drop({750, 100}, "b")->nodeID, "B");

    // A tree holding only the dragged window: the band does not apply, its tile refuses.
    const LayoutNode alone = leaf("A", {"a"});
    const std::vector<Tile> aloneTiles{tile("A", {0, 0, 1000, 800}, {"a"})};
    EXPECT_EQ(drop({5, 400}, "a", alone, aloneTiles), std::nullopt);
    // A tree holding only the desktop leaf: the band applies.
    EXPECT_EQ(drop({5, 400}, "a", LayoutNode::desktop(), {})->nodeID, "desktop");
    EXPECT_EQ(drop({5, 400}, "a", LayoutNode("E", {}), {}), std::nullopt);
}

TEST(Docking, RefusalEndsTheSearchAndOutsidePointsYieldNothing) {
    const std::vector<Tile> overlapping{tile("A", {0, 0, 600, 800}, {"a"}), tile("B", {400, 0, 600, 800}, {"b"})};
    EXPECT_EQ(drop({500, 400}, "a", kTree, overlapping), std::nullopt);
    EXPECT_EQ(drop({500, 400}, "b", kTree, overlapping)->nodeID, "A");

    EXPECT_EQ(destination({1200, 400}, "x", kTree, {tile("A", {0, 0, 2000, 800}, {"a"})}, kArea), std::nullopt);
    EXPECT_EQ(drop({1000, 400}, "x"), std::nullopt);  // the area's right edge is outside it
    EXPECT_EQ(drop({400, 400}, "x", kTree, {}), std::nullopt);
}

TEST(Docking, SolvedTilesOfAFixtureLikeDisplay) {
    // A point 3 points inside the left edge docks beside the whole layout; a tile's centre tabs.
    const Rect area(0, 25, 960, 1055);
    const LayoutNode tree = LayoutNode::dwindle({"w1", "w2"}, false, false);
    const auto result = arvelo::SpatialLayout::layout(tree, area, arvelo::SpatialLayout::world, {}, {}, 8);
    const auto edge = destination({3, 500}, "w3", tree, result.tiles, area);
    EXPECT_EQ(edge, (DockDestination{tree.id, DockEdge::left, {0, 25, 480, 1055}}));
    const Rect second = result.tiles[1].frame;
    const auto centre = destination({second.midX(), second.midY()}, "w3", tree, result.tiles, area);
    EXPECT_EQ(centre, (DockDestination{result.tiles[1].nodeID, DockEdge::tab, preview(second, DockEdge::tab)}));
}
