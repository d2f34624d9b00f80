// SPDX-License-Identifier: MIT
// CardDrop.h: where a card dropped on another card of the spatial canvas docks: the outer
// 22 % on the left or right splits beside it, then the outer 22 % at the top or bottom, and
// the middle joins its tabs. The side bands win in the corners; a drop exactly on a band's
// border belongs to the inner zone.
#pragma once

#include "ArveloCore/DockEdge.h"
#include "ArveloCore/Geometry.h"

namespace arvelo {

struct CardDrop {
    static constexpr double kOuterBand = 0.22;
    static constexpr double kInnerLimit = 0.78;

    // `location` in the card's own coordinates (origin top left); `card` its size, of which a
    // side under 1 point counts as 1.
    static DockEdge edge(Point location, Size card);
};

}  // namespace arvelo
