// SPDX-License-Identifier: MIT
// CardDrop.cpp: the five drop zones of an overview card.
#include "Arvelo/Overview/CardDrop.h"

#include <algorithm>

namespace arvelo {

DockEdge CardDrop::edge(Point location, Size card) {
    const double x = location.x / std::max(card.width, 1.0);
    const double y = location.y / std::max(card.height, 1.0);
    if (x < kOuterBand) return DockEdge::left;
    if (x > kInnerLimit) return DockEdge::right;
    if (y < kOuterBand) return DockEdge::top;
    if (y > kInnerLimit) return DockEdge::bottom;
    return DockEdge::tab;
}

}  // namespace arvelo
