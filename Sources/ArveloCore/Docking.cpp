// SPDX-License-Identifier: MIT
// Docking.cpp: the edge band and the tile zones of the drop hit test, and the previews.
#include "Docking.h"

#include "LayoutNodeSearch.h"

#include <algorithm>
#include <array>

namespace arvelo::Docking {

namespace {

// A tile's outer quarters dock beside it; its middle makes tabs.
constexpr double kSideZone = 0.25;
// The tab preview leaves this share of each side free on both ends.
constexpr double kTabPreviewInset = 0.15;

// Whether the band beside the whole layout applies: the tree holds another window or the
// desktop leaf.
bool holdsOtherThan(const LayoutNode& root, const std::string& source) {
    return findFirst(root, [&source](const LayoutNode& n) {
               return n.isDesktop || std::any_of(n.windows.begin(), n.windows.end(),
                                                 [&source](const std::string& key) { return key != source; });
           }) != nullptr;
}

DockEdge zoneOf(double fx, double fy) {
    if (fx < kSideZone) return DockEdge::left;
    if (fx > 1 - kSideZone) return DockEdge::right;
    if (fy < kSideZone) return DockEdge::top;
    if (fy > 1 - kSideZone) return DockEdge::bottom;
    return DockEdge::tab;
}

}  // namespace

Rect preview(const Rect& rect, DockEdge edge) {
    const Rect r = rect.standardized();
    switch (edge) {
        case DockEdge::left:
            return {r.minX(), r.minY(), r.width / 2, r.height};
        case DockEdge::right:
            return {r.midX(), r.minY(), r.width / 2, r.height};
        case DockEdge::top:
            return {r.minX(), r.minY(), r.width, r.height / 2};
        case DockEdge::bottom:
            return {r.minX(), r.midY(), r.width, r.height / 2};
        case DockEdge::tab:
            break;
    }
    return r.insetBy(r.width * kTabPreviewInset, r.height * kTabPreviewInset);
}

std::optional<DockDestination> destination(Point at, const std::string& source, const LayoutNode& root,
                                           const std::vector<Tile>& tiles, const Rect& in) {
    if (!in.contains(at)) return std::nullopt;

    // The nearest side of the area; ties go to the earlier of left, right, top, bottom.
    const Rect area = in.standardized();
    const std::array<std::pair<double, DockEdge>, 4> sides{{
        {at.x - area.minX(), DockEdge::left},
        {area.maxX() - at.x, DockEdge::right},
        {at.y - area.minY(), DockEdge::top},
        {area.maxY() - at.y, DockEdge::bottom},
    }};
    const auto nearest =
        std::min_element(sides.begin(), sides.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    if (nearest->first < edgeBand && holdsOtherThan(root, source))
        return DockDestination{root.id, nearest->second, preview(area, nearest->second)};

    const auto tile = std::find_if(tiles.begin(), tiles.end(), [at](const Tile& t) { return t.frame.contains(at); });
    if (tile == tiles.end()) return std::nullopt;
    const Rect frame = tile->frame.standardized();
    const double fx = (at.x - frame.minX()) / frame.width;
    const double fy = (at.y - frame.minY()) / frame.height;
    DockEdge edge = zoneOf(fx, fy);
    if (edge == DockEdge::tab && tile->windows.empty()) edge = fx >= 0.5 ? DockEdge::right : DockEdge::left;

    const bool holdsSource = std::find(tile->windows.begin(), tile->windows.end(), source) != tile->windows.end();
    if (holdsSource && (tile->windows.size() == 1 || edge == DockEdge::tab)) return std::nullopt;
    return DockDestination{tile->nodeID, edge, preview(frame, edge)};
}

}  // namespace arvelo::Docking
