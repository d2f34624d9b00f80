// SPDX-License-Identifier: MIT
// SpatialLayout.h: the solver that places a display's layout tree on screen. The tree is laid
// out in the world, the unit square (y downwards), by its split ratios, pushed where needed so
// each window's minimum fits; a camera (a rectangle of the world) is then mapped linearly onto
// the display's screen rectangle. Pure functions, no state.
#pragma once

#include "ArveloCore/Geometry.h"
#include "ArveloCore/LayoutNode.h"
#include "ArveloCore/LayoutResult.h"

#include <optional>
#include <string>
#include <unordered_map>

namespace arvelo::SpatialLayout {

// Window key to size (in points, or in world fractions where said).
using SizeTable = std::unordered_map<std::string, Size>;
// Node id to world rectangle.
using RectTable = std::unordered_map<std::string, Rect>;

inline constexpr Rect world{0, 0, 1, 1};

// Each size divided by the screen's width and height; empty for a screen without area.
SizeTable worldMinimums(const SizeTable& minimums, Size screen);

// The world rectangle of every node the layout reaches, keyed by node id (a later node with
// the same id overwrites an earlier one); minimums in world fractions.
RectTable rects(const LayoutNode& root, const SizeTable& minimums);

// World rectangle to screen rectangle, and back.
Rect project(const Rect& rect, const Rect& camera, const Rect& screen);
Rect unproject(const Rect& rect, const Rect& camera, const Rect& screen);

// Solves the tree into tiles and seams on the screen rectangle seen through the camera.
// `sizes` (points) is what each window needs to be shown in full, for the miniature test;
// `minimums` (points) are honoured by pushing ratios, measured against `solvingIn` when given,
// else against the screen's size; `gap` separates the tiles.
LayoutResult layout(const LayoutNode& root, const Rect& screen, const Rect& camera, const SizeTable& sizes,
                    const SizeTable& minimums, double gap, std::optional<Size> solvingIn = std::nullopt);

}  // namespace arvelo::SpatialLayout
