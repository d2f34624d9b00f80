// SPDX-License-Identifier: MIT
// CoordinatorPruning.cpp: taking windows that went away (closed, minimised, moved to another
// Space) and displays that were unplugged out of the layouts, and stopping the arrangement
// when no display state is left; what quitting asks of the arranger.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Input/SpatialInputController.h"
#include "Arvelo/Input/WindowDragController.h"

namespace arvelo {

bool Coordinator::removeUnavailableWindows() {
    std::set<std::string> present;
    for (const auto& display : displays.get()) present.insert(display.id);
    // The window table by key, for one lookup per window of a tree.
    std::vector<std::pair<std::string_view, const WindowRecord*>> listed;
    listed.reserve(windows->size());
    for (const auto& record : windows.get()) listed.emplace_back(record->id, record.get());
    std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    // Whether a display's tree may keep a window: it is in the table and not minimised (unless
    // it is parked), and when the display's Space is known, the window is in it or in none.
    const auto keeps = [&](const std::string& displayID, const std::string& key) {
        const auto found = std::lower_bound(listed.begin(), listed.end(), std::string_view(key),
                                            [](const auto& item, std::string_view k) { return item.first < k; });
        if (found == listed.end() || found->first != key) return false;
        if (found->second->minimized == true && !found->second->parked) return false;
        const auto space = currentSpaces.find(displayID);
        if (space == currentSpaces.end()) return true;
        const auto recordIt = access->records.find(key);
        if (recordIt == access->records.end()) return true;
        const auto spaces = spacesOfWindow(recordIt->second->windowNumber);
        return spaces.empty() || spaces.contains(space->second);
    };
    bool anyToPrune = false;
    for (const auto& [displayID, state] : states.get()) {
        const auto inTree = state.root.allWindows();
        anyToPrune = anyToPrune || !present.contains(displayID) ||
                     !std::all_of(inTree.begin(), inTree.end(), [&](const auto& key) { return keeps(displayID, key); }) ||
                     (inTree.empty() && (state.focus || state.camera)) ||
                     (state.focus && !state.root.node(*state.focus)) ||
                     (state.preferred && std::find(inTree.begin(), inTree.end(), *state.preferred) == inTree.end());
    }
    // Every tree keeps what it holds: nothing to copy or compare.
    if (!anyToPrune) return false;

    bool changed = false;
    std::map<std::string, WorkspaceState> pruned;
    for (auto [displayID, state] : states.get()) {
        const auto before = state.root.allWindows();
        std::set<std::string> keep;
        for (const auto& key : before)
            if (keeps(displayID, key)) keep.insert(key);
        state.root.prune(keep);
        if (!present.contains(displayID)) {
            changed = true;
            continue;
        }
        const auto after = state.root.allWindows();
        if (after.empty()) {
            state.focus.reset();
            state.camera.reset();
        } else if (state.focus && !state.root.node(*state.focus)) {
            state.focus.reset();
        }
        if (state.preferred && std::find(after.begin(), after.end(), *state.preferred) == after.end())
            state.preferred = after.empty() ? std::nullopt : std::optional<std::string>(after.front());
        if (before != after) {
            state.focus.reset();
            state.camera.reset();
            changed = true;
        }
        pruned.emplace(displayID, std::move(state));
    }
    if (pruned != states.get()) states = std::move(pruned);
    return changed;
}

void Coordinator::stopEmptyWorkspace() {
    pictures->cancelPreparation();
    managing = false;
    chromeDragging = false;
    resizingSeam = false;
    windowDrag->cancel();
    spatialInput->stop();
    if (overview) overview->hide();
    chrome->clear();
    access->restoreAll();
    states = std::map<std::string, WorkspaceState>{};
    // The windows are going back: each keeps its entry until it is confirmed back; entries of
    // an earlier run that matched no window here stay.
    beginSettlingRecovery();
    if (recovery_->unclaimed().empty()) recoveryAvailable = false;
    status = "No managed windows remain. Arrangement stopped.";
    requestLayoutDiagnostics();
    onChange.send();
}

bool Coordinator::hasWindowsToRestore() const {
    if (managing.get()) return true;
    const auto& all = windows.get();
    return std::any_of(all.begin(), all.end(),
                       [](const std::shared_ptr<WindowRecord>& record) { return record && record->originalFrame; });
}

void Coordinator::restoreForQuit() {
    stopping = true;
    restore();
}

void Coordinator::shutDown() {
    if (windowDrag) windowDrag->stop();
    if (spatialInput) spatialInput->stop();
    if (hasWindowsToRestore()) restore();
}

}  // namespace arvelo
