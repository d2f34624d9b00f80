// SPDX-License-Identifier: MIT
// CoordinatorDocking.cpp: putting one window into a display's layout tree or taking it out
// again: docking a newly seen window beside the largest tile (or back at its pinned home),
// docking where the user dropped a window, floating a window, excluding an application, and
// setting a split's ratio under a dragged seam handle.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>
#include <cmath>

#include "Arvelo/Input/DropHandling.h"
#include "ArveloCore/UUID.h"

namespace arvelo {

namespace {
double area(const Rect& r) { return r.width * r.height; }
}  // namespace

void Coordinator::dockArrival(WindowRecord& window) {
    const auto display = displayOf(window.frame);
    if (!display) return;
    const auto stateIt = states->find(display->id);
    if (stateIt == states->end()) return;
    WorkspaceState copy = stateIt->second;

    noteOriginalFrame(window);
    for (auto& [key, other] : otherSpaces) other.root.remove(window.id);

    // A pinned home is used up by this arrival, whether or not it still fits.
    std::optional<PinHome> home;
    if (const auto homeIt = pinHomes.find(window.id); homeIt != pinHomes.end()) {
        home = homeIt->second;
        pinHomes.erase(homeIt);
    }
    if (!(home && home->display == display->id && arvelo::restore(window.id, *home, copy.root))) {
        if (copy.root.allWindows().empty()) {
            copy.root = LayoutNode(makeUUID(), {window.id});
        } else {
            // Beside the largest pane as the overview shows it: right of a landscape pane, below
            // a portrait one.
            const LayoutResult whole = layout(display->id, true);
            const Tile* largest = nullptr;
            for (const auto& tile : whole.tiles)
                if (!tile.windows.empty() && (!largest || area(tile.frame) > area(largest->frame))) largest = &tile;
            if (largest) {
                const DockEdge edge =
                    largest->frame.height <= largest->frame.width ? DockEdge::right : DockEdge::bottom;
                copy.root.dock(window.id, largest->nodeID, edge);
            }
        }
    }
    states.modify([&](auto& all) { all[display->id] = std::move(copy); });
}

int Coordinator::paneCount(const LayoutNode& node) {
    if (node.isLeaf()) return 1;
    int count = 0;
    for (const auto& child : node.children) count += paneCount(child);
    return count;
}

void Coordinator::dock(const std::string& key, const std::string& target, const std::string& displayID, DockEdge edge) {
    if (pinned.contains(key)) return;
    floatedWindows.erase(key);
    userPlaced.insert(key);
    autoTabbed.erase(key);

    auto all = states.get();
    // A window dropped into the middle of the desktop leaf splits it; it never becomes its tab.
    DockEdge effective = edge;
    if (edge == DockEdge::tab) {
        if (const auto stateIt = all.find(displayID); stateIt != all.end()) {
            const auto node = stateIt->second.root.node(target);
            if (node && node->isDesktop) effective = DockEdge::left;
        }
    }
    for (auto& [id, state] : all)
        if (id != displayID) state.root.remove(key);

    if (const auto stateIt = all.find(displayID); stateIt != all.end()) {
        const LayoutNode oldRoot = stateIt->second.root;
        LayoutNode& root = stateIt->second.root;
        root.dock(key, target, effective);
        if (target == oldRoot.id && effective != DockEdge::tab && root.children.size() == 2) {
            // Dropped at the outer edge of a two-pane row whose outer pane on that side is the
            // desktop leaf: the new window takes a third, so that all three share the row evenly.
            const bool leading = effective == DockEdge::left || effective == DockEdge::top;
            const SplitAxis axis = effective == DockEdge::left || effective == DockEdge::right ? SplitAxis::horizontal
                                                                                               : SplitAxis::vertical;
            const LayoutNode* side = nullptr;
            if (!oldRoot.children.empty()) side = leading ? &oldRoot.children.front() : &oldRoot.children.back();
            const bool third = paneCount(oldRoot) == 2 && oldRoot.axis == axis && side && side->isDesktop;
            const double share = third ? 1.0 / 3.0 : 0.5;
            root.ratio = leading ? share : 1.0 - share;
        }
    } else {
        WorkspaceState placed;
        placed.root =
            LayoutNode::split(LayoutNode(makeUUID(), {key}), LayoutNode::desktop(), SplitAxis::horizontal, 0.5);
        all[displayID] = std::move(placed);
    }
    WorkspaceState& state = all[displayID];
    state.focus.reset();
    state.camera.reset();
    state.preferred = key;
    state.autoArrange = false;
    states = std::move(all);

    selectedDisplay = displayID;
    selectedWindow = key;
    managing = true;
    apply();
}

void Coordinator::floatWindow(const std::string& key) {
    floatedWindows.insert(key);
    states.modify([&](auto& all) {
        for (auto& [id, state] : all) {
            state.root.remove(key);
            state.focus.reset();
        }
    });
    if (const auto recordIt = access->records.find(key); recordIt != access->records.end()) {
        const auto record = recordIt->second;
        access->restore(record);
        access->raise(record);
    }
    apply();
}

void Coordinator::setDragDocking(bool on) { dragDocking = on; }

void Coordinator::dropWindow(const std::string& key, Point point, bool native) {
    drops->finishWindowDrop(key, point, native, std::nullopt);
}

bool Coordinator::dockGroup(const std::string& nodeID, const std::string& fromDisplay, const std::string& target,
                            const std::string& toDisplay, DockEdge edge) {
    const auto origin = states->find(fromDisplay);
    const auto destination = states->find(toDisplay);
    if (origin == states->end() || destination == states->end()) return false;
    bool changed = false;
    if (toDisplay == fromDisplay) {
        states.modify([&](auto& all) { changed = all[fromDisplay].root.dockGroup(nodeID, target, edge); });
    } else if (const auto group = origin->second.root.node(nodeID)) {
        // Into a copy of the destination's tree first: the group leaves its own tree only
        // once it has a place in the other, so a refused insert loses no window.
        LayoutNode destinationRoot = destination->second.root;
        changed = destinationRoot.insertGroup(*group, target, edge);
        if (changed) {
            states.modify([&](auto& all) {
                all[fromDisplay].root.removeNode(nodeID);
                all[toDisplay].root = std::move(destinationRoot);
            });
        }
    }
    states.modify([&](auto& all) {
        auto& shown = all[toDisplay];
        shown.focus.reset();
        shown.camera.reset();
    });
    apply();
    return changed;
}

void Coordinator::exclude(const std::string& identity, bool enabled) {
    if (enabled) {
        const WindowList current = windows.get();
        for (const auto& record : current)
            if (record->applicationID() == identity) floatWindow(record->id);
        excluded.modify([&](auto& set) { set.insert(identity); });
    } else {
        excluded.modify([&](auto& set) { set.erase(identity); });
    }
    services().defaults->setStringArray(kExcludedAppsKey, std::vector<std::string>(excluded->begin(), excluded->end()));
    refresh();
}

void Coordinator::resizeSeam(const Seam& seam, double fraction, const std::string& displayID, bool /*commit*/) {
    // A fraction that is no number (a pointer over a zero-sized seam) leaves the ratio alone.
    if (states->contains(displayID) && std::isfinite(fraction)) {
        const double ratio = std::clamp(fraction, 0.05, 0.95);
        states.modify([&](auto& all) {
            WorkspaceState& state = all[displayID];
            state.root.edit(seam.nodeID, [ratio](LayoutNode& node) { node.ratio = ratio; });
            state.autoArrange = false;
        });
    }
    apply();
}

}  // namespace arvelo
