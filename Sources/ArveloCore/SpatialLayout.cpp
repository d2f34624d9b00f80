// SPDX-License-Identifier: MIT
// SpatialLayout.cpp: world rectangles of a tree (ratio clamp and minimum push), the camera
// projection both ways, and the walk that turns world rectangles into tiles and seams.
// The tree is flattened once into pre-order arrays so that solving a large tree allocates
// little; rectangles are still matched to nodes by id, as stored trees may repeat ids.
#include "SpatialLayout.h"

#include "LayoutEngine.h"
#include "LayoutNodeSearch.h"

#include <algorithm>
#include <functional>

namespace arvelo::SpatialLayout {

namespace {

// Split ratios are kept within these bounds before minimums push them.
constexpr double kMinimumRatio = 0.05;
constexpr double kMaximumRatio = 0.95;
// Tiles and seams clipped to no more than these sides are not produced.
constexpr double kSmallestTileSide = 2;
constexpr double kSmallestSeamSide = 1;
// A tile becomes a miniature when its window needs more than this beyond the window frame,
// or when less than this share of it is on screen.
constexpr double kMiniatureTolerance = 2;
constexpr double kMiniatureShare = 0.6;

double area(const Rect& r) { return r.isNull() ? 0 : r.width * r.height; }

// How a minimums table's entries become world fractions: (size + padding) / scale.
struct MinimumScale {
    double padding = 0;
    Size scale{1, 1};
};

// The tree in pre-order: node i's subtree is the index range [i, end[i]); its first child,
// if any, is i + 1 and each next child starts where the previous one ends.
class FlatTree {
public:
    explicit FlatTree(const LayoutNode& root) { add(root); }

    std::size_t size() const { return nodes_.size(); }
    const LayoutNode& node(std::size_t i) const { return *nodes_[i]; }
    std::size_t end(std::size_t i) const { return ends_[i]; }

private:
    std::vector<const LayoutNode*> nodes_;
    std::vector<std::size_t> ends_;

    void add(const LayoutNode& node) {
        const std::size_t index = nodes_.size();
        nodes_.push_back(&node);
        ends_.push_back(0);
        for (const LayoutNode& child : node.children) add(child);
        ends_[index] = nodes_.size();
    }
};

// The world rectangle of every node that the layout reaches, by pre-order index.
class Placement {
public:
    Placement(const FlatTree& tree, const SizeTable& minimums, MinimumScale scale)
        : tree_(tree), rects_(tree.size()), reached_(tree.size(), false) {
        if (!minimums.empty()) measureMinimums(minimums, scale);
        place();
    }

    bool reached(std::size_t i) const { return reached_[i]; }
    const Rect& rect(std::size_t i) const { return rects_[i]; }

private:
    const FlatTree& tree_;
    std::vector<Rect> rects_;
    std::vector<bool> reached_;
    std::vector<Size> minimums_;  // per node; empty when no minimums were given

    // Minimum of each subtree, children before parents: a leaf needs its shown window's
    // minimum; a horizontal split adds its children's widths and takes the tallest height,
    // any other node takes the widest width and adds the heights.
    void measureMinimums(const SizeTable& table, MinimumScale scale) {
        minimums_.assign(tree_.size(), Size{});
        for (std::size_t i = tree_.size(); i-- > 0;) {
            const LayoutNode& node = tree_.node(i);
            Size& minimum = minimums_[i];
            if (node.children.empty()) {
                const std::string* key = node.selected          ? &*node.selected
                                         : node.windows.empty() ? nullptr
                                                                : &node.windows.front();
                if (!key) continue;
                const auto entry = table.find(*key);
                if (entry == table.end()) continue;
                minimum = {(entry->second.width + scale.padding) / scale.scale.width,
                           (entry->second.height + scale.padding) / scale.scale.height};
                continue;
            }
            const bool horizontal = node.axis == SplitAxis::horizontal;
            for (std::size_t child = i + 1; child < tree_.end(i); child = tree_.end(child)) {
                const Size m = minimums_[child];
                if (horizontal) {
                    minimum.width += m.width;
                    minimum.height = std::max(minimum.height, m.height);
                } else {
                    minimum.width = std::max(minimum.width, m.width);
                    minimum.height += m.height;
                }
            }
        }
    }

    // Parents come before children in pre-order, so one forward pass divides every split.
    void place() {
        rects_[0] = world;
        reached_[0] = true;
        for (std::size_t i = 0; i < tree_.size(); ++i) {
            const LayoutNode& node = tree_.node(i);
            if (!reached_[i] || node.children.size() != 2) continue;
            const Rect rect = rects_[i];
            const std::size_t first = i + 1, second = tree_.end(first);
            const bool horizontal = node.axis == SplitAxis::horizontal;
            double ratio = node.ratio < kMaximumRatio ? std::max(node.ratio, kMinimumRatio) : kMaximumRatio;
            if (!minimums_.empty())
                ratio = pushed(ratio, horizontal ? rect.width : rect.height, horizontal, first, second);

            if (horizontal) {
                rects_[first] = {rect.minX(), rect.minY(), ratio * rect.width, rect.height};
                rects_[second] = {rects_[first].maxX(), rect.minY(), rect.width - rects_[first].width, rect.height};
            } else {
                rects_[first] = {rect.minX(), rect.minY(), rect.width, ratio * rect.height};
                rects_[second] = {rect.minX(), rects_[first].maxY(), rect.width, rect.height - rects_[first].height};
            }
            reached_[first] = reached_[second] = true;
        }
    }

    // Moves the ratio so the first child gets at least its minimum and the second keeps its
    // own, when both fit along the split; a split without length keeps its ratio.
    double pushed(double ratio, double length, bool horizontal, std::size_t first, std::size_t second) const {
        if (length <= 0) return ratio;
        const double need = horizontal ? minimums_[first].width : minimums_[first].height;
        const double keep = horizontal ? minimums_[second].width : minimums_[second].height;
        const double room = length - keep;
        if (need > room) return ratio;
        return std::max(need, std::min(ratio * length, room)) / length;
    }
};

// The world rectangle the walk uses for each node: the one stored under the node's id, which
// is the last reached node with that id. With unique ids that is the node's own placement.
class RectsByID {
public:
    RectsByID(const FlatTree& tree, const Placement& placement) : tree_(tree), placement_(placement) {
        if (idsAreUnique()) return;
        for (std::size_t i = 0; i < tree.size(); ++i)
            if (placement.reached(i)) byID_.insert_or_assign(tree.node(i).id, placement.rect(i));
        shared_ = true;
    }

    const Rect* operator[](std::size_t i) const {
        if (!shared_) return placement_.reached(i) ? &placement_.rect(i) : nullptr;
        const auto found = byID_.find(tree_.node(i).id);
        return found == byID_.end() ? nullptr : &found->second;
    }

private:
    const FlatTree& tree_;
    const Placement& placement_;
    RectTable byID_;
    bool shared_ = false;

    // Compares hashes only, in an open-addressing set: equal hashes (a repeated id or a rare
    // collision) take the exact, slower path.
    bool idsAreUnique() const {
        std::size_t capacity = 16;
        while (capacity < 2 * tree_.size()) capacity *= 2;
        std::vector<std::size_t> slots(capacity, 0);  // 0 marks a free slot
        for (std::size_t i = 0; i < tree_.size(); ++i) {
            const std::size_t hash = std::hash<std::string>{}(tree_.node(i).id) | 1;
            for (std::size_t slot = hash & (capacity - 1);; slot = (slot + 1) & (capacity - 1)) {
                if (slots[slot] == hash) return false;
                if (slots[slot] == 0) {
                    slots[slot] = hash;
                    break;
                }
            }
        }
        return true;
    }
};

class Walk {
public:
    Walk(const FlatTree& tree, const RectsByID& rects, const Rect& screen, const Rect& camera, const SizeTable& sizes,
         double gap)
        : tree_(tree), rects_(rects), screen_(screen), camera_(camera), sizes_(sizes), gap_(gap) {}

    void visit(std::size_t i) {
        const Rect* world = rects_[i];
        if (!world) return;
        const Rect projected = project(*world, camera_, screen_);
        if (tree_.node(i).children.empty())
            addTile(tree_.node(i), projected);
        else
            addSplit(i, projected);
    }

    LayoutResult take() { return std::move(result_); }

private:
    const FlatTree& tree_;
    const RectsByID& rects_;
    const Rect screen_, camera_;
    const SizeTable& sizes_;
    const double gap_;
    LayoutResult result_;

    void addSplit(std::size_t i, const Rect& projected) {
        for (std::size_t child = i + 1; child < tree_.end(i); child = tree_.end(child)) visit(child);
        const LayoutNode& node = tree_.node(i);
        if (node.children.size() != 2 || !node.axis) return;
        const Rect* first = rects_[i + 1];
        if (!first) return;
        const Rect firstProjected = project(*first, camera_, screen_);
        const Rect handle = *node.axis == SplitAxis::horizontal
                                ? Rect(firstProjected.maxX() - gap_ / 2, projected.minY(), gap_, projected.height)
                                : Rect(projected.minX(), firstProjected.maxY() - gap_ / 2, projected.width, gap_);
        const Rect clipped = handle.intersection(screen_);
        if (clipped.isEmpty() || clipped.width <= kSmallestSeamSide || clipped.height <= kSmallestSeamSide) return;
        result_.seams.push_back({node.id, *node.axis, clipped, projected});
    }

    void addTile(const LayoutNode& node, const Rect& projected) {
        if (!node.isDesktop && node.windows.empty()) return;
        const Rect full = projected.insetBy(gap_ / 2, gap_ / 2);
        const Rect visible = full.intersection(screen_);
        if (visible.isEmpty() || visible.width <= kSmallestTileSide || visible.height <= kSmallestTileSide) return;

        Tile tile;
        tile.nodeID = node.id;
        tile.windows = node.windows;
        tile.selected = node.selected ? *node.selected : node.windows.empty() ? "desktop" : node.windows.front();
        tile.frame = visible;
        if (!node.isDesktop) {
            const double fullArea = area(full);
            const double share = fullArea > 0 ? area(visible) / fullArea : 0;
            const auto entry = sizes_.find(tile.selected);
            const Size native = entry != sizes_.end() ? entry->second : LayoutEngine::defaultMinimum;
            const Rect windowFrame = tile.windowFrame();
            tile.miniature = native.width > windowFrame.width + kMiniatureTolerance ||
                             native.height > windowFrame.height + kMiniatureTolerance || share < kMiniatureShare;
        }
        result_.tiles.push_back(std::move(tile));
    }
};

}  // namespace

SizeTable worldMinimums(const SizeTable& minimums, Size screen) {
    if (!(screen.width > 0) || !(screen.height > 0)) return {};
    SizeTable out;
    out.reserve(minimums.size());
    for (const auto& [key, size] : minimums)
        out.emplace(key, Size{size.width / screen.width, size.height / screen.height});
    return out;
}

RectTable rects(const LayoutNode& root, const SizeTable& minimums) {
    const FlatTree tree(root);
    const Placement placement(tree, minimums, {});
    RectTable out;
    out.reserve(tree.size());
    for (std::size_t i = 0; i < tree.size(); ++i)
        if (placement.reached(i)) out.insert_or_assign(tree.node(i).id, placement.rect(i));
    return out;
}

Rect project(const Rect& rect, const Rect& camera, const Rect& screen) {
    const double sx = screen.width / camera.width, sy = screen.height / camera.height;
    return {screen.minX() + (rect.x - camera.minX()) * sx, screen.minY() + (rect.y - camera.minY()) * sy,
            rect.width * sx, rect.height * sy};
}

Rect unproject(const Rect& rect, const Rect& camera, const Rect& screen) { return project(rect, screen, camera); }

LayoutResult layout(const LayoutNode& root, const Rect& screen, const Rect& camera, const SizeTable& sizes,
                    const SizeTable& minimums, double gap, std::optional<Size> solvingIn) {
    if (!holdsAnyWindow(root) || !(camera.width > 0) || !(camera.height > 0)) return {};

    // Minimums grow by the gap and become fractions of the size solved in; a size without
    // area gives no minimums at all.
    const Size solveSize = solvingIn.value_or(screen.size());
    const bool pushes = solveSize.width > 0 && solveSize.height > 0;
    const SizeTable none;
    const FlatTree tree(root);
    const Placement placement(tree, pushes ? minimums : none, {gap, solveSize});
    const RectsByID rects(tree, placement);

    // A camera inside the desktop leaf shows bare desktop only.
    for (std::size_t i = 0; i < tree.size(); ++i) {
        if (!tree.node(i).isDesktop) continue;
        if (const Rect* desktop = rects[i]; desktop && desktop->contains(camera)) return {};
        break;
    }

    Walk walk(tree, rects, screen, camera, sizes, gap);
    walk.visit(0);
    return walk.take();
}

}  // namespace arvelo::SpatialLayout
