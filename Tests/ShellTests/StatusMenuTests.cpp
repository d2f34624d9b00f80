// SPDX-License-Identifier: MIT
// StatusMenuTests.cpp: the status menu's titles, order, states, key equivalents and the
// saved-layout submenus, read from the menu model.
#include "Arvelo/Shell/StatusMenu.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

using namespace arvelo;

namespace {

std::vector<std::string> titles(const Menu& menu) {
    std::vector<std::string> result;
    for (const MenuItem& item : menu) result.push_back(item.separator ? "-" : item.title);
    return result;
}

const MenuItem* find(const Menu& menu, const std::string& title) {
    for (const MenuItem& item : menu)
        if (item.title == title) return &item;
    return nullptr;
}

struct Recorder {
    std::vector<std::string> calls;
    StatusMenuActions actions() {
        StatusMenuActions a;
        auto record = [this](std::string name) { return [this, name] { calls.push_back(name); }; };
        a.openDashboard = record("openDashboard");
        a.openPermissions = record("openPermissions");
        a.arrange = record("arrange");
        a.restore = record("restore");
        a.recallLayout = [this](int slot) { calls.push_back("recall " + std::to_string(slot)); };
        a.saveLayout = [this](int slot) { calls.push_back("save " + std::to_string(slot)); };
        a.toggleWindowMap = record("toggleWindowMap");
        a.overview = record("overview");
        a.toggleLogin = record("toggleLogin");
        a.quit = record("quit");
        return a;
    }
};

}  // namespace

TEST(StatusMenu, ListsEveryItemInOrderWithItsAction) {
    Recorder recorder;
    const Menu menu = buildStatusMenu({}, recorder.actions());
    EXPECT_EQ(titles(menu),
              (std::vector<std::string>{"Open Vomira…", "Permissions…", "-", "Set Windows", "Free All Windows",
                                        "Saved Layouts", "Window Map", "-", "-", "Open at Login", "Quit Vomira"}));
    for (const MenuItem& item : menu) {
        // Only the Window Map shows a key in the top level.
        EXPECT_EQ(item.shortcutText(), item.title == "Window Map" ? "Ctrl+Alt+W" : "") << item.title;
        if (!item.separator && item.title != "Saved Layouts") item.trigger();
    }
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"openDashboard", "openPermissions", "arrange", "restore",
                                                        "toggleWindowMap", "toggleLogin", "quit"}));
    EXPECT_EQ(find(menu, "Saved Layouts")->action, "");
    EXPECT_EQ(find(menu, "Window Map")->toolTip,
              "Press Ctrl+Alt+W for a map of every window, including tabs and minimized ones.");
}

TEST(StatusMenu, KeyEquivalentsReadAsTheDesktopWritesThem) {
    const struct {
        std::string key;
        std::uint32_t mask;
        std::string text;
    } cases[] = {
        {"w", kMenuControlKey | kMenuOptionKey, "Ctrl+Alt+W"},
        {"2", kMenuControlKey | kMenuOptionKey, "Ctrl+Alt+2"},
        {"9", kMenuControlKey | kMenuOptionKey | kMenuShiftKey, "Ctrl+Alt+Shift+9"},
        {"p", kMenuCommandKey | kMenuOptionKey, "Super+Alt+P"},
        {"k", kMenuCommandKey | kMenuShiftKey, "Super+Shift+K"},
        {",", 0, ","},
        {"", kMenuCommandKey, ""},
        {"no key", kMenuCommandKey, ""},
    };
    for (const auto& c : cases) {
        MenuItem item;
        item.keyEquivalent = c.key;
        item.keyEquivalentModifierMask = c.mask;
        EXPECT_EQ(item.shortcutText(), c.text) << c.key;
    }
}

TEST(StatusMenu, ShowEverythingAndTheKitItemsAppearOnlyWhenThereIsSomethingToShow) {
    Recorder recorder;
    StatusMenuActions actions = recorder.actions();
    actions.populateKit = [](Menu& menu) {
        MenuItem header;
        header.title = "Rev & Uzidu";
        header.enabled = false;
        menu.push_back(header);
    };
    StatusMenuState state;
    state.showEverything = true;
    const Menu menu = buildStatusMenu(state, actions);
    EXPECT_EQ(titles(menu),
              (std::vector<std::string>{"Open Vomira…", "Permissions…", "-", "Set Windows", "Free All Windows",
                                        "Saved Layouts", "Window Map", "Show Everything", "-", "Rev & Uzidu", "-",
                                        "Open at Login", "Quit Vomira"}));
    find(menu, "Show Everything")->trigger();
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"overview"});
}

TEST(StatusMenu, SwitchesReflectTheirState) {
    for (bool on : {false, true}) {
        StatusMenuState state;
        state.windowMapEnabled = on;
        state.openAtLogin = !on;
        const Menu menu = buildStatusMenu(state, {});
        EXPECT_EQ(find(menu, "Window Map")->on, on);
        EXPECT_EQ(find(menu, "Open at Login")->on, !on);
        EXPECT_FALSE(find(menu, "Set Windows")->on);
        // Switches stay switches when off.
        EXPECT_TRUE(find(menu, "Window Map")->checkable);
        EXPECT_TRUE(find(menu, "Open at Login")->checkable);
        EXPECT_FALSE(find(menu, "Set Windows")->checkable);
    }
}

TEST(StatusMenu, WithoutSavedLayoutsOnlyTheSaveSubmenuIsOffered) {
    const MenuItem layouts = buildLayoutsItem({}, {});
    ASSERT_EQ(layouts.submenu.size(), 1u);
    const MenuItem& save = layouts.submenu[0];
    EXPECT_EQ(save.title, "Save Current Layout");
    EXPECT_EQ(save.action, "");
    ASSERT_EQ(save.submenu.size(), 9u);
    for (int slot = 1; slot <= 9; ++slot) {
        const MenuItem& item = save.submenu[static_cast<std::size_t>(slot - 1)];
        EXPECT_EQ(item.title, "Layout " + std::to_string(slot));
        EXPECT_EQ(item.keyEquivalent, std::to_string(slot));
        EXPECT_EQ(item.keyEquivalentModifierMask, 0xE0000u);
        EXPECT_EQ(item.tag, slot);
        EXPECT_EQ(item.action, "saveLayout:");
    }
}

TEST(StatusMenu, SavedSlotsAreListedForRecallAndMarkedForReplacement) {
    Recorder recorder;
    const double savedAt = 1765368000;  // seconds since 1970
    const std::vector<SavedLayoutEntry> saved = {
        {3, "Layout 3", false, savedAt},
        {5, "Focus set", true, savedAt},  // a focus-window record: neither listed nor counted
        {7, "Layout 7", false, std::nullopt},
    };
    const MenuItem layouts = buildLayoutsItem(saved, recorder.actions());
    ASSERT_EQ(titles(layouts.submenu), (std::vector<std::string>{"Layout 3  ·  " + formatSavedLayoutDate(savedAt),
                                                                 "Layout 7", "-", "Save Current Layout"}));
    const MenuItem& recall = layouts.submenu[0];
    EXPECT_EQ(recall.keyEquivalent, "3");
    EXPECT_EQ(recall.keyEquivalentModifierMask, 0xC0000u);
    EXPECT_EQ(recall.tag, 3);
    EXPECT_EQ(recall.action, "recallLayout:");

    const Menu& save = layouts.submenu.back().submenu;
    EXPECT_EQ(save[2].title, "Layout 3 (replace)");
    EXPECT_EQ(save[4].title, "Layout 5");
    EXPECT_EQ(save[6].title, "Layout 7 (replace)");

    recall.trigger();
    save[4].trigger();
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"recall 3", "save 5"}));
}

TEST(StatusMenu, SavedDatesReadAsMediumDateAndShortTime) {
    const std::string previousZone = std::getenv("TZ") ? std::getenv("TZ") : "";
    const bool hadZone = std::getenv("TZ") != nullptr;
    setenv("TZ", "UTC", 1);
    tzset();
    const std::string previousLocale = std::setlocale(LC_TIME, nullptr);
    std::setlocale(LC_TIME, "C");

    EXPECT_EQ(formatSavedLayoutDate(1765368000), "10 Dec 2025, 12:00");
    EXPECT_EQ(formatSavedLayoutDate(0), "1 Jan 1970, 00:00");

    std::setlocale(LC_TIME, previousLocale.c_str());
    if (hadZone)
        setenv("TZ", previousZone.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
