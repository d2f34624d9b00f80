// SPDX-License-Identifier: MIT
// CoordinatorSavedLayouts.cpp: the numbered layouts the user saves and recalls: saving every
// display's tree with the identities of its windows, and recalling it on the live windows that
// SavedLayoutMatching pairs with the saved ones.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>

#include "Arvelo/Coordinator/SavedLayoutMatching.h"
#include "Arvelo/State/StoredText.h"

namespace arvelo {

void Coordinator::saveView(int slot) {
    const std::set<std::string> managed = managedHere();

    SavedView view;
    view.id = slot;
    view.name = "Layout " + std::to_string(slot);
    for (const auto& [displayID, state] : states.get()) {
        WorkspaceState kept;
        kept.root = state.root;
        kept.preferred = state.preferred;
        view.displays[displayID] = std::move(kept);
    }
    std::map<std::string, std::string> apps;
    for (const auto& record : windows.get()) {
        if (!managed.contains(record->id)) continue;
        view.identities[record->id] = identity(*record);
        apps[record->id] = storedText(record->applicationID());
    }
    view.apps = std::move(apps);
    view.savedAt = now();

    saved.modify([&](std::vector<SavedView>& all) {
        std::erase_if(all, [&](const SavedView& entry) { return entry.id == slot; });
        all.push_back(std::move(view));
        std::stable_sort(all.begin(), all.end(), [](const SavedView& a, const SavedView& b) { return a.id < b.id; });
    });
    if (persistSaved()) {
        status = "Saved Layout " + std::to_string(slot) + ".";
    } else {
        status = "Saved Layout " + std::to_string(slot) + " for this session only: it could not be written to disk.";
    }
}

bool Coordinator::persistSaved() { return files().writeSavedViews(saved.get()); }

void Coordinator::recallView(int slot) {
    const auto& all = saved.get();
    const auto it = std::find_if(all.begin(), all.end(),
                                 [&](const SavedView& view) { return view.id == slot && !view.focusWindows; });
    if (it == all.end()) {
        status = "Layout " + std::to_string(slot) + " is empty.";
        return;
    }
    recall(*it);
}

void Coordinator::recall(const SavedView& view) {
    const std::weak_ptr<Coordinator> weak = weak_from_this();
    refresh([weak, view] {
        if (auto self = weak.lock()) self->applySaved(view);
    });
}

bool Coordinator::candidateForSavedLayout(const WindowRecord& record) const {
    if (pinned.contains(record.id)) return false;
    if (record.minimized.value_or(false)) return false;
    const std::set<platform::SpaceID> spaces = spacesOfWindow(record.windowNumber);
    if (!spaces.empty()) {
        if (const auto display = displayOf(record.frame)) {
            if (const auto current = currentSpaces.find(display->id); current != currentSpaces.end())
                return spaces.contains(current->second);
        }
    }
    return record.onScreen || record.parked;
}

void Coordinator::applySaved(const SavedView& view) {
    if (!trusted.get()) {
        status =
            "No EWMH window manager is running, so a layout cannot be restored. Start one (openbox, xfwm4, KWin), then "
            "try again.";
        return;
    }

    std::vector<std::shared_ptr<WindowRecord>> candidates;
    for (const auto& record : windows.get())
        if (candidateForSavedLayout(*record)) candidates.push_back(record);

    std::vector<SavedLayoutMatching::LiveWindow> live;
    for (const auto& record : candidates)
        live.push_back({record->id, identity(*record), storedText(record->applicationID())});
    const std::map<std::string, std::string> mapping = SavedLayoutMatching::match(view, live);

    if (mapping.empty()) {
        status = "None of this layout's apps have windows open on this desktop.";
        return;
    }

    for (const auto& record : candidates)
        if (!record->originalFrame) noteOriginalFrame(*record);

    states.modify([&](std::map<std::string, WorkspaceState>& all) {
        for (const DisplayInfo& display : displays.get()) {
            const WorkspaceState* savedState = nullptr;
            if (const auto it = view.displays.find(display.id); it != view.displays.end()) {
                savedState = &it->second;
            } else if (view.displays.size() == 1 && displays->size() == 1) {
                savedState = &view.displays.begin()->second;
            }
            if (!savedState) continue;
            LayoutNode root = savedState->root.replacingKeys(mapping);
            if (root.allWindows().empty()) continue;
            WorkspaceState state;
            state.root = std::move(root);
            if (savedState->preferred) {
                if (const auto it = mapping.find(*savedState->preferred); it != mapping.end())
                    state.preferred = it->second;
            }
            all[display.id] = std::move(state);
        }
    });

    autoTile = true;
    floatedWindows.clear();
    autoTabbed.clear();
    userPlaced.clear();
    for (const auto& [savedKey, liveKey] : mapping) userPlaced.insert(liveKey);

    const std::set<std::string> managed = managedHere();
    for (const auto& record : candidates)
        if (!managed.contains(record->id)) dockArrival(*record);

    managing = true;
    apply();
    status = view.name + " restored.";
}

}  // namespace arvelo
