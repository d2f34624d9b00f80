// SPDX-License-Identifier: MIT
// ApplicationMenu.cpp: what the status menu shows at each opening (saved layouts, the
// switches, "Show Everything" when a view is zoomed), the status icon, and the menu actions.

#include "Arvelo/Shell/Application.h"

#include "Arvelo/Map/WindowMap.h"

#include "Arvelo/Commands/ArrangerHotKeys.h"
#include "Arvelo/Commands/ShellHost.h"
#include "TenvikKit/Controller/TenvikController.h"

#include <algorithm>

namespace arvelo {

namespace {
constexpr const char* kDefaultToolTip = "Vomira";
}

Menu Application::menuNeedsUpdate() {
    StatusMenuState state;
    if (const ShellHost* arranger = this->arranger()) {
        for (const SavedView& view : arranger->model().saved.get()) {
            state.saved.push_back({static_cast<int>(view.id), view.name, view.focusWindows.has_value(), view.savedAt});
        }
        std::sort(state.saved.begin(), state.saved.end(),
                  [](const SavedLayoutEntry& a, const SavedLayoutEntry& b) { return a.id < b.id; });
        const auto& states = arranger->model().states.get();
        state.showEverything = std::any_of(states.begin(), states.end(), [](const auto& entry) {
            return entry.second.focus.has_value() || entry.second.camera.has_value();
        });
    }
    state.windowMapEnabled = services_.defaults->boolean(kWindowMapEnabledKey).value_or(false);
    state.openAtLogin = loginItem_.status() == LoginItem::Status::enabled;

    StatusMenuActions actions;
    actions.openDashboard = [this] { openDashboard(); };
    actions.openPermissions = [this] { openPermissions(); };
    actions.arrange = [this] { arrange(); };
    actions.restore = [this] { restore(); };
    actions.recallLayout = [this](int slot) { recallLayout(slot); };
    actions.saveLayout = [this](int slot) { saveLayout(slot); };
    actions.toggleWindowMap = [this] { toggleWindowMap(); };
    actions.overview = [this] { overview(); };
    actions.toggleLogin = [this] { toggleLogin(); };
    actions.quit = [this] { quit(); };
    if (tenvik_) {
        actions.populateKit = [this](Menu& menu) {
            tenvik::KitMenu items;
            tenvik_->populate(items);
            for (const tenvik::KitMenuItem& kit : items) {
                if (kit.hidden) continue;
                MenuItem item;
                item.title = kit.title;
                item.action = kit.action;
                item.onTrigger = kit.onTrigger;
                item.enabled = kit.enabled;
                item.symbol = kit.symbol;
                item.keyEquivalent = kit.keyEquivalent;
                item.keyEquivalentModifierMask = kit.keyEquivalentModifierMask;
                menu.push_back(std::move(item));
            }
        };
    }
    return buildStatusMenu(state, actions);
}

void Application::updateStatusIcon() {
    // The kit's state image and tool tip while it gives them; the program's own otherwise.
    // A failed login-item change is added below until a change succeeds.
    std::optional<tenvik::StatusIconChoice> image;
    std::optional<std::string> toolTip;
    if (tenvik_) {
        image = tenvik_->statusImage();
        toolTip = tenvik_->statusToolTip();
    }
    if (onStatusImageChange) onStatusImageChange(image);
    std::string text = toolTip.value_or(kDefaultToolTip);
    if (loginProblem_) text += "\n" + *loginProblem_;
    if (onStatusIconChange) onStatusIconChange(text);
}

void Application::openDashboard() {
    if (arranger()) arranger()->showDashboard();
}

void Application::openPermissions() {
    if (onShowPermissions) onShowPermissions();
}

void Application::arrange() {
    if (arranger()) arranger()->arrange();
}

void Application::restore() {
    if (arranger()) arranger()->freeAllWindows();
}

void Application::recallLayout(int slot) {
    if (arranger()) arranger()->recallView(slot);
}

void Application::saveLayout(int slot) {
    if (arranger()) arranger()->saveView(slot);
}

void Application::toggleWindowMap() {
    const bool enabled = !services_.defaults->boolean(kWindowMapEnabledKey).value_or(false);
    services_.defaults->setBoolean(kWindowMapEnabledKey, enabled);
    if (shortcuts_) shortcuts_->updateWindowMapShortcut();
    // Turning the switch off also closes an open window map, without giving the keyboard back
    // to the application before it.
    if (!enabled) windowMap_->close(false);
}

void Application::overview() {
    ShellHost* arranger = this->arranger();
    if (!arranger) return;
    if (const auto display = arranger->displayUnderPointer()) arranger->selectDisplay(display->id);
    arranger->showEverything();
}

void Application::toggleLogin() {
    const bool enabled = loginItem_.status() == LoginItem::Status::enabled;
    const std::optional<std::string> error = enabled ? loginItem_.unregisterItem() : loginItem_.registerItem();
    if (error) {
        loginProblem_ = "Couldn't change Open at Login: " + *error;
        if (arranger()) arranger()->setStatus(*loginProblem_);
        logger_.error("Open at Login could not be changed: " + *error);
    } else {
        loginProblem_.reset();
    }
    updateStatusIcon();
    // A login item never waits for approval on this desktop.
}

void Application::quit() { requestTerminate(); }

}  // namespace arvelo
