// SPDX-License-Identifier: MIT
// LayoutArea.cpp: a display's screen area inset by half the gap, and gap-padded minimums as
// world fractions of it.
#include "Arvelo/Coordinator/LayoutArea.h"

namespace arvelo {

LayoutArea LayoutArea::of(const Rect& visibleFrame, double gap) {
    const double half = gap * 0.5;
    return {visibleFrame.insetBy(half, half), gap};
}

SpatialLayout::SizeTable LayoutArea::worldMinimums(const SpatialLayout::SizeTable& minimums) const {
    SpatialLayout::SizeTable padded = minimums;
    for (auto& [key, size] : padded) size = {size.width + gap, size.height + gap};
    return SpatialLayout::worldMinimums(padded, screen.size());
}

}  // namespace arvelo
