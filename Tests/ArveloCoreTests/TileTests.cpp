// SPDX-License-Identifier: MIT
// Tiles' tab strips and window frames, the overlap test and the screen-space flip.
#include "ArveloCore/LayoutEngine.h"
#include "ArveloCore/LayoutResult.h"
#include "ArveloCore/ScreenCoordinates.h"

#include <gtest/gtest.h>

using arvelo::LayoutResult;
using arvelo::Rect;
using arvelo::Tile;

namespace {

Tile tile(Rect frame, std::vector<std::string> windows) {
    Tile t;
    t.nodeID = "n";
    t.selected = windows.empty() ? "desktop" : windows.front();
    t.windows = std::move(windows);
    t.frame = frame;
    return t;
}

}  // namespace

TEST(Tile, TabStripScalesDownForSmallTiles) {
    const struct {
        Rect frame;
        std::vector<std::string> windows;
        double strip;
    } cases[] = {
        {{0, 0, 960, 640}, {"a", "b"}, 36},   {{0, 0, 480, 320}, {"a", "b"}, 36},
        {{0, 0, 240, 640}, {"a", "b"}, 18},    // s = 0.5
        {{0, 0, 100, 100}, {"a", "b"}, 14.4},  // s below 0.4: floored
        {{0, 0, 960, 640}, {"a"}, 0},         {{0, 0, 960, 640}, {}, 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(tile(c.frame, c.windows).tabHeight(), c.strip) << arvelo::toString(c.frame);
}

TEST(Tile, WindowFrameSitsBelowTheStripAndIsAtLeastOnePointHigh) {
    EXPECT_EQ(tile({0, 0, 960, 640}, {"a", "b"}).windowFrame(), Rect(0, 36, 960, 604));
    EXPECT_EQ(tile({10, 20, 300, 0.5}, {"a"}).windowFrame(), Rect(10, 20, 300, 1));
    EXPECT_EQ(tile({0, 0, 100, 10}, {"a", "b"}).windowFrame(), Rect(0, 14.4, 100, 1));
}

TEST(Tile, DefaultsAndConstants) {
    EXPECT_FALSE(Tile{}.miniature);
    EXPECT_FALSE(Tile{}.collapsed);
    EXPECT_EQ(arvelo::LayoutEngine::headerHeight, 36);
    EXPECT_EQ(arvelo::LayoutEngine::defaultMinimum, (arvelo::Size{160, 100}));
    EXPECT_EQ(arvelo::LayoutEngine::nativeFloor, (arvelo::Size{80, 60}));
}

TEST(LayoutResult, OverlapIgnoresTouchingAndHairlineOverlaps) {
    const Rect base(0, 0, 100, 100);
    const struct {
        Rect other;
        bool overlaps;
    } cases[] = {
        {{100, 0, 100, 100}, false},  // shares an edge
        {{99, 0, 100, 100}, false},   // 1 point in one direction
        {{99, 99, 100, 100}, false},  // 1 point both ways
        {{98, 98, 100, 100}, true},   // 2 points both ways
        {{98, 99, 100, 100}, false},  // 2 by 1
        {{300, 300, 10, 10}, false},
    };
    for (const auto& c : cases) {
        const LayoutResult result{{tile(base, {"a"}), tile(c.other, {"b"})}, {}};
        EXPECT_EQ(result.hasOverlap(), c.overlaps) << arvelo::toString(c.other);
    }
    EXPECT_FALSE(LayoutResult{}.hasOverlap());
    // Any pair counts, not only neighbours in the array.
    EXPECT_TRUE((LayoutResult{
        {tile(base, {"a"}), tile({500, 0, 10, 10}, {"b"}), tile({50, 50, 10, 10}, {"c"})},
        {}}.hasOverlap()));
}

TEST(ScreenCoordinates, FlipsBetweenSpacesAndStandardises) {
    using namespace arvelo::ScreenCoordinates;
    EXPECT_EQ(bottomLeftRect({10, 20, 100, 50}, 1000), Rect(10, 930, 100, 50));
    EXPECT_EQ(topLeftRect({10, 930, 100, 50}, 1000), Rect(10, 20, 100, 50));
    EXPECT_EQ(bottomLeftRect({110, 70, -100, -50}, 1000), Rect(10, 930, 100, 50));
    EXPECT_EQ(topLeftRect(bottomLeftRect({110, 70, -100, -50}, 1000), 1000), Rect(10, 20, 100, 50));
}
