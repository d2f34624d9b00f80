// SPDX-License-Identifier: MIT
// LayoutResult.cpp: the overlap test over a display's solved tiles.
#include "LayoutResult.h"

namespace arvelo {

namespace {

// Overlaps no wider or taller than this are hairlines, not overlaps.
constexpr double kHairline = 1;

}  // namespace

bool LayoutResult::hasOverlap() const {
    for (std::size_t i = 0; i < tiles.size(); ++i)
        for (std::size_t j = i + 1; j < tiles.size(); ++j) {
            const Rect overlap = tiles[i].frame.intersection(tiles[j].frame);
            if (!overlap.isEmpty() && overlap.width > kHairline && overlap.height > kHairline) return true;
        }
    return false;
}

}  // namespace arvelo
