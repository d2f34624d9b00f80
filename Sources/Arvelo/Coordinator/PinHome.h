// SPDX-License-Identifier: MIT
// PinHome.h: where a pinned window came from in its display's layout tree (its tab group and
// position, or its split side, sibling and ratio), and how to put it back there. Pure tree
// code; the coordinator keeps one home per pinned window.
#pragma once

#include "ArveloCore/LayoutNode.h"

#include <optional>
#include <string>
#include <vector>

namespace arvelo {

struct PinHome {
    std::string display;                      // key of the display whose tree held the window
    std::vector<std::string> tabMates;        // the other windows of its tab group, in tab order
    int index = 0;                            // its position in the tab group (0 for a tile of its own)
    bool wasSelected = false;                 // it was the shown tab of its group
    std::optional<std::string> siblingID;     // the other child of the split that held its tile
    std::vector<std::string> siblingWindows;  // every window under that sibling, in tree order
    DockEdge edge = DockEdge::right;          // side of the sibling on which its tile lay
    double ratio = 0.5;                       // the split's ratio (share of its first child)

    friend bool operator==(const PinHome&, const PinHome&) = default;
};

// The home of the window with this key in the tree; absent when the tree does not hold it, or
// when it has a tile of its own that is not one side of a two-way split.
std::optional<PinHome> pinHome(const std::string& key, const LayoutNode& root, const std::string& display);

// Puts the window back at its home: into the first tab mate's group at its old position, or
// beside its old sibling (or the narrowest node still holding the sibling's windows) with the
// old ratio. False, with the tree unchanged or the dock refused, when the home no longer fits.
bool restore(const std::string& key, const PinHome& home, LayoutNode& root);

}  // namespace arvelo
