// SPDX-License-Identifier: MIT
// LayoutNodeSearch.h: pre-order searches over a layout tree that hand back the node itself
// (not a copy), shared by the queries, the edits and the solver inside this module.
#pragma once

#include "ArveloCore/LayoutNode.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace arvelo {

// The first node in pre-order (the node, then each child's subtree in order) that matches.
template <typename Node, typename Predicate>
Node* findFirst(Node& node, const Predicate& matches) {
    if (matches(node)) return &node;
    for (auto& child : node.children)
        if (Node* found = findFirst(child, matches)) return found;
    return nullptr;
}

template <typename Node>
Node* findNode(Node& root, std::string_view nodeID) {
    return findFirst(root, [nodeID](const LayoutNode& n) { return n.id == nodeID; });
}

template <typename Node>
Node* findLeaf(Node& root, std::string_view key) {
    return findFirst(root, [key](const LayoutNode& n) {
        return std::find(n.windows.begin(), n.windows.end(), key) != n.windows.end();
    });
}

// Whether the subtree holds at least one window key.
inline bool holdsAnyWindow(const LayoutNode& node) {
    return findFirst(node, [](const LayoutNode& n) { return !n.windows.empty(); }) != nullptr;
}

inline std::optional<LayoutNode> copyOf(const LayoutNode* node) {
    if (!node) return std::nullopt;
    return *node;
}

}  // namespace arvelo
