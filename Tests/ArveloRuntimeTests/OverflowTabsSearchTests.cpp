// SPDX-License-Identifier: MIT
// OverflowTabsSearchTests.cpp: the overflow searches on plain trees, solved by the real solver
// on a bare screen without gap: which window is tabbed away and behind which tile, which tab
// gets a tile of its own again and where, and what is never moved.
#include <gtest/gtest.h>

#include "../ArveloCoreTests/TreeHelpers.h"
#include "Arvelo/Coordinator/OverflowTabs.h"
#include "ArveloCore/SpatialLayout.h"

using namespace arvelo;
using treehelpers::leaf;
using treehelpers::split;

namespace {

// A screen and the windows' minimum sizes; tiles are judged against those minimums with the
// same 2-point tolerance the arranger uses.
struct Scene {
    Rect screen{0, 0, 1200, 800};
    std::map<std::string, Size> minimum;

    OverflowTabs::Solve solve() const {
        return [this](const LayoutNode& root) {
            return SpatialLayout::layout(root, screen, SpatialLayout::world, {}, {}, 0, screen.size());
        };
    }
    OverflowTabs::Misfit misfit() const {
        return [this](const Tile& tile) {
            const auto it = minimum.find(tile.selected);
            if (tile.windows.empty() || it == minimum.end()) return false;
            const Rect frame = tile.windowFrame();
            return frame.width + 2 < it->second.width || frame.height + 2 < it->second.height;
        };
    }
    std::optional<OverflowTabs::Move> tabMove(const LayoutNode& root, std::set<std::string> userPlaced = {}) const {
        return OverflowTabs::tabMove(root, solve(), misfit(), userPlaced);
    }
    OverflowTabs::Untab untabMove(const LayoutNode& root, std::set<std::string> tabbed) const {
        return OverflowTabs::untabMove(root, solve(), misfit(), tabbed);
    }
};

// A tab group showing its first window.
LayoutNode group(std::string id, std::vector<std::string> windows) {
    std::string shown = windows.front();
    return LayoutNode(std::move(id), std::move(windows), std::move(shown));
}

// a takes half the screen; c and d share the other half (c's share is `ratio`).
LayoutNode threeColumns(double ratio = 0.5) {
    return split("root", leaf("A", {"a"}),
                 split("right", leaf("C", {"c"}), leaf("D", {"d"}), SplitAxis::horizontal, ratio));
}

TEST(OverflowTabsSearch, AMisfitBecomesAHiddenTabOfTheFirstTileThatFits) {
    Scene scene;
    scene.minimum = {{"d", {500, 300}}};  // 300 points wide in its own column: too narrow
    const auto move = scene.tabMove(threeColumns());
    ASSERT_TRUE(move);
    EXPECT_EQ(move->key, "d");
    const auto group = move->root.leaf("d");
    ASSERT_TRUE(group);
    EXPECT_EQ(group->windows, (std::vector<std::string>{"a", "d"}));
    EXPECT_EQ(group->selected, "a") << "the tile keeps showing its own window";
    EXPECT_EQ(OverflowTabs::cost(scene.solve()(move->root), scene.misfit()), OverflowTabs::Cost{});
}

TEST(OverflowTabsSearch, AmongEqualMovesMisfitsGoFirstThenTheSmallerTile) {
    struct Case {
        const char* name;
        double ratio;  // c's share of the right half
        std::map<std::string, Size> minimum;
        const char* moved;
    };
    const Case cases[] = {
        {"equal misfits: tile order", 0.5, {{"c", {500, 300}}, {"d", {500, 300}}}, "c"},
        {"equal misfits: the smaller tile", 0.6, {{"c", {500, 300}}, {"d", {500, 300}}}, "d"},
        {"a misfit before a smaller tile that fits", 0.3, {{"d", {500, 300}}}, "d"},
    };
    for (const auto& c : cases) {
        Scene scene;
        scene.minimum = c.minimum;
        const auto move = scene.tabMove(threeColumns(c.ratio));
        ASSERT_TRUE(move) << c.name;
        EXPECT_EQ(move->key, c.moved) << c.name;
    }
}

TEST(OverflowTabsSearch, NothingMovesWithoutAMisfitOrWhenOnlyHandPlacedWindowsMisfit) {
    Scene scene;
    // Five columns of 240 points: small, but every window fits.
    LayoutNode narrow = leaf("K1", {"k1"});
    for (int i = 2; i <= 5; ++i)
        narrow = split("S" + std::to_string(i), std::move(narrow),
                       leaf("K" + std::to_string(i), {"k" + std::to_string(i)}), SplitAxis::horizontal, (i - 1.0) / i);
    EXPECT_FALSE(scene.tabMove(narrow));

    scene.minimum = {{"d", {500, 300}}};
    EXPECT_FALSE(scene.tabMove(threeColumns(), {"d"})) << "the user put d there";
    // c is small (180 points) but not hand-placed: tabbing it away gives d room.
    const auto move = scene.tabMove(threeColumns(0.3), {"d"});
    ASSERT_TRUE(move);
    EXPECT_EQ(move->key, "c");
}

TEST(OverflowTabsSearch, ATabGetsATileOfItsOwnBesideTheLargestTile) {
    struct Case {
        double screenWidth;
        SplitAxis axis;  // of the split that now holds a and c
    };
    // The largest tile is a's half: portrait on 1200 x 800 (c goes below), landscape on
    // 2400 x 800 (c goes right).
    for (const Case& c : {Case{1200, SplitAxis::vertical}, Case{2400, SplitAxis::horizontal}}) {
        Scene scene;
        scene.screen = {0, 0, c.screenWidth, 800};
        scene.minimum = {{"c", {300, 200}}};
        const auto root = split("root", group("A", {"a", "c"}), leaf("B", {"b"}));
        const auto found = scene.untabMove(root, {"c"});
        ASSERT_TRUE(found.move) << c.screenWidth;
        EXPECT_EQ(found.move->key, "c");
        EXPECT_TRUE(found.dissolved.empty());
        const auto parent = found.move->root.parent(found.move->root.leaf("c")->id);
        ASSERT_TRUE(parent);
        EXPECT_EQ(parent->axis, c.axis) << c.screenWidth;
        EXPECT_EQ(parent->children[0].windows, (std::vector<std::string>{"a"}));
    }
}

TEST(OverflowTabsSearch, ATabStaysWhenItsOwnTileWouldNotFit) {
    Scene scene;
    scene.minimum = {{"c", {1000, 300}}};
    const auto found = scene.untabMove(split("root", group("A", {"a", "c"}), leaf("B", {"b"})), {"c"});
    EXPECT_FALSE(found.move);
    EXPECT_TRUE(found.dissolved.empty());
}

TEST(OverflowTabsSearch, KeysAreTriedInOrderUntilOneMoves) {
    Scene scene;
    const auto root = split("root", group("A", {"a", "c", "d"}), split("right", leaf("B", {"b"}), leaf("E", {"e"})));

    // "b" is alone in its leaf (its group dissolved), "q" is on no tile here, "c" moves, and
    // "d" and "e" are not looked at.
    const auto found = scene.untabMove(root, {"b", "c", "d", "e", "q"});
    ASSERT_TRUE(found.move);
    EXPECT_EQ(found.move->key, "c");
    EXPECT_EQ(found.dissolved, (std::set<std::string>{"b"}));
    EXPECT_EQ(found.move->root.leaf("d")->windows, (std::vector<std::string>{"a", "d"}));
}

}  // namespace
