// SPDX-License-Identifier: MIT
// TreeHelpers.h: short ways to write layout trees with readable ids in tests.
#pragma once

#include "ArveloCore/LayoutNode.h"

#include <cctype>
#include <string>
#include <vector>

namespace treehelpers {

using arvelo::LayoutNode;
using arvelo::SplitAxis;

inline LayoutNode leaf(std::string id, std::vector<std::string> windows) {
    return LayoutNode(std::move(id), std::move(windows));
}

inline LayoutNode split(std::string id, LayoutNode first, LayoutNode second, SplitAxis axis = SplitAxis::horizontal,
                        double ratio = 0.5) {
    LayoutNode node = LayoutNode::split(std::move(first), std::move(second), axis, ratio);
    node.id = std::move(id);
    return node;
}

// True for the builders' fresh ids: 36 characters, upper-case hexadecimal in groups 8-4-4-4-12.
inline bool isFreshUUID(const std::string& id) {
    if (id.size() != 36) return false;
    for (std::size_t i = 0; i < id.size(); ++i) {
        const char c = id[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != '-') return false;
        } else if (!(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

}  // namespace treehelpers
