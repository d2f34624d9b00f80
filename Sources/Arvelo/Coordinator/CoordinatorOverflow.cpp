// CoordinatorOverflow.cpp: overflow tabbing, called by apply() after each pass. When a display
// has more windows than its area holds at their minimum sizes, one single-window tile moves into
// another tile's tab group (that tile's window stays in front) so the others grow; when a window
// moved that way would fit in a tile of its own again, it is taken back out.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>

namespace arvelo {

namespace {

// A tile's window area below this is small, whatever its window's minimum.
constexpr double kSmallWidth = 300.0;
constexpr double kSmallHeight = 200.0;

double area(const Rect& r) { return r.width * r.height; }

// What a solved layout costs: tiles too small for their window, then tiles that show a picture
// (too small, or a miniature); compared in that order.
struct Cost {
    int misfits = 0;
    int pictures = 0;
    friend bool operator<(const Cost& a, const Cost& b) {
        return a.misfits < b.misfits || (a.misfits == b.misfits && a.pictures < b.pictures);
    }
};

}  // namespace

bool Coordinator::tabOverflow() {
    if (!autoTile.get() || resizingSeam || chromeDragging || displays->empty()) return false;
    const auto costOf = [this](const LayoutResult& result) {
        Cost cost;
        for (const auto& tile : result.tiles) {
            if (tile.windows.empty()) continue;
            const bool misfits = misfit(tile);
            cost.misfits += misfits ? 1 : 0;
            cost.pictures += misfits || tile.miniature ? 1 : 0;
        }
        return cost;
    };
    bool changed = false;
    for (const auto& display : displays.get()) {
        const auto stateIt = states->find(display.id);
        // A focused or zoomed view is left alone.
        if (stateIt == states->end() || stateIt->second.focus || stateIt->second.camera) continue;
        const LayoutNode stored = stateIt->second.root;
        const LayoutResult current = layout(display.id);
        const Cost baseline = costOf(current);
        if (baseline.misfits < 1) continue;

        std::vector<const Tile*> candidates;
        for (const auto& tile : current.tiles) {
            if (tile.windows.size() != 1 || userPlaced.contains(tile.windows.front())) continue;
            const Rect frame = tile.windowFrame();
            if (misfit(tile) || frame.width < kSmallWidth || frame.height < kSmallHeight) candidates.push_back(&tile);
        }
        std::stable_sort(candidates.begin(), candidates.end(), [this](const Tile* a, const Tile* b) {
            const bool aMisfits = misfit(*a), bMisfits = misfit(*b);
            if (aMisfits != bMisfits) return aMisfits;
            return area(a->frame) < area(b->frame);
        });

        std::optional<LayoutNode> bestRoot;
        Cost bestCost;
        std::string bestKey;
        for (const Tile* candidate : candidates) {
            const std::string& key = candidate->windows.front();
            for (const auto& target : current.tiles) {
                if (target.nodeID == candidate->nodeID || target.windows.empty() || target.miniature || misfit(target))
                    continue;
                LayoutNode edited = stored;
                if (!edited.dock(key, target.nodeID, DockEdge::tab)) continue;
                const auto holder = edited.leaf(key);
                if (!holder) continue;
                // The target's window stays in front; the moved window becomes a hidden tab.
                const std::string shown = target.selected;
                edited.edit(holder->id, [&](LayoutNode& node) { node.selected = shown; });
                const Cost cost = costOf(layout(display.id, false, std::nullopt, edited));
                if (!bestRoot || cost < bestCost) {
                    bestRoot = std::move(edited);
                    bestCost = cost;
                    bestKey = key;
                }
            }
        }
        if (!bestRoot || !(bestCost < baseline)) continue;
        if (states->contains(display.id))
            states.modify([&](auto& all) { all[display.id].root = std::move(*bestRoot); });
        autoTabbed.insert(bestKey);
        changed = true;
    }
    return changed;
}

bool Coordinator::untabOverflow() {
    if (!autoTile.get() || resizingSeam || chromeDragging) return false;
    for (const auto& display : displays.get()) {
        const auto stateIt = states->find(display.id);
        if (stateIt == states->end() || stateIt->second.focus || stateIt->second.camera) continue;
        const LayoutNode stored = stateIt->second.root;
        // Keys in ascending order; the set may shrink on the way.
        const std::vector<std::string> keys(autoTabbed.begin(), autoTabbed.end());
        for (const auto& key : keys) {
            const auto leaf = stored.leaf(key);
            if (!leaf) continue;
            if (leaf->windows.size() < 2) {
                // Its tab group has dissolved.
                autoTabbed.erase(key);
                continue;
            }
            LayoutNode edited = stored;
            edited.remove(key);
            const LayoutResult without = layout(display.id, false, std::nullopt, edited);
            const Tile* largest = nullptr;
            for (const auto& tile : without.tiles)
                if (!tile.windows.empty() && (!largest || area(tile.frame) > area(largest->frame))) largest = &tile;
            if (!largest) continue;
            const DockEdge edge = largest->frame.height <= largest->frame.width ? DockEdge::right : DockEdge::bottom;
            if (!edited.dock(key, largest->nodeID, edge)) continue;
            const LayoutResult after = layout(display.id, false, std::nullopt, edited);
            const bool fits = std::none_of(after.tiles.begin(), after.tiles.end(), [this](const Tile& tile) {
                return !tile.windows.empty() && (misfit(tile) || tile.miniature);
            });
            if (!fits) continue;
            states.modify([&](auto& all) { all[display.id].root = std::move(edited); });
            autoTabbed.erase(key);
            return true;
        }
    }
    return false;
}

}  // namespace arvelo
