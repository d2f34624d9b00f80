// SPDX-License-Identifier: MIT
// CoordinatorNavigation.cpp: the coordinator's camera and selection operations: focusing a
// window or the desktop leaf, stepping out, showing everything, the back and forward history
// of view positions, tab selection, minimising and closing from a tab, the overview and
// dashboard windows, and holding clicks.
#include "Arvelo/Coordinator/Coordinator.h"
#include "Arvelo/Input/SpatialInputController.h"

#include <algorithm>

#include "Arvelo/Chrome/ChromeController.h"

namespace arvelo {

void Coordinator::leaveOverview() {
    if (!overview) return;
    const bool wasVisible = overview->visible();
    overview->hide();
    if (wasVisible) restoreChrome();
}

NavigationStep Coordinator::navigationSnapshot() const {
    NavigationStep step;
    for (const auto& [displayID, state] : states.get()) {
        ViewPosition position;
        if (state.focus) {
            if (const auto node = state.root.node(*state.focus)) position.keys = node->framingKeys();
        }
        position.preferred = state.preferred;
        position.camera = state.camera;
        step[displayID] = std::move(position);
    }
    return step;
}

void Coordinator::recordNavigation() { navigation_.record(navigationSnapshot()); }

void Coordinator::back() {
    if (const auto target = navigation_.back(navigationSnapshot())) applyNavigation(*target);
}

void Coordinator::forward() {
    if (const auto target = navigation_.forward(navigationSnapshot())) applyNavigation(*target);
}

void Coordinator::applyNavigation(const NavigationStep& step) {
    leaveOverview();
    states.modify([&](std::map<std::string, WorkspaceState>& all) {
        for (const auto& [displayID, position] : step) {
            const auto it = all.find(displayID);
            if (it == all.end()) continue;
            WorkspaceState& state = it->second;
            const LayoutNode root = state.root;

            state.focus = std::nullopt;
            if (position.keys) {
                std::set<std::string> framed;
                const std::set<std::string> present = root.framingKeys();
                std::set_intersection(present.begin(), present.end(), position.keys->begin(), position.keys->end(),
                                      std::inserter(framed, framed.end()));
                const auto node = root.narrowest(framed);
                if (node && node->id != root.id) state.focus = node->id;
            }

            const auto windows = root.allWindows();
            const bool held =
                position.preferred && std::find(windows.begin(), windows.end(), *position.preferred) != windows.end();
            state.preferred = held ? position.preferred : std::nullopt;
            state.camera = position.camera;
        }
    });
    apply();
}

void Coordinator::focus(const std::string& key) {
    std::string displayID;
    std::optional<LayoutNode> leaf;
    for (const auto& [id, state] : states.get()) {
        const auto windows = state.root.allWindows();
        if (std::find(windows.begin(), windows.end(), key) == windows.end()) continue;
        displayID = id;
        leaf = state.root.leaf(key);
        break;
    }
    if (!leaf) return;

    leaveOverview();
    recordNavigation();
    selectedDisplay = displayID;
    selectedWindow = key;
    lastFocusedKey = key;
    states.modify([&](std::map<std::string, WorkspaceState>& all) {
        WorkspaceState& state = all.at(displayID);
        state.root.select(key);
        state.preferred = key;
        state.focus = leaf->id;
        state.camera = std::nullopt;
    });
    apply();
    if (const auto it = access->records.find(key); it != access->records.end()) access->raise(it->second);
}

void Coordinator::focusDesktop() {
    const auto it = states->find(selectedDisplay.get());
    if (it == states->end()) return;
    if (it->second.root.allWindows().empty()) return;
    const auto desktop = it->second.root.desktopLeaf();
    if (!desktop) return;

    leaveOverview();
    recordNavigation();
    const std::string displayID = selectedDisplay.get();
    states.modify([&](std::map<std::string, WorkspaceState>& all) {
        WorkspaceState& state = all.at(displayID);
        state.focus = desktop->id;
        state.preferred = std::nullopt;
        state.camera = std::nullopt;
    });
    apply();
    status = kDesktopFocusedStatus;
}

void Coordinator::zoomOut() {
    const std::string displayID = selectedDisplay.get();
    const auto it = states->find(displayID);
    if (it == states->end()) {
        showOverview();
        return;
    }
    if (it->second.camera) {
        recordNavigation();
        states.modify([&](std::map<std::string, WorkspaceState>& all) { all.at(displayID).camera = std::nullopt; });
    } else if (it->second.focus) {
        recordNavigation();
        states.modify([&](std::map<std::string, WorkspaceState>& all) {
            WorkspaceState& state = all.at(displayID);
            const auto parent = state.root.parent(*state.focus);
            state.focus = parent && parent->id != state.root.id ? std::optional(parent->id) : std::nullopt;
        });
    }
    apply();
}

void Coordinator::showEverything() {
    leaveOverview();
    recordNavigation();
    states.modify([](std::map<std::string, WorkspaceState>& all) {
        for (auto& [id, state] : all) {
            state.focus = std::nullopt;
            state.camera = std::nullopt;
        }
    });
    apply();
}

void Coordinator::unfocusAll() {
    states.modify([](std::map<std::string, WorkspaceState>& all) {
        for (auto& [id, state] : all) state.focus = std::nullopt;
    });
    apply();
}

void Coordinator::selectTab(const std::string& key, const std::string& displayID) {
    leaveOverview();
    selectedDisplay = displayID;
    selectedWindow = key;
    if (states->contains(displayID)) {
        states.modify([&](std::map<std::string, WorkspaceState>& all) {
            WorkspaceState& state = all.at(displayID);
            state.preferred = key;
            state.root.select(key);
        });
    }
    apply();
    if (const auto it = access->records.find(key); it != access->records.end()) access->raise(it->second);
}

void Coordinator::minimizeWindow(const std::string& key) {
    const auto it = access->records.find(key);
    if (it == access->records.end()) return;
    const auto record = it->second;
    record->parked = false;
    record->minimized = true;
    if (!access->dryRun) {
        // A request like any other, not a frame write: a hung application costs 0.25 s at most.
        services_.accessibility->setAttributeValue(record->element, platform::ax::kMinimized, true,
                                                   WindowAccess::kNormalTimeout);
    }
    states.modify([&](std::map<std::string, WorkspaceState>& all) {
        for (auto& [id, state] : all) state.root.remove(key);
    });
    apply();
}

void Coordinator::closeWindow(const std::string& key) {
    const auto it = access->records.find(key);
    if (it == access->records.end()) return;
    const auto record = it->second;
    const std::weak_ptr<Coordinator> weak = weak_from_this();
    const auto refreshAndApply = [weak] {
        if (auto self = weak.lock()) {
            self->refresh([weak] {
                if (auto again = weak.lock()) again->apply();
            });
        }
    };

    if (record->parked) {
        for (const DisplayInfo& display : displays.get()) {
            const auto state = states->find(display.id);
            if (state == states->end()) continue;
            const auto windows = state->second.root.allWindows();
            if (std::find(windows.begin(), windows.end(), key) == windows.end()) continue;
            selectTab(key, display.id);
            services_.dispatch->after(kParkedCloseDelay, [weak, record, refreshAndApply] {
                auto self = weak.lock();
                if (!self) return;
                self->access->close(record);
                refreshAndApply();
            });
            return;
        }
    }
    access->close(record);
    refreshAndApply();
}

void Coordinator::showOverview() {
    refresh();
    if (states->empty()) {
        showDashboard();
        return;
    }
    if (!overview && makeOverviewWindow_) {
        overview = makeOverviewWindow_();
        if (overview) {
            const std::weak_ptr<Coordinator> weak = weak_from_this();
            overview->onClose = [weak] {
                if (auto self = weak.lock()) self->restoreChrome();
            };
        }
    }
    // Without a window to show, the chrome stays where it is.
    if (!overview) return;
    if (chrome) chrome->clear();
    if (overview->present) overview->present();
    if (previewsEnabled.get()) capturePreviews(std::nullopt, [](std::set<std::string>) {});
}

void Coordinator::showDashboard() {
    if (!dashboard && makeDashboardWindow_) dashboard = makeDashboardWindow_();
    if (dashboard && dashboard->present) dashboard->present();
}

void Coordinator::setOverviewWindowMaker(std::function<std::shared_ptr<HostedWindow>()> maker) {
    makeOverviewWindow_ = std::move(maker);
}

void Coordinator::setDashboardWindowMaker(std::function<std::shared_ptr<HostedWindow>()> maker) {
    makeDashboardWindow_ = std::move(maker);
}

void Coordinator::selectWindow(const std::optional<std::string>& key) { selectedWindow = key; }

void Coordinator::bringForward(const std::string& key) {
    const auto found = access->records.find(key);
    if (found == access->records.end()) return;
    selectedWindow = key;
    access->raise(found->second);
}

void Coordinator::selectDisplay(const std::string& displayID) { selectedDisplay = displayID; }

void Coordinator::holdClicks(double seconds) {
    clickHoldUntil = std::max(clickHoldUntil, now() + seconds);
    // The event tap can only swallow presses it is told of beforehand.
    if (spatialInput) spatialInput->refreshGate();
}

void Coordinator::frameArea(const Rect& rect, const std::string& displayID) {
    const auto display =
        std::find_if(displays->begin(), displays->end(), [&](const DisplayInfo& d) { return d.id == displayID; });
    if (display == displays->end() || !states->contains(displayID)) return;
    const Rect screen = layoutArea(*display).screen;
    const Rect area = rect.standardized().intersection(screen);
    if (area.isNull() || area.width <= 12 || area.height <= 12) return;
    recordNavigation();
    const Rect world = SpatialLayout::unproject(area, camera(displayID), screen);
    states.modify([&](std::map<std::string, WorkspaceState>& all) {
        all[displayID].camera = world;
        all[displayID].focus.reset();
    });
    selectedDisplay = displayID;
    apply();
}

}  // namespace arvelo
