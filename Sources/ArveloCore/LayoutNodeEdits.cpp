// SPDX-License-Identifier: MIT
// LayoutNodeEdits.cpp: the edits that change a layout tree in place (remove, dock, group
// moves, selection, pruning, key renaming) and the one repair rule that keeps splits whole
// after something was taken out.
#include "LayoutNode.h"

#include "LayoutNodeSearch.h"
#include "UUID.h"

#include <algorithm>

namespace arvelo {

namespace {

// Run at a node after its children were repaired, so a child that holds no window and no
// desktop leaf has by then lost all of its own children.
void repair(LayoutNode& node) {
    std::erase_if(node.children, [](const LayoutNode& child) {
        return child.windows.empty() && !child.isDesktop && child.children.empty();
    });
    if (node.children.size() == 1) {
        LayoutNode only = std::move(node.children.front());
        if (only.children.empty()) only.axis.reset();
        node = std::move(only);
    } else if (node.children.empty()) {
        node.axis.reset();
    }
}

void removeKey(LayoutNode& node, std::string_view key) {
    std::erase(node.windows, key);
    if (node.selected == key) node.selected = node.windows.empty() ? std::nullopt : std::optional(node.windows.front());
    for (LayoutNode& child : node.children) removeKey(child, key);
    repair(node);
}

void removeNodeWithID(LayoutNode& node, std::string_view nodeID) {
    if (node.id == nodeID) {
        node = LayoutNode(makeUUID());
        return;
    }
    for (LayoutNode& child : node.children) removeNodeWithID(child, nodeID);
    repair(node);
}

void replaceKeys(LayoutNode& node, const std::map<std::string, std::string>& table) {
    std::vector<std::string> renamed;
    renamed.reserve(node.windows.size());
    for (const std::string& key : node.windows)
        if (const auto entry = table.find(key); entry != table.end()) renamed.push_back(entry->second);
    std::optional<std::string> selection;
    if (node.selected)
        if (const auto entry = table.find(*node.selected); entry != table.end()) selection = entry->second;
    if (!selection && !renamed.empty()) selection = renamed.front();
    node.windows = std::move(renamed);
    node.selected = std::move(selection);
    for (LayoutNode& child : node.children) replaceKeys(child, table);
    repair(node);
}

SplitAxis axisOf(DockEdge edge) {
    return edge == DockEdge::left || edge == DockEdge::right ? SplitAxis::horizontal : SplitAxis::vertical;
}

// Replaces the anchor with a new split holding the anchor and the placed node; the anchor
// keeps its id one level down. Only for the four sides.
void placeBeside(LayoutNode& anchor, LayoutNode placed, DockEdge edge) {
    const bool placedFirst = edge == DockEdge::left || edge == DockEdge::top;
    LayoutNode existing = std::move(anchor);
    anchor = placedFirst ? LayoutNode::split(std::move(placed), std::move(existing), axisOf(edge), 0.5)
                         : LayoutNode::split(std::move(existing), std::move(placed), axisOf(edge), 0.5);
}

// Turns the node into one leaf (its own id) of the given tabs.
void becomeTabLeaf(LayoutNode& node, std::vector<std::string> tabs, std::optional<std::string> selection) {
    node.windows = std::move(tabs);
    node.selected = std::move(selection);
    node.ratio = 0.5;
    node.axis.reset();
    node.children.clear();
    node.isDesktop = false;
}

// The first window of the target that does not leave with the moved thing.
template <typename Leaves>
std::optional<std::string> survivorOf(const LayoutNode& target, const Leaves& leaves) {
    for (std::string& key : target.allWindows())
        if (!leaves(key)) return std::move(key);
    return std::nullopt;
}

// Where a moved window or group lands once it was taken out of the tree: the root when the
// target was the root, else the target when it survived the removal, else the leaf that now
// holds the target's survivor, else the root.
LayoutNode& anchorAfterRemoval(LayoutNode& root, const std::string& target, bool targetWasRoot,
                               const std::optional<std::string>& survivor) {
    if (targetWasRoot) return root;
    if (LayoutNode* node = findNode(root, target)) return *node;
    if (survivor)
        if (LayoutNode* holder = findLeaf(root, *survivor)) return *holder;
    return root;
}

}  // namespace

void LayoutNode::edit(std::string_view nodeID, const std::function<void(LayoutNode&)>& change) {
    if (id == nodeID) {
        change(*this);
        return;
    }
    for (LayoutNode& child : children) child.edit(nodeID, change);
}

void LayoutNode::select(std::string_view key) {
    if (std::find(windows.begin(), windows.end(), key) != windows.end()) selected = std::string(key);
    for (LayoutNode& child : children) child.select(key);
}

void LayoutNode::remove(std::string_view key) { removeKey(*this, key); }

void LayoutNode::removeNode(std::string_view nodeID) { removeNodeWithID(*this, nodeID); }

bool LayoutNode::dock(const std::string& key, const std::string& beside, DockEdge edge) {
    const LayoutNode* target = findNode(*this, beside);
    if (!target) return false;
    const std::vector<std::string> targetWindows = target->allWindows();
    const bool targetHoldsKey = std::find(targetWindows.begin(), targetWindows.end(), key) != targetWindows.end();
    // A window cannot be docked beside itself alone.
    if (targetHoldsKey && targetWindows.size() < 2 && !target->containsDesktop()) return false;

    const bool targetWasRoot = beside == id;
    const auto survivor = survivorOf(*target, [&key](const std::string& k) { return k == key; });
    remove(key);

    LayoutNode& anchor = anchorAfterRemoval(*this, beside, targetWasRoot, survivor);
    if (edge != DockEdge::tab) {
        placeBeside(anchor, LayoutNode(makeUUID(), {key}, key), edge);
    } else if (!anchor.children.empty()) {
        std::vector<std::string> tabs = anchor.allWindows();
        tabs.push_back(key);
        becomeTabLeaf(anchor, std::move(tabs), key);
    } else {
        anchor.windows.push_back(key);
        anchor.selected = key;
    }
    return true;
}

bool LayoutNode::insertGroup(const LayoutNode& group, const std::string& beside, DockEdge edge) {
    LayoutNode* target = findNode(*this, beside);
    if (!target) return false;
    const std::vector<std::string> groupWindows = group.allWindows();
    const std::vector<std::string> treeWindows = allWindows();
    const std::set<std::string> held(treeWindows.begin(), treeWindows.end());
    if (std::any_of(groupWindows.begin(), groupWindows.end(),
                    [&held](const std::string& k) { return held.contains(k); }))
        return false;

    if (edge != DockEdge::tab) {
        placeBeside(*target, group, edge);
        return true;
    }
    std::vector<std::string> tabs = target->allWindows();
    tabs.insert(tabs.end(), groupWindows.begin(), groupWindows.end());
    std::optional<std::string> selection = group.selected;
    if (!selection && !groupWindows.empty()) selection = groupWindows.front();
    if (!selection && !tabs.empty()) selection = tabs.front();
    becomeTabLeaf(*target, std::move(tabs), std::move(selection));
    return true;
}

bool LayoutNode::dockGroup(const std::string& groupID, const std::string& beside, DockEdge edge) {
    const LayoutNode* group = findNode(*this, groupID);
    if (!group || group->containsDesktop() || !holdsAnyWindow(*group)) return false;
    const LayoutNode* target = findNode(*this, beside);
    if (!target || findNode(*group, beside)) return false;

    LayoutNode moved = *group;
    const bool targetWasRoot = beside == id;
    const std::vector<std::string> movedWindows = moved.allWindows();
    const auto survivor = survivorOf(*target, [&movedWindows](const std::string& k) {
        return std::find(movedWindows.begin(), movedWindows.end(), k) != movedWindows.end();
    });
    removeNode(groupID);

    const std::string anchorID = anchorAfterRemoval(*this, beside, targetWasRoot, survivor).id;
    return insertGroup(moved, anchorID, edge);
}

void LayoutNode::prune(const std::set<std::string>& keeping) {
    for (const std::string& key : allWindows())
        if (!keeping.contains(key)) remove(key);
}

LayoutNode LayoutNode::replacingKeys(const std::map<std::string, std::string>& table) const {
    LayoutNode copy = *this;
    replaceKeys(copy, table);
    return copy;
}

}  // namespace arvelo
