// SPDX-License-Identifier: MIT
// HandResize.h: the pure parts of following a docked window that the user resized or moved by
// hand: the seam moves that the new frame asks for, moving the seams of a tree accordingly, and
// the search for a pane that takes in a window the resize squeezed below its minimum. The
// coordinator (CoordinatorResize.cpp) finds the display and the tile, stores the trees and
// applies.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Arvelo/Coordinator/LayoutArea.h"
#include "Arvelo/Coordinator/LayoutSearch.h"
#include "ArveloCore/SpatialLayout.h"

namespace arvelo::HandResize {

// An edge of the requested frame that moved by more than this (points) is a seam move.
constexpr double kEdgeTolerance = 4.0;
// A split's seam belongs to a window's edge when it lies this close to it, in world units.
constexpr double kSeamReach = 0.002;

// A wanted seam position in world coordinates for one edge of a resized window.
struct SeamMove {
    SplitAxis axis;    // horizontal: a seam between side-by-side panes; vertical: between stacked ones
    bool leadingEdge;  // the window's left or top edge
    double position;   // x (horizontal) or y (vertical) in world coordinates

    friend bool operator==(const SeamMove&, const SeamMove&) = default;
};

// The moves that take the window from `current` (its window frame in its tile, with a tab strip
// `tabHeight` high above it) to `requested`, in the order left, right, top, bottom; an edge
// that moved by kEdgeTolerance or less makes none. Window edges become tile edges by half the
// gap, and screen positions in the area become world positions through the camera.
std::vector<SeamMove> seamMoves(const Rect& requested, const Rect& current, double tabHeight, const LayoutArea& area,
                                const Rect& camera);

// For each move in order: the first split on the way from the key's leaf to the root whose
// seam of the move's axis lies at the moving edge, on the key's side, takes a ratio that puts
// the seam at the wanted position (clamped to 0.05...0.95). World rectangles are worked out
// again for each move, so each sees the ratios set before it. A move without such a split
// changes nothing.
void placeSeams(LayoutNode& root, const std::vector<SeamMove>& moves, const SpatialLayout::SizeTable& worldMinimums,
                const std::string& key);

// One pass of making room after `key` was resized: the first single-window tile of `plain`
// (the tree laid out by its own proportions, without minimums) whose window misfits and may
// move (not `key`, not in `keep`) becomes a hidden tab of the shown tile that leaves the fewest
// misfits (the first among equals; never `key`'s tile or a miniature). Absent when no window
// needs to move or no tile takes it.
std::optional<LayoutNode> roomMove(const LayoutNode& root, const LayoutResult& plain, const std::string& key,
                                   const std::set<std::string>& keep, const SolveLayout& solve,
                                   const TileMisfits& misfit);

}  // namespace arvelo::HandResize
