// SPDX-License-Identifier: MIT
// LayoutResult.h: what the solver makes of one display's tree: its tiles and seams, in tree order.
#pragma once

#include "ArveloCore/Seam.h"
#include "ArveloCore/Tile.h"

#include <vector>

namespace arvelo {

struct LayoutResult {
    std::vector<Tile> tiles;
    std::vector<Seam> seams;

    friend bool operator==(const LayoutResult&, const LayoutResult&) = default;

    // Whether two tiles overlap by more than a hairline (wider and taller than 1 point).
    bool hasOverlap() const;
};

}  // namespace arvelo
