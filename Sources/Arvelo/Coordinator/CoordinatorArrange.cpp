// SPDX-License-Identifier: MIT
// CoordinatorArrange.cpp: "Set Windows": every movable window of the shown desktop is taken
// from the last scan, its original frame remembered and written to the recovery file before
// anything moves, and each display gets a fresh dwindle tree (a grid when a tile would be too
// small), which apply() then writes to the windows.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>

#include "Arvelo/Input/SpatialInputController.h"

namespace arvelo {

namespace {

constexpr const char* kUntrustedStatus =
    "No EWMH window manager is running, so windows cannot be moved. Start one (openbox, xfwm4, KWin), then Arrange.";
constexpr const char* kNoCandidatesStatus =
    "No movable windows on this desktop. Open a standard app window and Refresh.";

// The least window area of a tile before a display falls back to the grid.
constexpr double kLeastTileWidth = 300;
constexpr double kLeastTileHeight = 200;
// The least height used as the divisor of the aspect ratio.
constexpr double kLeastAspectHeight = 1;

}  // namespace

void Coordinator::arrange() {
    autoTile = true;
    refresh([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->arrangeCurrentSnapshot(std::nullopt);
    });
}

void Coordinator::arrangeCurrentSnapshot(const std::optional<std::set<std::string>>& only) {
    // Refusals that change nothing but the status.
    if (!trusted.get()) {
        status = kUntrustedStatus;
        return;
    }
    if (zendraRunning()) {
        status = kOtherWindowManagerStatus;
        return;
    }

    // The candidates: on screen (or parked here), on the Space shown, not pinned.
    const std::set<std::string> managed = managedHere();
    std::vector<std::shared_ptr<WindowRecord>> candidates;
    for (const auto& record : windows.get()) {
        if (!record->onScreen && !(record->parked && managed.contains(record->id))) continue;
        const auto spaces = spacesOfWindow(record->windowNumber);
        if (!spaces.empty()) {
            if (const auto display = displayOf(record->frame)) {
                const auto current = currentSpaces.find(display->id);
                if (current != currentSpaces.end() && !spaces.contains(current->second)) continue;
            }
        }
        if (pinned.contains(record->id)) continue;
        candidates.push_back(record);
    }
    if (candidates.empty()) {
        status = kNoCandidatesStatus;
        return;
    }

    // Pictures for windows that have none yet; the arrangement does not wait for them.
    std::set<std::string> missingPictures;
    for (const auto& record : candidates)
        if (!previewImages->contains(record->id)) missingPictures.insert(record->id);
    if (!missingPictures.empty()) pictures->request(missingPictures, true);

    // A whole arrangement forgets the marks; originals are remembered and saved before
    // any window moves.
    floatedWindows.clear();
    userPlaced.clear();
    autoTabbed.clear();
    for (const auto& record : candidates) noteOriginalFrame(*record);
    writeRecovery();

    // A fresh tree per display.
    for (const auto& display : displays.get()) {
        if (only && !only->contains(display.id)) continue;
        std::vector<std::string> keys;
        for (const auto& record : candidates) {
            const auto home = displayOf(record->frame);
            if (home && home->id == display.id) keys.push_back(record->id);
        }
        if (keys.empty()) {
            states.modify([&](auto& map) { map[display.id] = WorkspaceState{}; });
            continue;
        }
        const double w = display.frame.width, h = display.frame.height;
        WorkspaceState state;
        state.root = LayoutNode::dwindle(keys, h <= w, false);
        state.preferred = keys.front();
        states.modify([&](auto& map) { map[display.id] = state; });

        const LayoutResult result = layout(display.id);
        const bool tooSmall = std::any_of(result.tiles.begin(), result.tiles.end(), [](const Tile& tile) {
            if (tile.windows.empty()) return false;
            const Rect area = tile.windowFrame();
            return area.width < kLeastTileWidth || area.height < kLeastTileHeight;
        });
        if (tooSmall) {
            states.modify([&](auto& map) {
                map[display.id].root = LayoutNode::grid(keys, w / std::max(h, kLeastAspectHeight), false);
            });
        }
    }

    // Arranging is on; the dashboard steps aside.
    managing = true;
    spatialInput->install();
    apply();
    if (dashboard) dashboard->hide();
}

}  // namespace arvelo
