// CoordinatorResize.cpp: turning a docked window's hand-made frame into seam moves (the
// window's tile takes the requested edges and its neighbours give or take the room), nudging a
// dragged window's seams, and tabbing away windows that a resize squeezed below their minimum.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>
#include <cmath>

#include "ArveloCore/SpatialLayout.h"

namespace arvelo {

namespace {

// An edge of the requested frame that moved by more than this is a seam move.
constexpr double kEdgeTolerance = 4.0;
// A split's seam belongs to a window's edge when it lies this close to it, in world units.
constexpr double kSeamReach = 0.002;
constexpr double kLeastExtent = 0.0001;
constexpr int kMakeRoomPasses = 4;

bool holds(const std::vector<std::string>& keys, const std::string& key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

const DisplayInfo* displayWithID(const std::vector<DisplayInfo>& displays, const std::string& id) {
    for (const auto& display : displays)
        if (display.id == id) return &display;
    return nullptr;
}

}  // namespace

// For each seam move in order: walk from the key's leaf towards the root to the first split of
// the move's axis whose seam lies at the moving edge, on the key's side, and set its ratio so
// that the seam lands at the wanted world position. World rectangles are recomputed for each
// move, so each sees the ratios set by the ones before it.
void Coordinator::placeSeams(LayoutNode& root, const std::vector<SeamMove>& moves,
                             const SpatialLayout::SizeTable& worldMinimums, const std::string& key) {
    for (const auto& move : moves) {
        const auto rects = SpatialLayout::rects(root, worldMinimums);
        const auto leaf = root.leaf(key);
        if (!leaf) return;
        const auto leafRect = rects.find(leaf->id);
        if (leafRect == rects.end()) return;
        const bool horizontal = move.axis == SplitAxis::horizontal;
        const Rect& r = leafRect->second;
        const double edge =
            horizontal ? (move.leadingEdge ? r.minX() : r.maxX()) : (move.leadingEdge ? r.minY() : r.maxY());
        std::string pathNode = leaf->id;
        for (auto ancestor = root.parent(pathNode); ancestor;
             pathNode = ancestor->id, ancestor = root.parent(pathNode)) {
            if (ancestor->axis != move.axis || ancestor->children.size() != 2) continue;
            const auto own = rects.find(ancestor->id);
            const auto first = rects.find(ancestor->children[0].id);
            if (own == rects.end() || first == rects.end()) continue;
            const std::string& sideChild = ancestor->children[move.leadingEdge ? 1 : 0].id;
            if (sideChild != pathNode) continue;
            const double seam = horizontal ? first->second.maxX() : first->second.maxY();
            if (!(std::abs(seam - edge) < kSeamReach)) continue;
            const double start = horizontal ? own->second.minX() : own->second.minY();
            const double extent = std::max(horizontal ? own->second.width : own->second.height, kLeastExtent);
            const double ratio = std::clamp((move.position - start) / extent, 0.05, 0.95);
            root.edit(ancestor->id, [ratio](LayoutNode& node) { node.ratio = ratio; });
            break;
        }
    }
}

void Coordinator::resizeDocked(const std::string& key, const Rect& requested) {
    std::string displayID;
    for (const auto& [id, state] : states.get()) {
        if (!holds(state.root.allWindows(), key)) continue;
        displayID = id;
        break;
    }
    if (displayID.empty()) return;
    const DisplayInfo* display = displayWithID(displays.get(), displayID);
    if (!display) return;
    LayoutNode working = states->at(displayID).root;
    const auto leaf = working.leaf(key);
    if (!leaf) return;

    // A window shown as a miniature cannot be resized this way.
    const LayoutResult shown = layout(displayID);
    const auto tile = std::find_if(shown.tiles.begin(), shown.tiles.end(),
                                   [&](const Tile& t) { return !t.miniature && holds(t.windows, key); });
    if (tile == shown.tiles.end()) return;
    const Rect current = tile->windowFrame();
    const LayoutArea area = layoutArea(*display);
    const Rect& screen = area.screen;
    const double half = area.gap * 0.5;
    const Rect view = camera(displayID);
    const auto worldMinimums = area.worldMinimums(minimums());
    const auto rects = SpatialLayout::rects(working, worldMinimums);
    if (rects.empty() || !rects.contains(leaf->id)) return;

    // Half the gap turns the window's edge into its tile's edge, where the seam lies.
    const auto worldX = [&](double x) { return view.minX() + (x - screen.minX()) * view.width / screen.width; };
    const auto worldY = [&](double y) { return view.minY() + (y - screen.minY()) * view.height / screen.height; };
    std::vector<SeamMove> moves;
    if (std::abs(requested.minX() - current.minX()) > kEdgeTolerance)
        moves.push_back({SplitAxis::horizontal, true, worldX(requested.minX() - half)});
    if (std::abs(requested.maxX() - current.maxX()) > kEdgeTolerance)
        moves.push_back({SplitAxis::horizontal, false, worldX(requested.maxX() + half)});
    if (std::abs(requested.minY() - current.minY()) > kEdgeTolerance)
        moves.push_back({SplitAxis::vertical, true, worldY(requested.minY() - tile->tabHeight() - half)});
    if (std::abs(requested.maxY() - current.maxY()) > kEdgeTolerance)
        moves.push_back({SplitAxis::vertical, false, worldY(requested.maxY() + half)});
    if (moves.empty()) {
        apply();
        return;
    }

    // Windows that misfit already stay where they are; only newly squeezed ones are tabbed away.
    std::set<std::string> except;
    for (const auto& t : layout(displayID).tiles)
        if (misfit(t)) except.insert(t.selected);

    placeSeams(working, moves, worldMinimums, key);
    states.modify([&](auto& all) {
        all[displayID].root = working;
        all[displayID].autoArrange = false;
    });
    makeRoom(key, displayID, except);
    if (const auto stateIt = states->find(displayID); stateIt != states->end() && stateIt->second.root != working) {
        LayoutNode again = stateIt->second.root;
        placeSeams(again, moves, worldMinimums, key);
        states.modify([&](auto& all) { all[displayID].root = std::move(again); });
    }
    apply();
}

void Coordinator::makeRoom(const std::string& key, const std::string& displayID, const std::set<std::string>& except) {
    const DisplayInfo* display = displayWithID(displays.get(), displayID);
    if (!display) return;
    const Rect screen = layoutArea(*display).screen;
    const auto misfits = [this](const LayoutResult& result) {
        return static_cast<int>(
            std::count_if(result.tiles.begin(), result.tiles.end(), [this](const Tile& tile) { return misfit(tile); }));
    };
    for (int pass = 0; pass < kMakeRoomPasses; ++pass) {
        const auto stateIt = states->find(displayID);
        if (stateIt == states->end()) return;
        const LayoutNode root = stateIt->second.root;
        // The tree's own proportions, with no minimums pushing the seams.
        const LayoutResult plain =
            SpatialLayout::layout(root, screen, camera(displayID), {}, {}, gap.get(), std::nullopt);
        if (plain.tiles.empty()) return;
        const auto moving = std::find_if(plain.tiles.begin(), plain.tiles.end(), [&](const Tile& tile) {
            return tile.windows.size() == 1 && tile.selected != key && !pinned.contains(tile.selected) &&
                   !except.contains(tile.selected) && misfit(tile);
        });
        if (moving == plain.tiles.end()) return;
        const std::string movingKey = moving->selected;

        std::optional<LayoutNode> kept;
        int keptMisfits = 0;
        for (const auto& target : layout(displayID).tiles) {
            if (target.windows.empty() || target.miniature || holds(target.windows, movingKey) ||
                holds(target.windows, key))
                continue;
            LayoutNode candidate = root;
            if (!candidate.dock(movingKey, target.nodeID, DockEdge::tab)) continue;
            // The moved window becomes a hidden tab; the pane keeps showing what it showed.
            if (const auto holder = candidate.leaf(movingKey)) {
                const std::string shownKey = target.selected;
                candidate.edit(holder->id, [&](LayoutNode& node) { node.selected = shownKey; });
            }
            const int score = misfits(layout(displayID, false, std::nullopt, candidate));
            if (!kept || score < keptMisfits) {
                kept = std::move(candidate);
                keptMisfits = score;
            }
        }
        if (!kept) return;
        states.modify([&](auto& all) { all[displayID].root = std::move(*kept); });
    }
}

void Coordinator::nudgeDocked(const std::string& key, Point vector) {
    for (const auto& [id, state] : states.get()) {
        if (!holds(state.root.allWindows(), key)) continue;
        for (const auto& tile : layout(id).tiles) {
            if (tile.miniature || !holds(tile.windows, key)) continue;
            resizeDocked(key, tile.windowFrame().offsetBy(vector.x, vector.y));
            return;
        }
        break;
    }
    apply();
}

}  // namespace arvelo
