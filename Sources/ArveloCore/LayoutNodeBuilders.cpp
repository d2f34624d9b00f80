// SPDX-License-Identifier: MIT
// LayoutNodeBuilders.cpp: the builders of whole trees and new splits from window keys: the
// desktop leaf, a split, the dwindle spiral, the grid and the even chain it is made of.
#include "LayoutNode.h"

#include "UUID.h"

#include <cmath>

namespace arvelo {

namespace {

// A cell's preferred shape (width / height) when the grid picks its column count.
constexpr double kGridCellAspect = 1.5;

LayoutNode leafOf(const std::string& key) { return LayoutNode(makeUUID(), {key}); }

std::size_t gridColumns(std::size_t count, double aspect) {
    if (count <= 1) return 1;
    std::size_t best = 1;
    double bestCost = 0;
    for (std::size_t k = 1; k <= count; ++k) {
        const double rows = std::ceil(static_cast<double>(count) / static_cast<double>(k));
        const double cost = std::abs(std::log(aspect * rows / static_cast<double>(k) / kGridCellAspect));
        // A later count replaces the best only when strictly cheaper, so ties keep fewer columns.
        if (k == 1 || cost < bestCost) {
            best = k;
            bestCost = cost;
        }
    }
    return best;
}

}  // namespace

LayoutNode LayoutNode::desktop() {
    LayoutNode node("desktop");
    node.isDesktop = true;
    return node;
}

LayoutNode LayoutNode::split(LayoutNode first, LayoutNode second, SplitAxis axis, double ratio) {
    LayoutNode node(makeUUID());
    node.axis = axis;
    node.ratio = ratio;
    node.children.reserve(2);
    node.children.push_back(std::move(first));
    node.children.push_back(std::move(second));
    return node;
}

LayoutNode LayoutNode::dwindle(const std::vector<std::string>& keys, bool landscape, bool desktop) {
    const std::size_t n = keys.size();
    if (n == 0) return LayoutNode::desktop();
    // Built from the innermost place outwards; level i splits horizontally when landscape,
    // and the direction alternates with each level.
    std::size_t i = n - 1;
    LayoutNode inner = desktop ? LayoutNode::desktop() : leafOf(keys[i]);
    if (!desktop) {
        if (i == 0) return inner;
        --i;
    }
    while (true) {
        const bool horizontal = (i % 2 == 0) == landscape;
        inner = split(leafOf(keys[i]), std::move(inner), horizontal ? SplitAxis::horizontal : SplitAxis::vertical, 0.5);
        if (i == 0) return inner;
        --i;
    }
}

LayoutNode LayoutNode::grid(const std::vector<std::string>& keys, double aspect, bool desktop) {
    std::vector<LayoutNode> nodes;
    nodes.reserve(keys.size() + 1);
    for (const std::string& key : keys) nodes.push_back(leafOf(key));
    if (desktop) nodes.push_back(LayoutNode::desktop());

    const std::size_t n = nodes.size();
    const std::size_t k = gridColumns(n, aspect);
    std::vector<LayoutNode> columns;
    columns.reserve(k);
    std::size_t next = 0;
    for (std::size_t column = 0; column < k; ++column) {
        const std::size_t take = n / k + (column < n % k ? 1 : 0);
        std::vector<LayoutNode> stack(
            std::make_move_iterator(nodes.begin() + static_cast<std::ptrdiff_t>(next)),
            std::make_move_iterator(nodes.begin() + static_cast<std::ptrdiff_t>(next + take)));
        next += take;
        columns.push_back(even(std::move(stack), SplitAxis::vertical));
    }
    return even(std::move(columns), SplitAxis::horizontal);
}

LayoutNode LayoutNode::even(std::vector<LayoutNode> nodes, SplitAxis axis) {
    if (nodes.empty()) return LayoutNode::desktop();
    // Built from the last pair outwards: the split over the last m nodes has ratio 1 / m.
    LayoutNode chain = std::move(nodes.back());
    for (std::size_t i = nodes.size() - 1; i-- > 0;) {
        const double count = static_cast<double>(nodes.size() - i);
        chain = split(std::move(nodes[i]), std::move(chain), axis, 1.0 / count);
    }
    return chain;
}

}  // namespace arvelo
