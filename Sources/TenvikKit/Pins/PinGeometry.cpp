// SPDX-License-Identifier: MIT
// PinGeometry.cpp: the display with the largest overlap (the earlier one on a tie) gives the
// scale; edge and corner touches do not count.
#include "TenvikKit/Pins/PinGeometry.h"

#include <optional>

namespace tenvik::PinGeometry {

arvelo::Rect toDisplaySpace(const arvelo::Rect& bounds, const PinDisplay& primary) {
    const arvelo::Rect r = bounds.standardized();
    return {r.x, primary.frame.maxY() - r.maxY(), r.width, r.height};
}

double scaleFactor(const arvelo::Rect& bounds, const std::vector<PinDisplay>& displays) {
    if (displays.empty()) return 1.0;
    const arvelo::Rect window = toDisplaySpace(bounds, displays.front());
    std::optional<std::size_t> best;
    double bestArea = 0;
    for (std::size_t i = 0; i < displays.size(); ++i) {
        const arvelo::Rect overlap = window.intersection(displays[i].frame);
        if (overlap.isNull()) continue;
        const double area = overlap.width * overlap.height;
        if (!(area > 0)) continue;
        if (!best || area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return displays[best.value_or(0)].scale;
}

}  // namespace tenvik::PinGeometry
