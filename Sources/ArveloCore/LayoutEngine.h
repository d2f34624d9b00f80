// SPDX-License-Identifier: MIT
// LayoutEngine.h: the layout constants shared by the solver, the tab strips and window access.
#pragma once

#include "ArveloCore/Geometry.h"

namespace arvelo::LayoutEngine {

// Height of a full tab strip, in points.
inline constexpr double headerHeight = 36;
// Size assumed for a window that has no entry in the solver's size table (miniature test).
inline constexpr Size defaultMinimum{160, 100};
// Smallest width and height accepted for a learnt window minimum.
inline constexpr Size nativeFloor{80, 60};

}  // namespace arvelo::LayoutEngine
