// SPDX-License-Identifier: MIT
// CoordinatorLayout.cpp: how every other part of the coordinator sees a display's layout on
// screen: the solved tiles and seams of a display, its camera, the minimum sizes of the
// windows, the misfit test, world rectangles, and small queries over the states.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>

#include "Arvelo/Windows/Spaces.h"

namespace arvelo {

namespace {

// Band at the top of the screen left free while a display is zoomed (focus or camera).
constexpr double kZoomBarBand = 40;
// Every entry of the minimums table is at least this large.
constexpr double kMinimumFloorWidth = 300;
constexpr double kMinimumFloorHeight = 200;
// A tile misfits only when it is smaller than the window's minimum by more than this.
constexpr double kMisfitTolerance = 2.0;

const DisplayInfo* findDisplay(const std::vector<DisplayInfo>& displays, const std::string& id) {
    for (const auto& display : displays)
        if (display.id == id) return &display;
    return nullptr;
}

double overlapArea(const Rect& a, const Rect& b) {
    const Rect overlap = a.intersection(b);
    if (overlap.isNull()) return 0;
    return overlap.width * overlap.height;
}

}  // namespace

LayoutResult Coordinator::layout(const std::string& displayID, bool overview, std::optional<Rect> rect,
                                 const std::optional<LayoutNode>& root) const {
    const auto stateIt = states->find(displayID);
    if (stateIt == states->end()) return {};
    const DisplayInfo* display = findDisplay(displays.get(), displayID);
    if (!display) return {};

    WorkspaceState state = stateIt->second;
    if (root) state.root = *root;
    const Rect inset = layoutArea(*display).screen;

    Rect screen;
    Rect cameraRect;
    Size scale{1, 1};
    std::optional<Size> solvingIn;
    if (!rect) {
        screen = inset;
        solvingIn = inset.size();
        if (overview) {
            cameraRect = SpatialLayout::world;
        } else {
            if (state.focus || state.camera) {
                screen.y += kZoomBarBand;
                screen.height -= kZoomBarBand;
            }
            cameraRect = camera(displayID);
        }
    } else {
        screen = *rect;
        cameraRect = overview ? SpatialLayout::world : camera(displayID);
        scale = {rect->width / std::max(inset.width, 1.0), rect->height / std::max(inset.height, 1.0)};
    }

    SpatialLayout::SizeTable scaled = minimums();
    for (auto& [key, size] : scaled) size = {size.width * scale.width, size.height * scale.height};

    LayoutResult result = SpatialLayout::layout(state.root, screen, cameraRect, {}, scaled, gap.get(), solvingIn);
    if (!overview && state.focus) {
        for (auto& tile : result.tiles)
            if (tile.nodeID == *state.focus) tile.miniature = false;
    }
    return result;
}

Rect Coordinator::camera(const std::string& displayID) const {
    const auto stateIt = states->find(displayID);
    if (stateIt == states->end()) return SpatialLayout::world;
    const WorkspaceState& state = stateIt->second;
    if (state.camera) return *state.camera;
    if (!state.focus) return SpatialLayout::world;
    const auto rects = worldRects(displayID);
    const auto focused = rects.find(*state.focus);
    return focused == rects.end() ? SpatialLayout::world : focused->second;
}

LayoutArea Coordinator::layoutArea(const DisplayInfo& display) const {
    return LayoutArea::of(display.frame, gap.get());
}

SpatialLayout::SizeTable Coordinator::minimums() const {
    SpatialLayout::SizeTable table;
    for (const auto& record : windows.get())
        table.emplace(record->id, Size{std::max(record->minimum.width, kMinimumFloorWidth),
                                       std::max(record->minimum.height, kMinimumFloorHeight)});
    return table;
}

bool Coordinator::misfit(const Tile& tile) const {
    if (tile.windows.empty()) return false;
    const auto recordIt = access->records.find(tile.selected);
    if (recordIt == access->records.end()) return false;
    const Rect frame = tile.windowFrame();
    const Size minimum = recordIt->second->minimum;
    return frame.width + kMisfitTolerance < minimum.width || frame.height + kMisfitTolerance < minimum.height;
}

SpatialLayout::RectTable Coordinator::worldRects(const std::string& displayID) const {
    const auto stateIt = states->find(displayID);
    const DisplayInfo* display = findDisplay(displays.get(), displayID);
    if (stateIt == states->end() || !display) return {};
    return SpatialLayout::rects(stateIt->second.root, layoutArea(*display).worldMinimums(minimums()));
}

std::optional<WorkspaceState> Coordinator::current() const {
    const auto stateIt = states->find(selectedDisplay.get());
    if (stateIt == states->end()) return std::nullopt;
    return stateIt->second;
}

std::shared_ptr<WindowRecord> Coordinator::selectedRecord() const {
    if (!selectedWindow.get()) return nullptr;
    return record(*selectedWindow.get());
}

std::set<std::string> Coordinator::managedHere() const {
    std::set<std::string> keys;
    for (const auto& [id, state] : states.get())
        for (auto& key : state.root.allWindows()) keys.insert(std::move(key));
    return keys;
}

std::optional<DisplayInfo> Coordinator::displayOf(const Rect& frame) const {
    const auto& list = displays.get();
    if (list.empty()) return std::nullopt;
    const DisplayInfo* best = &list.front();
    double bestArea = overlapArea(best->screenFrame, frame);
    for (const auto& display : list) {
        const double area = overlapArea(display.screenFrame, frame);
        if (area > bestArea) {
            best = &display;
            bestArea = area;
        }
    }
    return *best;
}

std::set<platform::SpaceID> Coordinator::spacesOfWindow(std::uint32_t windowNumber) const {
    return Spaces::of(services_.spaces.get(), windowNumber);
}

}  // namespace arvelo
