// SPDX-License-Identifier: MIT
// LayoutSearch.h: what the coordinator's pure tree searches (OverflowTabs, HandResize) are
// given instead of the coordinator: a way to solve a display's tree as apply would, and the
// test of whether a tile is too small for its shown window.
#pragma once

#include <functional>

#include "ArveloCore/LayoutNode.h"
#include "ArveloCore/LayoutResult.h"

namespace arvelo {

// The display's layout for a tree, as apply would solve it.
using SolveLayout = std::function<LayoutResult(const LayoutNode&)>;
// Whether a tile's window area is smaller than its shown window can shrink to.
using TileMisfits = std::function<bool(const Tile&)>;

}  // namespace arvelo
