// SPDX-License-Identifier: MIT
// PinHome.cpp: taking the home of a window that leaves its layout tree to be pinned, and
// docking it back into that home when it returns.
#include "Arvelo/Coordinator/PinHome.h"

#include <algorithm>
#include <set>

namespace arvelo {

std::optional<PinHome> pinHome(const std::string& key, const LayoutNode& root, const std::string& display) {
    const auto leaf = root.leaf(key);
    if (!leaf) return std::nullopt;
    PinHome home;
    home.display = display;
    if (leaf->windows.size() >= 2) {
        const auto at = std::find(leaf->windows.begin(), leaf->windows.end(), key);
        home.index = static_cast<int>(at - leaf->windows.begin());
        for (const auto& window : leaf->windows)
            if (window != key) home.tabMates.push_back(window);
        home.wasSelected = leaf->selected == key;
        return home;
    }
    const auto parent = root.parent(leaf->id);
    if (!parent || !parent->axis || parent->children.size() != 2) return std::nullopt;
    const bool first = parent->children[0].id == leaf->id;
    const LayoutNode& sibling = parent->children[first ? 1 : 0];
    home.siblingID = sibling.id;
    home.siblingWindows = sibling.allWindows();
    home.ratio = parent->ratio;
    if (*parent->axis == SplitAxis::horizontal)
        home.edge = first ? DockEdge::left : DockEdge::right;
    else
        home.edge = first ? DockEdge::top : DockEdge::bottom;
    return home;
}

namespace {

bool restoreIntoGroup(const std::string& key, const PinHome& home, LayoutNode& root) {
    std::optional<LayoutNode> group;
    for (const auto& mate : home.tabMates)
        if ((group = root.leaf(mate))) break;
    if (!group) return false;
    if (!root.dock(key, group->id, DockEdge::tab)) return false;
    const auto holder = root.leaf(key);
    if (!holder) return false;
    const std::optional<std::string> shownBefore = group->selected;
    root.edit(holder->id, [&](LayoutNode& node) {
        std::erase(node.windows, key);
        const auto at = std::min(static_cast<std::size_t>(std::max(home.index, 0)), node.windows.size());
        node.windows.insert(node.windows.begin() + static_cast<std::ptrdiff_t>(at), key);
        node.selected = home.wasSelected ? std::optional<std::string>(key) : shownBefore;
    });
    return true;
}

bool restoreBesideSibling(const std::string& key, const PinHome& home, LayoutNode& root) {
    const auto held = root.allWindows();
    std::set<std::string> present;
    for (const auto& window : home.siblingWindows)
        if (std::find(held.begin(), held.end(), window) != held.end()) present.insert(window);
    std::optional<LayoutNode> target;
    if (home.siblingID) target = root.node(*home.siblingID);
    if (!target) target = root.narrowest(present);
    if (!target) return false;
    if (!root.dock(key, target->id, home.edge)) return false;
    const auto holder = root.leaf(key);
    if (!holder) return false;
    const auto split = root.parent(holder->id);
    if (!split) return false;
    const double ratio = home.ratio;
    root.edit(split->id, [ratio](LayoutNode& node) { node.ratio = ratio; });
    return true;
}

}  // namespace

bool restore(const std::string& key, const PinHome& home, LayoutNode& root) {
    return home.tabMates.empty() ? restoreBesideSibling(key, home, root) : restoreIntoGroup(key, home, root);
}

}  // namespace arvelo
