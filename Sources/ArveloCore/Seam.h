// SPDX-License-Identifier: MIT
// Seam.h: one visible split on screen: the draggable divider between its two children.
#pragma once

#include "ArveloCore/Geometry.h"
#include "ArveloCore/SplitAxis.h"

#include <string>

namespace arvelo {

struct Seam {
    std::string nodeID;                      // id of the split node
    SplitAxis axis = SplitAxis::horizontal;  // that split's axis
    Rect frame;                              // the divider, already clipped to the screen
    Rect parentFrame;                        // the whole split on screen, not clipped

    friend bool operator==(const Seam&, const Seam&) = default;
};

}  // namespace arvelo
