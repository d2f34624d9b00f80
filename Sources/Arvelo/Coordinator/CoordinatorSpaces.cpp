// SPDX-License-Identifier: MIT
// CoordinatorSpaces.cpp: following switches of Spaces (virtual desktops). Each display's shown
// Space has its arrangement in `states`; the arrangements of Spaces not shown wait in
// `otherSpaces` under "<display id>#<space id>" until the user returns to them.
#include "Arvelo/Coordinator/Coordinator.h"

#include "Arvelo/Chrome/ChromeController.h"

namespace arvelo {

namespace {
std::string otherSpaceKey(const std::string& displayID, platform::SpaceID space) {
    return displayID + "#" + std::to_string(space);
}
}  // namespace

bool Coordinator::desktopSwitched() const {
    for (const auto& display : displays.get()) {
        const auto known = currentSpaces.find(display.id);
        if (known != currentSpaces.end() && spaceOf(display) != known->second) return true;
    }
    return false;
}

void Coordinator::switchSpaces() {
    if (!managing.get() || applying) return;
    std::set<std::string> fresh;
    bool switched = false;
    auto shownStates = states.get();
    for (const auto& display : displays.get()) {
        const platform::SpaceID shown = spaceOf(display);
        const auto known = currentSpaces.find(display.id);
        if (known == currentSpaces.end() || known->second == shown) {
            currentSpaces[display.id] = shown;
            continue;
        }
        switched = true;
        if (const auto left = shownStates.find(display.id); left != shownStates.end())
            otherSpaces[otherSpaceKey(display.id, known->second)] = left->second;
        currentSpaces[display.id] = shown;
        const auto stored = otherSpaces.find(otherSpaceKey(display.id, shown));
        if (stored == otherSpaces.end()) {
            shownStates[display.id] = WorkspaceState{};
            fresh.insert(display.id);
            continue;
        }
        WorkspaceState restored = std::move(stored->second);
        otherSpaces.erase(stored);
        // Windows closed, or moved to another display or Space, while this Space was away drop out;
        // a window whose Spaces cannot be told stays.
        std::set<std::string> keep;
        for (const auto& record : windows.get()) {
            const auto spaces = spacesOfWindow(record->windowNumber);
            const auto home = displayOf(record->frame);
            if (spaces.empty() || (home && home->id == display.id && spaces.contains(shown))) keep.insert(record->id);
        }
        restored.root.prune(keep);
        shownStates[display.id] = std::move(restored);
    }
    if (shownStates != states.get()) states = std::move(shownStates);
    if (!switched) return;
    navigation_.clear();
    chrome->clear();
    if (overview) overview->hide();
    if (autoTile.get() && !fresh.empty())
        arrangeCurrentSnapshot(fresh);
    else
        apply();
}

bool Coordinator::onShownDesktop(const WindowRecord& record) const {
    const auto spaces = spacesOfWindow(record.windowNumber);
    if (!spaces.empty()) {
        if (const auto display = displayOf(record.frame)) {
            const auto shown = currentSpaces.find(display->id);
            if (shown != currentSpaces.end()) return spaces.contains(shown->second);
        }
    }
    return record.onScreen || record.parked;
}

void Coordinator::desktopChanged() {
    if (!managing.get()) return;
    const std::weak_ptr<Coordinator> weak = weak_from_this();
    refresh([weak] {
        if (auto self = weak.lock()) self->switchSpaces();
    });
}

void Coordinator::refreshNow(std::function<void()> done) { refresh(std::move(done)); }

}  // namespace arvelo
