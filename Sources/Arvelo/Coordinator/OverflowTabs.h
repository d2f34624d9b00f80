// SPDX-License-Identifier: MIT
// OverflowTabs.h: the searches behind overflow tabbing, as pure functions of one display's
// tree. A display whose tiles are too small for their windows moves one single-window tile
// into another tile's tab group (that tile's window stays in front) when that lowers the
// layout's cost; a window moved that way gets a tile of its own again beside the largest tile
// once every tile would fit. The caller solves trees (`Solve`), judges tiles (`Misfit`) and
// stores the outcome; nothing here reads or writes state.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "Arvelo/Coordinator/LayoutSearch.h"

namespace arvelo::OverflowTabs {

using Solve = SolveLayout;
using Misfit = TileMisfits;

// A tile's window area below this is small, whatever its window's minimum.
constexpr double kSmallWidth = 300.0;
constexpr double kSmallHeight = 200.0;

// What a solved layout costs: tiles too small for their window, then tiles that show a picture
// (too small, or a miniature); compared in that order.
struct Cost {
    int misfits = 0;
    int pictures = 0;

    friend bool operator==(const Cost&, const Cost&) = default;
    friend bool operator<(const Cost& a, const Cost& b) {
        return a.misfits < b.misfits || (a.misfits == b.misfits && a.pictures < b.pictures);
    }
};

Cost cost(const LayoutResult& result, const Misfit& misfit);

// A changed tree and the window key whose move made it.
struct Move {
    LayoutNode root;
    std::string key;
};

// The one tab move that lowers the cost of `root` most (the first found among equals), or
// absent when the layout has no misfit or no move lowers its cost. Windows in `userPlaced`
// are never moved.
std::optional<Move> tabMove(const LayoutNode& root, const Solve& solve, const Misfit& misfit,
                            const std::set<std::string>& userPlaced);

// What untabbing found on one display.
struct Untab {
    // Keys tried before the move whose tab group holds only them now: they are tabs no more.
    std::set<std::string> dissolved;
    // The first key (ascending) that fits in a tile of its own again, with the tree that gives
    // it one; absent when none does.
    std::optional<Move> move;
};

// Tries the keys of `tabbed` in ascending order until one can leave its tab group for a tile
// beside the largest tile (to its right on a landscape tile, below a portrait one) with no tile
// of the display misfitting or shown as a miniature afterwards. Keys that `root` does not hold
// are passed over.
Untab untabMove(const LayoutNode& root, const Solve& solve, const Misfit& misfit, const std::set<std::string>& tabbed);

}  // namespace arvelo::OverflowTabs
