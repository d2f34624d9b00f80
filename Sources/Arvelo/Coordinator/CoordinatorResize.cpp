// SPDX-License-Identifier: MIT
// CoordinatorResize.cpp: following a docked window that the user resized or moved by hand:
// its new frame becomes seam moves (its tile takes the requested edges and its neighbours give
// or take the room), windows the resize squeezed below their minimum are tabbed away, and the
// layout is applied. The moves and searches themselves are HandResize's pure functions.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>

#include "Arvelo/Coordinator/HandResize.h"
#include "ArveloCore/SpatialLayout.h"

namespace arvelo {

namespace {

// makeRoom tabs away at most this many windows.
constexpr int kMakeRoomPasses = 4;

bool holds(const std::vector<std::string>& keys, const std::string& key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

const DisplayInfo* displayWithID(const std::vector<DisplayInfo>& displays, const std::string& id) {
    for (const auto& display : displays)
        if (display.id == id) return &display;
    return nullptr;
}

}  // namespace

void Coordinator::resizeDocked(const std::string& key, const Rect& requested) {
    std::string displayID;
    for (const auto& [id, state] : states.get()) {
        if (!holds(state.root.allWindows(), key)) continue;
        displayID = id;
        break;
    }
    if (displayID.empty()) return;
    const DisplayInfo* display = displayWithID(displays.get(), displayID);
    if (!display) return;
    LayoutNode working = states->at(displayID).root;
    const auto leaf = working.leaf(key);
    if (!leaf) return;

    // A window shown as a miniature cannot be resized this way.
    const LayoutResult shown = layout(displayID);
    const auto tile = std::find_if(shown.tiles.begin(), shown.tiles.end(),
                                   [&](const Tile& t) { return !t.miniature && holds(t.windows, key); });
    if (tile == shown.tiles.end()) return;
    const Rect current = tile->windowFrame();
    const LayoutArea area = layoutArea(*display);
    const auto worldMinimums = area.worldMinimums(minimums());
    const auto rects = SpatialLayout::rects(working, worldMinimums);
    if (rects.empty() || !rects.contains(leaf->id)) return;

    const auto moves = HandResize::seamMoves(requested, current, tile->tabHeight(), area, camera(displayID));
    if (moves.empty()) {
        apply();
        return;
    }

    // Windows that misfit already stay where they are; only newly squeezed ones are tabbed away.
    std::set<std::string> except;
    for (const auto& t : layout(displayID).tiles)
        if (misfit(t)) except.insert(t.selected);

    HandResize::placeSeams(working, moves, worldMinimums, key);
    states.modify([&](auto& all) {
        all[displayID].root = working;
        all[displayID].autoArrange = false;
    });
    makeRoom(key, displayID, except);
    if (const auto stateIt = states->find(displayID); stateIt != states->end() && stateIt->second.root != working) {
        LayoutNode again = stateIt->second.root;
        HandResize::placeSeams(again, moves, worldMinimums, key);
        states.modify([&](auto& all) { all[displayID].root = std::move(again); });
    }
    apply();
}

void Coordinator::makeRoom(const std::string& key, const std::string& displayID, const std::set<std::string>& except) {
    const DisplayInfo* display = displayWithID(displays.get(), displayID);
    if (!display) return;
    const Rect screen = layoutArea(*display).screen;
    std::set<std::string> keep = except;
    keep.insert(pinned.begin(), pinned.end());
    const auto solve = [&](const LayoutNode& root) { return layout(displayID, false, std::nullopt, root); };
    const auto misfits = [this](const Tile& tile) { return misfit(tile); };
    for (int pass = 0; pass < kMakeRoomPasses; ++pass) {
        const auto stateIt = states->find(displayID);
        if (stateIt == states->end()) return;
        const LayoutNode root = stateIt->second.root;
        // The tree's own proportions, with no minimums pushing the seams.
        const LayoutResult plain =
            SpatialLayout::layout(root, screen, camera(displayID), {}, {}, gap.get(), std::nullopt);
        if (plain.tiles.empty()) return;
        auto moved = HandResize::roomMove(root, plain, key, keep, solve, misfits);
        if (!moved) return;
        states.modify([&](auto& all) { all[displayID].root = std::move(*moved); });
    }
}

void Coordinator::nudgeDocked(const std::string& key, Point vector) {
    for (const auto& [id, state] : states.get()) {
        if (!holds(state.root.allWindows(), key)) continue;
        for (const auto& tile : layout(id).tiles) {
            if (tile.miniature || !holds(tile.windows, key)) continue;
            resizeDocked(key, tile.windowFrame().offsetBy(vector.x, vector.y));
            return;
        }
        break;
    }
    apply();
}

}  // namespace arvelo
