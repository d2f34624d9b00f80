// SPDX-License-Identifier: MIT
// LayoutArea.h: the part of a display that its tiles fill, and the window minimums the solver
// works with there. A display's visible frame is inset by half the gap on every side (the other
// half lies between neighbouring tiles), and every minimum is padded by the whole gap before it
// becomes a share of the world, so a tile holds its window plus the gap around it.
#pragma once

#include "ArveloCore/Geometry.h"
#include "ArveloCore/SpatialLayout.h"

namespace arvelo {

struct LayoutArea {
    Rect screen;  // the visible frame inset by half the gap
    double gap = 0;

    static LayoutArea of(const Rect& visibleFrame, double gap);

    // Each minimum padded by the gap, as a fraction of the screen area (world units).
    SpatialLayout::SizeTable worldMinimums(const SpatialLayout::SizeTable& minimums) const;
};

}  // namespace arvelo
