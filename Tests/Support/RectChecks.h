// SPDX-License-Identifier: MIT
// RectChecks.h: comparisons of frames that several test binaries share: whether any two of a set
// overlap by more than a hairline, and whether two frames agree within a tolerance.
#pragma once

#include <cmath>
#include <vector>

#include "ArveloCore/Geometry.h"

namespace arvelo::testing {

// Whether any two of the frames overlap by more than a hairline (wider and taller than 1 point).
inline bool anyOverlap(const std::vector<Rect>& frames) {
    for (std::size_t i = 0; i < frames.size(); ++i)
        for (std::size_t j = i + 1; j < frames.size(); ++j) {
            const Rect overlap = frames[i].intersection(frames[j]);
            if (!overlap.isNull() && overlap.width > 1 && overlap.height > 1) return true;
        }
    return false;
}

// Whether every edge of `a` is within `tolerance` points of the same edge of `b`.
inline bool nearFrame(const Rect& a, const Rect& b, double tolerance = 2) {
    return std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance &&
           std::abs(a.width - b.width) <= tolerance && std::abs(a.height - b.height) <= tolerance;
}

}  // namespace arvelo::testing
