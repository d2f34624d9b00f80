// SPDX-License-Identifier: MIT
// StatusMenu.cpp: lays out the status menu: the arranger's commands, the saved-layout submenus,
// the window-map switch, the kit's items, "Open at Login" and "Quit Vomira", in that order.

#include "Arvelo/Shell/StatusMenu.h"

#include "Platform/HotKeys.h"

#include <ctime>

namespace arvelo {

namespace {

constexpr int kLayoutSlots = 9;
constexpr std::uint32_t kRecallModifiers = kMenuControlKey | kMenuOptionKey;                // 0xC0000
constexpr std::uint32_t kSaveModifiers = kMenuControlKey | kMenuOptionKey | kMenuShiftKey;  // 0xE0000
constexpr const char* kDateSeparator = "  \u00b7  ";

MenuItem actionItem(std::string title, std::string action, std::function<void()> run) {
    MenuItem item;
    item.title = std::move(title);
    item.action = std::move(action);
    item.onTrigger = std::move(run);
    return item;
}

// Binds a slot action to its tag so the item runs it without looking at itself.
std::function<void()> withTag(const std::function<void(int)>& run, int tag) {
    if (!run) return {};
    return [run, tag] { run(tag); };
}

}  // namespace

MenuItem MenuItem::separatorItem() {
    MenuItem item;
    item.separator = true;
    return item;
}

std::string MenuItem::shortcutText() const {
    if (keyEquivalent.empty()) return {};
    const auto key = platform::parseHotKeyName(keyEquivalent);
    if (!key || key->modifiers != 0) return {};
    std::uint32_t modifiers = 0;
    if (keyEquivalentModifierMask & kMenuCommandKey) modifiers |= platform::kCommandKeyMask;
    if (keyEquivalentModifierMask & kMenuControlKey) modifiers |= platform::kControlKeyMask;
    if (keyEquivalentModifierMask & kMenuOptionKey) modifiers |= platform::kOptionKeyMask;
    if (keyEquivalentModifierMask & kMenuShiftKey) modifiers |= platform::kShiftKeyMask;
    return platform::hotKeyName(key->keyCode, modifiers);
}

bool MenuItem::trigger() const {
    if (!onTrigger) return false;
    onTrigger();
    return true;
}

std::string formatSavedLayoutDate(double secondsSince1970) {
    const std::time_t seconds = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
    if (!localtime_r(&seconds, &local)) return {};
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%d %b %Y, %H:%M", &local);
    std::string result(text, length);
    if (!result.empty() && result.front() == '0') result.erase(0, 1);
    return result;
}

MenuItem buildLayoutsItem(const std::vector<SavedLayoutEntry>& saved, const StatusMenuActions& actions) {
    MenuItem recall;
    recall.title = "Saved Layouts";

    for (const SavedLayoutEntry& layout : saved) {
        if (layout.hasFocusWindows) continue;
        std::string title = layout.name;
        if (layout.savedAt) title += kDateSeparator + formatSavedLayoutDate(*layout.savedAt);
        MenuItem item = actionItem(std::move(title), "recallLayout:", withTag(actions.recallLayout, layout.id));
        item.keyEquivalent = std::to_string(layout.id);
        item.keyEquivalentModifierMask = kRecallModifiers;
        item.tag = layout.id;
        recall.submenu.push_back(std::move(item));
    }
    if (!recall.submenu.empty()) recall.submenu.push_back(MenuItem::separatorItem());

    MenuItem save;
    save.title = "Save Current Layout";
    for (int slot = 1; slot <= kLayoutSlots; ++slot) {
        bool taken = false;
        for (const SavedLayoutEntry& layout : saved) {
            if (layout.id == slot && !layout.hasFocusWindows) taken = true;
        }
        std::string title = "Layout " + std::to_string(slot) + (taken ? " (replace)" : "");
        MenuItem item = actionItem(std::move(title), "saveLayout:", withTag(actions.saveLayout, slot));
        item.keyEquivalent = std::to_string(slot);
        item.keyEquivalentModifierMask = kSaveModifiers;
        item.tag = slot;
        save.submenu.push_back(std::move(item));
    }
    recall.submenu.push_back(std::move(save));
    return recall;
}

Menu buildStatusMenu(const StatusMenuState& state, const StatusMenuActions& actions) {
    Menu menu;
    menu.push_back(actionItem("Open Vomira\u2026", "openDashboard", actions.openDashboard));
    menu.push_back(actionItem("Permissions\u2026", "openPermissions", actions.openPermissions));
    menu.push_back(MenuItem::separatorItem());
    menu.push_back(actionItem("Set Windows", "arrange", actions.arrange));
    menu.push_back(actionItem("Free All Windows", "restore", actions.restore));
    menu.push_back(buildLayoutsItem(state.saved, actions));

    MenuItem windowMap = actionItem("Window Map", "toggleWindowMap", actions.toggleWindowMap);
    windowMap.keyEquivalent = "w";
    windowMap.keyEquivalentModifierMask = kMenuControlKey | kMenuOptionKey;
    windowMap.checkable = true;
    windowMap.on = state.windowMapEnabled;
    windowMap.toolTip = "Press Ctrl+Alt+W for a map of every window, including tabs and minimized ones.";
    menu.push_back(std::move(windowMap));

    if (state.showEverything) menu.push_back(actionItem("Show Everything", "overview", actions.overview));
    menu.push_back(MenuItem::separatorItem());
    if (actions.populateKit) actions.populateKit(menu);
    menu.push_back(MenuItem::separatorItem());

    MenuItem login = actionItem("Open at Login", "toggleLogin", actions.toggleLogin);
    login.checkable = true;
    login.on = state.openAtLogin;
    menu.push_back(std::move(login));
    menu.push_back(actionItem("Quit Vomira", "quit", actions.quit));
    return menu;
}

}  // namespace arvelo
