// SPDX-License-Identifier: MIT
// Tile.h: one solved leaf of a layout tree on screen (Accessibility space, y downwards), and
// how its height is shared between a tab strip and the real, selected window.
#pragma once

#include "ArveloCore/Geometry.h"

#include <string>
#include <vector>

namespace arvelo {

struct Tile {
    std::string nodeID;                // id of the leaf it shows
    std::vector<std::string> windows;  // the leaf's window keys, in tab order
    std::string selected;              // the shown tab's key; "desktop" for the desktop leaf
    Rect frame;                        // the tile's visible rectangle on screen
    bool collapsed = false;            // never set by the solver
    bool miniature = false;            // drawn as a picture instead of the real window

    friend bool operator==(const Tile&, const Tile&) = default;

    // Height of the tab strip: 0 for fewer than two windows, else the header height scaled
    // down for tiles under 480 x 320, never below 40 % of it.
    double tabHeight() const;
    // Where the real window goes: the frame below the tab strip, at least 1 point high.
    Rect windowFrame() const;
};

}  // namespace arvelo
