// SPDX-License-Identifier: MIT
// OverflowTabs.cpp: the cost of a layout, the search for the best tab move and the search for
// a tab that fits in a tile of its own again.
#include "Arvelo/Coordinator/OverflowTabs.h"

#include <algorithm>
#include <vector>

namespace arvelo::OverflowTabs {

namespace {

double area(const Rect& r) { return r.width * r.height; }

// Docks `key` as a tab into the target tile's node, keeping the target's window in front.
std::optional<LayoutNode> tabbedInto(const LayoutNode& root, const std::string& key, const Tile& target) {
    LayoutNode edited = root;
    if (!edited.dock(key, target.nodeID, DockEdge::tab)) return std::nullopt;
    const auto holder = edited.leaf(key);
    if (!holder) return std::nullopt;
    const std::string shown = target.selected;
    edited.edit(holder->id, [&](LayoutNode& node) { node.selected = shown; });
    return edited;
}

}  // namespace

Cost cost(const LayoutResult& result, const Misfit& misfit) {
    Cost total;
    for (const auto& tile : result.tiles) {
        if (tile.windows.empty()) continue;
        const bool misfits = misfit(tile);
        total.misfits += misfits ? 1 : 0;
        total.pictures += misfits || tile.miniature ? 1 : 0;
    }
    return total;
}

std::optional<Move> tabMove(const LayoutNode& root, const Solve& solve, const Misfit& misfit,
                            const std::set<std::string>& userPlaced) {
    const LayoutResult current = solve(root);
    const Cost baseline = cost(current, misfit);
    // Small tiles alone never start a move.
    if (baseline.misfits < 1) return std::nullopt;

    // Single-window tiles that misfit or are small, misfits first, then the smaller tile.
    std::vector<const Tile*> candidates;
    for (const auto& tile : current.tiles) {
        if (tile.windows.size() != 1 || userPlaced.contains(tile.windows.front())) continue;
        const Rect frame = tile.windowFrame();
        if (misfit(tile) || frame.width < kSmallWidth || frame.height < kSmallHeight) candidates.push_back(&tile);
    }
    std::stable_sort(candidates.begin(), candidates.end(), [&](const Tile* a, const Tile* b) {
        const bool aMisfits = misfit(*a), bMisfits = misfit(*b);
        if (aMisfits != bMisfits) return aMisfits;
        return area(a->frame) < area(b->frame);
    });

    std::optional<Move> best;
    Cost bestCost;
    for (const Tile* candidate : candidates) {
        const std::string& key = candidate->windows.front();
        for (const auto& target : current.tiles) {
            if (target.nodeID == candidate->nodeID || target.windows.empty() || target.miniature || misfit(target))
                continue;
            auto edited = tabbedInto(root, key, target);
            if (!edited) continue;
            const Cost editedCost = cost(solve(*edited), misfit);
            // A move of equal cost is not taken: the first one found wins.
            if (!best || editedCost < bestCost) {
                best = Move{std::move(*edited), key};
                bestCost = editedCost;
            }
        }
    }
    if (!best || !(bestCost < baseline)) return std::nullopt;
    return best;
}

Untab untabMove(const LayoutNode& root, const Solve& solve, const Misfit& misfit, const std::set<std::string>& tabbed) {
    Untab found;
    for (const auto& key : tabbed) {
        const auto leaf = root.leaf(key);
        if (!leaf) continue;
        if (leaf->windows.size() < 2) {
            found.dissolved.insert(key);
            continue;
        }
        LayoutNode edited = root;
        edited.remove(key);
        const LayoutResult without = solve(edited);
        const Tile* largest = nullptr;
        for (const auto& tile : without.tiles)
            if (!tile.windows.empty() && (!largest || area(tile.frame) > area(largest->frame))) largest = &tile;
        if (!largest) continue;
        const DockEdge edge = largest->frame.height <= largest->frame.width ? DockEdge::right : DockEdge::bottom;
        if (!edited.dock(key, largest->nodeID, edge)) continue;
        const LayoutResult after = solve(edited);
        const bool fits = std::none_of(after.tiles.begin(), after.tiles.end(), [&](const Tile& tile) {
            return !tile.windows.empty() && (misfit(tile) || tile.miniature);
        });
        if (!fits) continue;
        found.move = Move{std::move(edited), key};
        return found;
    }
    return found;
}

}  // namespace arvelo::OverflowTabs
