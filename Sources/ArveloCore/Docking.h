// SPDX-License-Identifier: MIT
// Docking.h: the drop hit test. Turns a pointer position over a display into where a dragged
// window would dock: beside the whole layout when the pointer is in the band along the
// display's edges, else beside a tile (its outer quarters) or into it as a tab (its middle).
#pragma once

#include "ArveloCore/DockDestination.h"
#include "ArveloCore/Geometry.h"
#include "ArveloCore/LayoutNode.h"
#include "ArveloCore/Tile.h"

#include <optional>
#include <string>
#include <vector>

namespace arvelo::Docking {

// Width of the band along the display's edges that docks beside the whole layout.
inline constexpr double edgeBand = 32;

// The destination for the pointer `at` while the window `source` is dragged over a display
// with the tree `root`, its solved `tiles` and its area `in`; absent where nothing can be docked.
std::optional<DockDestination> destination(Point at, const std::string& source, const LayoutNode& root,
                                           const std::vector<Tile>& tiles, const Rect& in);

// The preview for an edge of a rectangle: the half on that side, or for a tab the middle
// 70 % of each side.
Rect preview(const Rect& rect, DockEdge edge);

}  // namespace arvelo::Docking
