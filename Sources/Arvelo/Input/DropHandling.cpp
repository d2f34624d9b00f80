// SPDX-License-Identifier: MIT
// DropHandling.cpp: the display and destination under a point, the preview with its label,
// and the tree edits of a window drop and of a group drop.
#include "Arvelo/Input/DropHandling.h"

#include <algorithm>
#include <cmath>

#include "Arvelo/Input/DropHost.h"
#include "ArveloCore/Docking.h"

namespace arvelo {

DropHandling::DropHandling(std::weak_ptr<DropHost> arranger) : arranger_(std::move(arranger)) {}

std::string DropHandling::label(DockEdge edge, bool group) {
    if (group) return edge == DockEdge::tab ? "Group as tabs" : "Dock group";
    if (edge == DockEdge::tab) return "Make tabs";
    return "Split " + std::string(rawValue(edge));
}

std::optional<std::pair<DisplayInfo, DockDestination>> DropHandling::dropDestination(const std::string& key,
                                                                                     Point point) const {
    const auto arranger = arranger_.lock();
    if (!arranger) return std::nullopt;
    // The display whose visible frame holds the point, else the one whose full frame does (a
    // point on a panel or dock still belongs to its display).
    const auto& displays = arranger->model().displays.get();
    auto display =
        std::find_if(displays.begin(), displays.end(), [&](const DisplayInfo& d) { return d.frame.contains(point); });
    if (display == displays.end())
        display = std::find_if(displays.begin(), displays.end(),
                               [&](const DisplayInfo& d) { return d.screenFrame.contains(point); });
    if (display == displays.end()) return std::nullopt;
    const auto& states = arranger->model().states.get();
    const auto state = states.find(display->id);
    if (state == states.end()) return std::nullopt;

    // Clamped into the visible frame, next to its nearest side.
    const Rect& area = display->frame;
    const Point clamped{std::max(area.minX(), std::min(point.x, area.maxX() - 1)),
                        std::max(area.minY(), std::min(point.y, area.maxY() - 1))};
    const LayoutResult result = arranger->layout(display->id);
    const auto destination = Docking::destination(clamped, key, state->second.root, result.tiles, area);
    if (!destination) return std::nullopt;
    return std::make_pair(*display, *destination);
}

void DropHandling::hidePreview() const {
    if (const auto arranger = arranger_.lock()) arranger->hideDropPreview();
}

void DropHandling::updateDropPreview(const std::string& key, Point point) {
    const auto arranger = arranger_.lock();
    if (!arranger) return;
    if (arranger->isPinned(key) || !arranger->model().dragDocking.get()) {
        hidePreview();
        return;
    }
    const auto destination = dropDestination(key, point);
    if (!destination) {
        hidePreview();
        return;
    }
    arranger->showDropPreview(destination->second.preview, label(destination->second.edge, false));
}

void DropHandling::finishWindowDrop(const std::string& key, Point point, bool native, std::optional<Point> moved) {
    hidePreview();
    const auto arranger = arranger_.lock();
    if (!arranger) return;
    if (arranger->isPinned(key) || !arranger->model().dragDocking.get()) return;

    if (const auto destination = dropDestination(key, point)) {
        const auto& [display, target] = *destination;
        arranger->noteDrop({{"source", key},
                            {"edge", std::string(rawValue(target.edge))},
                            {"input", native ? kNativeInput : kChromeInput}});
        arranger->dock(key, target.nodeID, display.id, target.edge);
        return;
    }

    // Dropped nowhere (inside its own tile, off every display): a docked window moved by more
    // than the nudge threshold takes its seams along by the drag, else it goes back to its
    // tile; one in no tree stays where the user left it.
    const auto& states = arranger->model().states.get();
    const bool docked = std::any_of(states.begin(), states.end(), [&](const auto& entry) {
        const auto windows = entry.second.root.allWindows();
        return std::find(windows.begin(), windows.end(), key) != windows.end();
    });
    if (!docked) return;
    if (moved && (std::abs(moved->x) > kNudgeThreshold || std::abs(moved->y) > kNudgeThreshold))
        arranger->nudgeDocked(key, *moved);
    else
        arranger->apply();
}

std::optional<DropHandling::Group> DropHandling::group(const DropHost& arranger, const std::string& nodeID,
                                                       const std::string& displayID) const {
    const auto& states = arranger.model().states.get();
    const auto state = states.find(displayID);
    if (state == states.end()) return std::nullopt;
    auto node = state->second.root.node(nodeID);
    if (!node) return std::nullopt;
    auto windows = node->allWindows();
    if (windows.empty()) return std::nullopt;
    return Group{std::move(*node), std::move(windows)};
}

std::optional<std::pair<DisplayInfo, DockDestination>> DropHandling::groupDestination(const Group& group,
                                                                                      Point point) const {
    // The hit test leaves out the tile of the group's first window only; a destination inside
    // the group itself is refused here.
    auto destination = dropDestination(group.windows.front(), point);
    if (!destination || group.node.node(destination->second.nodeID)) return std::nullopt;
    return destination;
}

void DropHandling::updateGroupDropPreview(const std::string& nodeID, const std::string& displayID, Point point) {
    const auto arranger = arranger_.lock();
    if (!arranger) return;
    const auto dragged = group(*arranger, nodeID, displayID);
    const auto destination = dragged ? groupDestination(*dragged, point) : std::nullopt;
    if (!destination) {
        hidePreview();
        return;
    }
    arranger->showDropPreview(destination->second.preview, label(destination->second.edge, true));
}

bool DropHandling::finishGroupDrop(const std::string& nodeID, const std::string& displayID, Point point) {
    hidePreview();
    const auto arranger = arranger_.lock();
    if (!arranger) return false;
    const auto dragged = group(*arranger, nodeID, displayID);
    if (!dragged) return false;
    const auto destination = groupDestination(*dragged, point);
    if (!destination) return false;
    const auto& [display, target] = *destination;
    return arranger->dockGroup(nodeID, displayID, target.nodeID, display.id, target.edge);
}

}  // namespace arvelo
