// SPDX-License-Identifier: MIT
// CoordinatorOverflow.cpp: overflow tabbing, called by apply() after each pass. The searches
// are OverflowTabs' pure functions; here each display's tree is handed to them, solved as apply
// solves it, and their outcome is stored with the `autoTabbed` bookkeeping.
#include "Arvelo/Coordinator/Coordinator.h"

#include "Arvelo/Coordinator/OverflowTabs.h"

namespace arvelo {

bool Coordinator::overflowAllowed() const { return autoTile.get() && !resizingSeam && !chromeDragging; }

bool Coordinator::tabOverflow() {
    if (!overflowAllowed() || displays->empty()) return false;
    const auto misfits = [this](const Tile& tile) { return misfit(tile); };
    bool changed = false;
    for (const auto& display : displays.get()) {
        const auto stateIt = states->find(display.id);
        // A focused or zoomed view is left alone.
        if (stateIt == states->end() || stateIt->second.focus || stateIt->second.camera) continue;
        const auto solve = [&](const LayoutNode& root) { return layout(display.id, false, std::nullopt, root); };
        auto move = OverflowTabs::tabMove(stateIt->second.root, solve, misfits, userPlaced);
        if (!move) continue;
        states.modify([&](auto& all) { all[display.id].root = std::move(move->root); });
        autoTabbed.insert(move->key);
        changed = true;
    }
    return changed;
}

bool Coordinator::untabOverflow() {
    if (!overflowAllowed()) return false;
    const auto misfits = [this](const Tile& tile) { return misfit(tile); };
    for (const auto& display : displays.get()) {
        const auto stateIt = states->find(display.id);
        if (stateIt == states->end() || stateIt->second.focus || stateIt->second.camera) continue;
        const auto solve = [&](const LayoutNode& root) { return layout(display.id, false, std::nullopt, root); };
        auto found = OverflowTabs::untabMove(stateIt->second.root, solve, misfits, autoTabbed);
        for (const auto& key : found.dissolved) autoTabbed.erase(key);
        if (!found.move) continue;
        states.modify([&](auto& all) { all[display.id].root = std::move(found.move->root); });
        autoTabbed.erase(found.move->key);
        return true;
    }
    return false;
}

}  // namespace arvelo
