// SPDX-License-Identifier: MIT
// StatusMenu.h: the status item's menu as plain values, and the one function that lays it out
// (titles, order, states, key equivalents, the saved-layout submenus) from the arranger's state.
// The tray view renders these values; tests read them without a tray.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace arvelo {

// Modifier flags of a key equivalent, as the menu carries them.
inline constexpr std::uint32_t kMenuShiftKey = 0x20000;
inline constexpr std::uint32_t kMenuControlKey = 0x40000;
inline constexpr std::uint32_t kMenuOptionKey = 0x80000;
inline constexpr std::uint32_t kMenuCommandKey = 0x100000;

struct MenuItem {
    std::string title;
    // The action's name ("arrange", "recallLayout:", ...); empty for items without an action.
    std::string action;
    std::function<void()> onTrigger;
    std::string keyEquivalent;
    std::uint32_t keyEquivalentModifierMask = 0;
    int tag = 0;
    bool on = false;
    // A switch: shown with a check box, ticked while `on`.
    bool checkable = false;
    bool enabled = true;
    bool separator = false;
    std::string toolTip;
    std::string symbol;  // an image drawn before the title (the kit's symbols); empty for none
    std::vector<MenuItem> submenu;

    static MenuItem separatorItem();
    // Runs the item's action; false when it has none.
    bool trigger() const;
    // The key equivalent as the desktop writes it ("Ctrl+Alt+W", "Super+Alt+P"), shown in the
    // menu's shortcut column; empty when the item has none.
    std::string shortcutText() const;
};

using Menu = std::vector<MenuItem>;

// One saved layout as the menu lists it.
struct SavedLayoutEntry {
    int id = 0;
    std::string name;
    bool hasFocusWindows = false;
    std::optional<double> savedAt;  // seconds since 1970
};

// What the menu reflects each time it opens.
struct StatusMenuState {
    std::vector<SavedLayoutEntry> saved;  // sorted by id
    bool showEverything = false;          // some display has a focused node or a camera
    bool windowMapEnabled = false;
    bool openAtLogin = false;
};

// Where the menu's items lead. populateKit, when set, appends the kit's own items.
struct StatusMenuActions {
    std::function<void()> openDashboard;
    std::function<void()> openPermissions;
    std::function<void()> arrange;
    std::function<void()> restore;
    std::function<void(int)> recallLayout;
    std::function<void(int)> saveLayout;
    std::function<void()> toggleWindowMap;
    std::function<void()> overview;
    std::function<void()> toggleLogin;
    std::function<void()> quit;
    std::function<void(Menu&)> populateKit;
};

// Formats a saved layout's date for its menu title: medium date, short time, local zone.
std::string formatSavedLayoutDate(double secondsSince1970);

// The "Saved Layouts" item with its recall submenu and "Save Current Layout" submenu.
MenuItem buildLayoutsItem(const std::vector<SavedLayoutEntry>& saved, const StatusMenuActions& actions);

// The whole menu, rebuilt each time it is about to open.
Menu buildStatusMenu(const StatusMenuState& state, const StatusMenuActions& actions);

}  // namespace arvelo
