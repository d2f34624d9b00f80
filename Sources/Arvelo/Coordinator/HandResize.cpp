// SPDX-License-Identifier: MIT
// HandResize.cpp: seam moves from a requested frame, placing seams in a tree, and the search
// for a pane that takes in a squeezed window.
#include "Arvelo/Coordinator/HandResize.h"

#include <algorithm>
#include <cmath>

namespace arvelo::HandResize {

namespace {

// A split's extent below this counts as this, so a ratio can always be worked out.
constexpr double kLeastExtent = 0.0001;
constexpr double kLeastRatio = 0.05;
constexpr double kMostRatio = 0.95;

bool holds(const std::vector<std::string>& keys, const std::string& key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

std::vector<SeamMove> seamMoves(const Rect& requested, const Rect& current, double tabHeight, const LayoutArea& area,
                                const Rect& camera) {
    const Rect& screen = area.screen;
    const double half = area.gap * 0.5;
    const auto worldX = [&](double x) { return camera.minX() + (x - screen.minX()) * camera.width / screen.width; };
    const auto worldY = [&](double y) { return camera.minY() + (y - screen.minY()) * camera.height / screen.height; };
    const auto moved = [](double a, double b) { return std::abs(a - b) > kEdgeTolerance; };
    std::vector<SeamMove> moves;
    if (moved(requested.minX(), current.minX()))
        moves.push_back({SplitAxis::horizontal, true, worldX(requested.minX() - half)});
    if (moved(requested.maxX(), current.maxX()))
        moves.push_back({SplitAxis::horizontal, false, worldX(requested.maxX() + half)});
    if (moved(requested.minY(), current.minY()))
        moves.push_back({SplitAxis::vertical, true, worldY(requested.minY() - tabHeight - half)});
    if (moved(requested.maxY(), current.maxY()))
        moves.push_back({SplitAxis::vertical, false, worldY(requested.maxY() + half)});
    return moves;
}

void placeSeams(LayoutNode& root, const std::vector<SeamMove>& moves, const SpatialLayout::SizeTable& worldMinimums,
                const std::string& key) {
    for (const auto& move : moves) {
        const auto rects = SpatialLayout::rects(root, worldMinimums);
        const auto leaf = root.leaf(key);
        if (!leaf) return;
        const auto leafRect = rects.find(leaf->id);
        if (leafRect == rects.end()) return;
        const bool horizontal = move.axis == SplitAxis::horizontal;
        const Rect& r = leafRect->second;
        const double edge =
            horizontal ? (move.leadingEdge ? r.minX() : r.maxX()) : (move.leadingEdge ? r.minY() : r.maxY());
        std::string pathNode = leaf->id;
        for (auto ancestor = root.parent(pathNode); ancestor;
             pathNode = ancestor->id, ancestor = root.parent(pathNode)) {
            if (ancestor->axis != move.axis || ancestor->children.size() != 2) continue;
            const auto own = rects.find(ancestor->id);
            const auto first = rects.find(ancestor->children[0].id);
            if (own == rects.end() || first == rects.end()) continue;
            const std::string& sideChild = ancestor->children[move.leadingEdge ? 1 : 0].id;
            if (sideChild != pathNode) continue;
            const double seam = horizontal ? first->second.maxX() : first->second.maxY();
            if (!(std::abs(seam - edge) < kSeamReach)) continue;
            const double start = horizontal ? own->second.minX() : own->second.minY();
            const double extent = std::max(horizontal ? own->second.width : own->second.height, kLeastExtent);
            const double ratio = std::clamp((move.position - start) / extent, kLeastRatio, kMostRatio);
            root.edit(ancestor->id, [ratio](LayoutNode& node) { node.ratio = ratio; });
            break;
        }
    }
}

std::optional<LayoutNode> roomMove(const LayoutNode& root, const LayoutResult& plain, const std::string& key,
                                   const std::set<std::string>& keep, const SolveLayout& solve,
                                   const TileMisfits& misfit) {
    const auto moving = std::find_if(plain.tiles.begin(), plain.tiles.end(), [&](const Tile& tile) {
        return tile.windows.size() == 1 && tile.selected != key && !keep.contains(tile.selected) && misfit(tile);
    });
    if (moving == plain.tiles.end()) return std::nullopt;
    const std::string movingKey = moving->selected;
    const auto misfits = [&](const LayoutResult& result) {
        return std::count_if(result.tiles.begin(), result.tiles.end(), [&](const Tile& tile) { return misfit(tile); });
    };

    std::optional<LayoutNode> kept;
    std::ptrdiff_t keptMisfits = 0;
    for (const auto& target : solve(root).tiles) {
        if (target.windows.empty() || target.miniature || holds(target.windows, movingKey) ||
            holds(target.windows, key))
            continue;
        LayoutNode candidate = root;
        if (!candidate.dock(movingKey, target.nodeID, DockEdge::tab)) continue;
        // The moved window becomes a hidden tab; the pane keeps showing what it showed.
        if (const auto holder = candidate.leaf(movingKey)) {
            const std::string shownKey = target.selected;
            candidate.edit(holder->id, [&](LayoutNode& node) { node.selected = shownKey; });
        }
        const auto score = misfits(solve(candidate));
        if (!kept || score < keptMisfits) {
            kept = std::move(candidate);
            keptMisfits = score;
        }
    }
    return kept;
}

}  // namespace arvelo::HandResize
