// SPDX-License-Identifier: MIT
// LayoutNode.h: one node of a display's layout tree, a plain value that callers copy, edit
// and store back. Inner nodes are two-way splits with an axis and a ratio; leaves hold window
// keys shown as tabs; at most one leaf, the desktop leaf (id "desktop"), stands for bare desktop.
// Declares the node's queries (LayoutNode.cpp), builders (LayoutNodeBuilders.cpp), edits
// (LayoutNodeEdits.cpp) and JSON form (LayoutNodeJSON.cpp).
#pragma once

#include "ArveloCore/DockEdge.h"
#include "ArveloCore/SplitAxis.h"

#include <nlohmann/json_fwd.hpp>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace arvelo {

struct LayoutNode {
    // Stored fields, in their JSON order.
    std::string id;                       // identity inside its tree
    std::optional<SplitAxis> axis;        // split direction; absent on leaves
    double ratio = 0.5;                   // share of the first child along the axis
    std::vector<LayoutNode> children;     // empty for a leaf, two for a split
    std::vector<std::string> windows;     // window keys of a leaf, in tab order
    std::optional<std::string> selected;  // the key of the tab that is shown
    bool isDesktop = false;               // true only for the desktop leaf

    // An empty leaf with an empty id (what a decode starts from).
    LayoutNode() = default;
    // A leaf; without a selection the first window (if any) is selected. A given selection is
    // kept even when the windows do not hold it.
    explicit LayoutNode(std::string id, std::vector<std::string> windows = {},
                        std::optional<std::string> selected = std::nullopt);

    friend bool operator==(const LayoutNode&, const LayoutNode&) = default;

    // ---- Queries (recursive over the subtree; searches test the node itself first, then
    // its children in order). Results that are nodes are copies.

    // The node's own windows, then each child's, depth first.
    std::vector<std::string> allWindows() const;
    bool isLeaf() const { return children.empty(); }
    bool containsDesktop() const;
    std::optional<LayoutNode> desktopLeaf() const;
    // Every key of allWindows(), plus "desktop" when the subtree holds the desktop leaf.
    std::set<std::string> framingKeys() const;
    // The deepest node whose framing keys hold every key of the set (first child first);
    // absent for an empty set or one this node does not hold. "desktop" stands for the
    // desktop leaf.
    std::optional<LayoutNode> narrowest(const std::set<std::string>& keys) const;
    // The first node, in pre-order, with the given id.
    std::optional<LayoutNode> node(std::string_view nodeID) const;
    // The first node, in pre-order, whose own windows hold the key.
    std::optional<LayoutNode> leaf(std::string_view key) const;
    // The first node, in pre-order, with a direct child of the given id; absent for the root.
    std::optional<LayoutNode> parent(std::string_view nodeID) const;

    // ---- Builders. Every new split and leaf gets a fresh upper-case UUID as its id.

    // The desktop leaf: id "desktop", no windows, no selection, isDesktop set.
    static LayoutNode desktop();
    // A new split of the two nodes, in that order.
    static LayoutNode split(LayoutNode first, LayoutNode second, SplitAxis axis, double ratio);
    // The spiral: each level splits off one window (left on a landscape screen, else on top)
    // and the direction alternates; the desktop leaf, when asked for, takes the innermost place.
    static LayoutNode dwindle(const std::vector<std::string>& keys, bool landscape, bool desktop);
    // Columns of stacked leaves (desktop leaf last when asked for), the column count chosen so
    // that a cell's shape is nearest 3:2 for a screen of the given aspect (width / height).
    static LayoutNode grid(const std::vector<std::string>& keys, double aspect, bool desktop);
    // A chain of splits giving each node an equal share along the axis; no nodes give the
    // desktop leaf, one node gives itself.
    static LayoutNode even(std::vector<LayoutNode> nodes, SplitAxis axis);

    // ---- Edits, called on the root of a tree. Refusals return false and leave the tree as it
    // was; keys or ids that the tree does not hold change nothing. After a removal, splits left
    // empty are dropped and a split left with one child is replaced by that child.

    // Applies the change to every node with that id that is not inside another match.
    void edit(std::string_view nodeID, const std::function<void(LayoutNode&)>& change);
    // Every node whose own windows hold the key selects it.
    void select(std::string_view key);
    void remove(std::string_view key);
    void removeNode(std::string_view nodeID);
    // Moves the window (held or not) beside the target node, or into it as a tab.
    bool dock(const std::string& key, const std::string& beside, DockEdge edge);
    // Inserts a whole subtree that shares no window with this tree beside the target node,
    // or joins its windows to the target's as tabs.
    bool insertGroup(const LayoutNode& group, const std::string& beside, DockEdge edge);
    // Moves the node with the group id (with windows, without the desktop leaf) beside the
    // target node, or into it as tabs.
    bool dockGroup(const std::string& group, const std::string& beside, DockEdge edge);
    // Removes every window not in the set.
    void prune(const std::set<std::string>& keeping);
    // A copy with each window key replaced by its entry in the table; keys without an entry
    // are dropped.
    LayoutNode replacingKeys(const std::map<std::string, std::string>& table) const;
};

// ---- JSON form: an object with "id", "axis" (only when present), "ratio", "children",
// "windows", "selected" (only when present) and "isDesktop", written in that order.
// Reading needs "id"; other keys are optional, JSON null counts as absent, unknown keys are
// ignored, a wrong type fails the decode with nlohmann::json::type_error. Nesting deeper
// than kMaxLayoutDepth nodes fails with nlohmann::json::other_error rather than exhausting
// the stack. Decoders report failure only by these exceptions (all nlohmann::json::exception).

inline constexpr int kMaxLayoutDepth = 512;

void to_json(nlohmann::ordered_json& json, const LayoutNode& node);
void from_json(const nlohmann::ordered_json& json, LayoutNode& node);
void to_json(nlohmann::json& json, const LayoutNode& node);
void from_json(const nlohmann::json& json, LayoutNode& node);

// The compact JSON text of a node, keys in their fixed order.
std::string encodeLayoutNode(const LayoutNode& node);
// Parses and decodes JSON text; throws nlohmann::json::exception on bad text or a bad tree.
LayoutNode decodeLayoutNode(std::string_view text);

}  // namespace arvelo
