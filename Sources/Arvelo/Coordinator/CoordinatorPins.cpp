// SPDX-License-Identifier: MIT
// CoordinatorPins.cpp: pinned windows leave the arranged layout. Each one that sat in a tree
// keeps a home there (see PinHome.h); once unpinned, the next tick sees it as an arrival and
// dockArrival puts it back in that home.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>

namespace arvelo {

void Coordinator::setPinned(const std::vector<std::uint32_t>& windowIDs) {
    std::set<std::string> pinnedNow;
    for (const std::uint32_t number : windowIDs) {
        const auto& list = windows.get();
        const auto record = std::find_if(list.begin(), list.end(), [&](const auto& r) { return r->windowNumber == number; });
        if (record != list.end()) pinnedNow.insert((*record)->id);
    }
    if (pinnedNow == pinned) return;
    std::vector<std::string> leaving;
    const std::set<std::string> managed = managedHere();
    for (const auto& key : pinnedNow)
        if (!pinned.contains(key) && managed.contains(key)) leaving.push_back(key);
    // Windows that are no longer pinned are simply no longer kept out; the tick docks them.
    pinned = std::move(pinnedNow);
    if (leaving.empty()) return;

    auto all = states.get();
    for (const auto& key : leaving) {
        for (const auto& [id, state] : all) {
            const auto held = state.root.allWindows();
            if (std::find(held.begin(), held.end(), key) == held.end()) continue;
            if (auto home = pinHome(key, state.root, id))
                pinHomes[key] = std::move(*home);
            else
                pinHomes.erase(key);
            break;
        }
        for (auto& [id, state] : all) {
            state.root.remove(key);
            state.focus.reset();
        }
    }
    states = std::move(all);
    apply();
}

}  // namespace arvelo
