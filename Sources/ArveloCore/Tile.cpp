// SPDX-License-Identifier: MIT
// Tile.cpp: the tab strip height and the window frame of a solved tile.
#include "Tile.h"

#include "LayoutEngine.h"

#include <algorithm>

namespace arvelo {

namespace {

// A tile at least this large shows a full-height tab strip.
constexpr Size kFullStripTile{480, 320};
// The smallest share of the full strip height.
constexpr double kMinimumStripScale = 0.4;
// The least height a window frame gets.
constexpr double kMinimumWindowHeight = 1;

}  // namespace

double Tile::tabHeight() const {
    if (windows.size() < 2) return 0;
    const double scale = std::min(frame.width / kFullStripTile.width, frame.height / kFullStripTile.height);
    if (scale >= 1) return LayoutEngine::headerHeight;
    return std::max(scale, kMinimumStripScale) * LayoutEngine::headerHeight;
}

Rect Tile::windowFrame() const {
    const double strip = tabHeight();
    return {frame.x, frame.y + strip, frame.width, std::max(frame.height - strip, kMinimumWindowHeight)};
}

}  // namespace arvelo
