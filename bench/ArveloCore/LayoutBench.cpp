// SPDX-License-Identifier: MIT
// Speed of the layout model's hot paths: solving a large tree for one display, the drop hit
// test over a full display of tiles, and the JSON round trip of a large tree.
#include "ArveloCore/Docking.h"
#include "ArveloCore/LayoutNode.h"
#include "ArveloCore/SpatialLayout.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace arvelo;

std::vector<std::string> keys(int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back("4242:" + std::to_string(1000 + i) + ":" + std::to_string(7919 * i));
    return out;
}

const Rect kScreen(0, 25, 2560, 1415);

void BM_SolveDwindle1000(benchmark::State& state) {
    const std::vector<std::string> windows = keys(1000);
    const LayoutNode tree = LayoutNode::dwindle(windows, true, state.range(0) != 0);
    SpatialLayout::SizeTable minimums, sizes;
    for (const std::string& key : windows) {
        minimums[key] = {300, 200};
        sizes[key] = {640, 480};
    }
    for (auto _ : state) {
        LayoutResult result = SpatialLayout::layout(tree, kScreen, SpatialLayout::world, sizes, minimums, 8);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_SolveDwindle1000)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_SolveDwindle1000NoMinimums(benchmark::State& state) {
    const LayoutNode tree = LayoutNode::dwindle(keys(1000), true, false);
    for (auto _ : state) {
        LayoutResult result = SpatialLayout::layout(tree, kScreen, SpatialLayout::world, {}, {}, 8);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_SolveDwindle1000NoMinimums)->Unit(benchmark::kMicrosecond);

void BM_DockingHitTest100Tiles(benchmark::State& state) {
    const LayoutNode tree = LayoutNode::grid(keys(100), kScreen.width / kScreen.height, false);
    const std::vector<Tile> tiles = SpatialLayout::layout(tree, kScreen, SpatialLayout::world, {}, {}, 8).tiles;
    const Rect last = tiles.back().frame;
    const Point at{last.midX(), last.midY()};  // the last tile: every earlier one is tried first
    for (auto _ : state) {
        auto found = Docking::destination(at, "dragged", tree, tiles, kScreen);
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_DockingHitTest100Tiles);

void BM_JSONRoundTrip1000Nodes(benchmark::State& state) {
    // 500 window leaves, the desktop leaf and 500 splits.
    const LayoutNode tree = LayoutNode::grid(keys(500), 16.0 / 9.0, true);
    for (auto _ : state) {
        LayoutNode back = decodeLayoutNode(encodeLayoutNode(tree));
        benchmark::DoNotOptimize(back);
    }
}
BENCHMARK(BM_JSONRoundTrip1000Nodes)->Unit(benchmark::kMicrosecond);

}  // namespace
