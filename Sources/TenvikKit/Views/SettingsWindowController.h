// SPDX-License-Identifier: MIT
// SettingsWindowController.h: the kit's one settings window: built on the first show() with
// its five tabs, kept when closed and brought back as the same window on the tab asked for
// (or the one last shown). Every show activates it and claims the permissions model's
// one-second polling for the settings window; closing releases that claim.
#pragma once

#include "TenvikKit/Controller/KitWindows.h"
#include "TenvikKit/Support/Observed.h"
#include "TenvikKit/Views/KitWindowContext.h"

#include <memory>
#include <optional>

class QTabWidget;

namespace tenvik {

class KitWindow;
class GeneralSettingsTab;
class ShortcutsSettingsTab;
class FocusSettingsTab;
class PinSettingsTab;
class PermissionsSettingsTab;

// The tab shown, shared by the controller and the window's tab bar.
struct SettingsWindowState {
    Observed<SettingsTab> selectedTab{SettingsTab::general};
};

class SettingsWindowController {
public:
    static constexpr const char* kTitle = "Vomira \u2014 Rev & Uzidu Settings";
    static constexpr int kWidth = 560;
    static constexpr int kHeight = 460;

    explicit SettingsWindowController(KitWindowContext context);
    ~SettingsWindowController();
    SettingsWindowController(const SettingsWindowController&) = delete;
    SettingsWindowController& operator=(const SettingsWindowController&) = delete;

    void show(std::optional<SettingsTab> tab);

    KitWindow* window() const { return window_.get(); }
    QTabWidget* tabs() const { return tabs_; }
    SettingsWindowState& state() { return state_; }
    GeneralSettingsTab* generalTab() const { return general_; }
    ShortcutsSettingsTab* shortcutsTab() const { return shortcuts_; }
    FocusSettingsTab* focusTab() const { return focus_; }
    PinSettingsTab* pinTab() const { return pin_; }
    PermissionsSettingsTab* permissionsTab() const { return permissions_; }

private:
    void build();

    KitWindowContext context_;
    SettingsWindowState state_;
    std::unique_ptr<KitWindow> window_;
    QTabWidget* tabs_ = nullptr;
    GeneralSettingsTab* general_ = nullptr;
    ShortcutsSettingsTab* shortcuts_ = nullptr;
    FocusSettingsTab* focus_ = nullptr;
    PinSettingsTab* pin_ = nullptr;
    PermissionsSettingsTab* permissions_ = nullptr;
    ChangeLink tabLink_;
};

}  // namespace tenvik
