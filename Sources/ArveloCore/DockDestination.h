// SPDX-License-Identifier: MIT
// DockDestination.h: where a dragged window or group would go if dropped: beside or into a
// node, with the rectangle the drop preview shows (screen points, Accessibility space).
#pragma once

#include "ArveloCore/DockEdge.h"
#include "ArveloCore/Geometry.h"

#include <string>

namespace arvelo {

struct DockDestination {
    std::string nodeID;  // the node to dock beside or into
    DockEdge edge = DockEdge::tab;
    Rect preview;  // where the dropped thing would appear

    friend bool operator==(const DockDestination&, const DockDestination&) = default;
};

}  // namespace arvelo
