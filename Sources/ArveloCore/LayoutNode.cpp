// SPDX-License-Identifier: MIT
// LayoutNode.cpp: the layout node's construction and its read-only queries over a subtree.
#include "LayoutNode.h"

#include "LayoutNodeSearch.h"

#include <algorithm>

namespace arvelo {

LayoutNode::LayoutNode(std::string id_, std::vector<std::string> windows_, std::optional<std::string> selected_)
    : id(std::move(id_)), windows(std::move(windows_)), selected(std::move(selected_)) {
    if (!selected && !windows.empty()) selected = windows.front();
}

namespace {

void collectWindows(const LayoutNode& node, std::vector<std::string>& out) {
    out.insert(out.end(), node.windows.begin(), node.windows.end());
    for (const LayoutNode& child : node.children) collectWindows(child, out);
}

bool holdsAll(const std::set<std::string>& framing, const std::set<std::string>& keys) {
    return std::includes(framing.begin(), framing.end(), keys.begin(), keys.end());
}

}  // namespace

std::vector<std::string> LayoutNode::allWindows() const {
    std::vector<std::string> out;
    collectWindows(*this, out);
    return out;
}

bool LayoutNode::containsDesktop() const {
    return findFirst(*this, [](const LayoutNode& n) { return n.isDesktop; }) != nullptr;
}

std::optional<LayoutNode> LayoutNode::desktopLeaf() const {
    return copyOf(findFirst(*this, [](const LayoutNode& n) { return n.isDesktop; }));
}

std::set<std::string> LayoutNode::framingKeys() const {
    std::vector<std::string> keys = allWindows();
    std::set<std::string> out(std::make_move_iterator(keys.begin()), std::make_move_iterator(keys.end()));
    if (containsDesktop()) out.insert("desktop");
    return out;
}

std::optional<LayoutNode> LayoutNode::narrowest(const std::set<std::string>& keys) const {
    if (keys.empty() || !holdsAll(framingKeys(), keys)) return std::nullopt;
    for (const LayoutNode& child : children)
        if (auto found = child.narrowest(keys)) return found;
    return *this;
}

std::optional<LayoutNode> LayoutNode::node(std::string_view nodeID) const { return copyOf(findNode(*this, nodeID)); }

std::optional<LayoutNode> LayoutNode::leaf(std::string_view key) const { return copyOf(findLeaf(*this, key)); }

std::optional<LayoutNode> LayoutNode::parent(std::string_view nodeID) const {
    return copyOf(findFirst(*this, [nodeID](const LayoutNode& n) {
        return std::any_of(n.children.begin(), n.children.end(),
                           [nodeID](const LayoutNode& c) { return c.id == nodeID; });
    }));
}

}  // namespace arvelo
