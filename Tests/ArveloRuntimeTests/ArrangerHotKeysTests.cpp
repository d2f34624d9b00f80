// SPDX-License-Identifier: MIT
// ArrangerHotKeysTests.cpp: the arranger's hot keys on the simulated keyboard: what gets
// registered, the failure status lines, the window-map key following its switch, and what
// each press does with the pointer over the tiles of two displays.
#include "CoordinatorScene.h"

#include "Arvelo/Commands/ArrangerHotKeys.h"

#include <algorithm>

using namespace arvelo;
using arvelo::testing::CoordinatorScene;

namespace {

constexpr std::uint32_t kCtrlOpt = kControlOptionMask;

class ArrangerHotKeysScene : public CoordinatorScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Left", {1200, 800});
        desktop.addDisplay("Right", {1000, 800});
        auto app = desktop.launch("org.example.Editor", "Editor");
        for (const char* title : {"alpha", "beta"}) windows.push_back(app.openWindow(title, {100, 100, 500, 350}));
        windows.push_back(app.openWindow("gamma", {1300, 100, 500, 350}));
        start();
        ASSERT_TRUE(coordinator->managing.get());
        left = coordinator->displays->at(0).id;
        right = coordinator->displays->at(1).id;
        hotKeys = std::make_unique<ArrangerHotKeys>(coordinator, desktop.services());
    }

    bool press(std::uint32_t keyCode, std::uint32_t modifiers = kCtrlOpt) {
        const bool reached = desktop.hotKeys().press(keyCode, modifiers);
        settle();
        return reached;
    }
    std::string key(std::size_t index) const {
        for (const auto& record : coordinator->windows.get())
            if (record->windowNumber == windows[index].number()) return record->id;
        return "";
    }
    const WorkspaceState& state(const std::string& display) const { return coordinator->states->at(display); }

    std::vector<platform::sim::WindowHandle> windows;
    std::string left, right;
    std::unique_ptr<ArrangerHotKeys> hotKeys;
};

TEST_F(ArrangerHotKeysScene, RegistersTheTableAndReleasesEverythingOnUninstall) {
    const std::string status = coordinator->status.get();
    hotKeys->installShortcuts();
    EXPECT_EQ(hotKeys->shortcuts.size(), 24u);
    EXPECT_FALSE(hotKeys->mapShortcut);
    for (const ArrangerHotKey& key : arrangerHotKeys())
        EXPECT_TRUE(desktop.hotKeys().holds(key.keyCode, key.modifiers)) << key.id;
    EXPECT_FALSE(desktop.hotKeys().holds(13, kCtrlOpt));
    EXPECT_EQ(coordinator->status.get(), status);

    hotKeys->uninstall();
    EXPECT_TRUE(hotKeys->shortcuts.empty());
    EXPECT_TRUE(desktop.services().hotKeys->registrations().empty());
    EXPECT_FALSE(press(49));
}

TEST_F(ArrangerHotKeysScene, AKeyTakenByAnotherApplicationSetsTheStatusAndTheRestWork) {
    desktop.hotKeys().occupy(49, kCtrlOpt);
    hotKeys->installShortcuts();
    EXPECT_EQ(hotKeys->shortcuts.size(), 23u);
    EXPECT_EQ(coordinator->status.get(), "Ctrl+Alt+Space is held by another program. The menu controls still work.");
    // The log names the key as the desktop writes it.
    const auto entries = desktop.log().entries();
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const platform::LogEntry& entry) {
        return entry.message == "Ctrl+Alt+Space is held by another program";
    }));

    desktop.movePointer({300, 300});
    EXPECT_TRUE(press(125));
    EXPECT_TRUE(state(left).focus);
}

TEST_F(ArrangerHotKeysScene, TheWindowMapKeyFollowsItsSwitch) {
    int toggles = 0;
    hotKeys->toggleWindowMap = [&] { ++toggles; };
    hotKeys->installShortcuts();
    EXPECT_FALSE(press(13));  // off: the press goes to the frontmost application

    desktop.defaults().setBoolean(kWindowMapEnabledDefault, true);
    hotKeys->updateWindowMapShortcut();
    ASSERT_TRUE(hotKeys->mapShortcut);
    EXPECT_TRUE(press(13));
    EXPECT_TRUE(press(13));
    EXPECT_EQ(toggles, 2);

    desktop.defaults().setBoolean(kWindowMapEnabledDefault, false);
    hotKeys->updateWindowMapShortcut();
    EXPECT_FALSE(hotKeys->mapShortcut);
    EXPECT_FALSE(desktop.hotKeys().holds(13, kCtrlOpt));

    // Taken by another application: its own status line.
    desktop.hotKeys().occupy(13, kCtrlOpt);
    desktop.defaults().setBoolean(kWindowMapEnabledDefault, true);
    hotKeys->updateWindowMapShortcut();
    EXPECT_FALSE(hotKeys->mapShortcut);
    EXPECT_EQ(coordinator->status.get(),
              "Ctrl+Alt+W is held by another program. Open the Window Map from the menu instead.");
}

TEST_F(ArrangerHotKeysScene, FocusUnderThePointerSelectsTheDisplayAndItsTile) {
    hotKeys->installShortcuts();
    // Over the right display's only window.
    desktop.movePointer({1500, 400});
    EXPECT_TRUE(press(36));
    EXPECT_EQ(coordinator->selectedDisplay.get(), right);
    EXPECT_EQ(state(right).preferred, key(2));
    EXPECT_EQ(state(right).focus, state(right).root.leaf(key(2))->id);

    // Over the tile of the left display's second window.
    const LayoutResult tiles = coordinator->layout(left);
    const auto tile =
        std::find_if(tiles.tiles.begin(), tiles.tiles.end(), [&](const Tile& t) { return t.selected == key(1); });
    ASSERT_NE(tile, tiles.tiles.end());
    desktop.movePointer({tile->frame.midX(), tile->frame.midY()});
    EXPECT_TRUE(press(125));
    EXPECT_EQ(coordinator->selectedDisplay.get(), left);
    EXPECT_EQ(state(left).focus, state(left).root.leaf(key(1))->id);
    EXPECT_EQ(coordinator->selectedWindow.get(), key(1));

    // Up steps out again.
    EXPECT_TRUE(press(126));
    EXPECT_FALSE(state(left).focus);
}

TEST_F(ArrangerHotKeysScene, OutsideEveryTileTheSelectedWindowIsFocused) {
    hotKeys->installShortcuts();
    coordinator->selectedWindow = std::nullopt;
    desktop.movePointer({600, 2});  // in the gap at the top of the left display
    EXPECT_TRUE(press(36));
    EXPECT_TRUE(coordinator->navigation().past().empty()) << "nothing to focus";

    coordinator->selectedWindow = key(0);
    EXPECT_TRUE(press(36));
    EXPECT_EQ(state(left).focus, state(left).root.leaf(key(0))->id);
}

TEST_F(ArrangerHotKeysScene, OverTheDesktopLeafTheDesktopIsFocused) {
    coordinator->states.modify([&](auto& all) {
        WorkspaceState& s = all.at(left);
        s.root = LayoutNode::split(s.root, LayoutNode::desktop(), SplitAxis::horizontal, 0.5);
    });
    coordinator->apply();
    hotKeys->installShortcuts();
    desktop.movePointer({900, 400});
    EXPECT_TRUE(press(36));
    EXPECT_EQ(state(left).focus, "desktop");
    EXPECT_EQ(coordinator->status.get(), Coordinator::kDesktopFocusedStatus);
}

TEST_F(ArrangerHotKeysScene, BackWithAnEmptyHistoryOnlySelectsTheDisplayUnderThePointer) {
    hotKeys->installShortcuts();
    coordinator->selectedDisplay = left;
    desktop.movePointer({1500, 400});
    EXPECT_TRUE(press(33));
    EXPECT_EQ(coordinator->selectedDisplay.get(), right);
    EXPECT_TRUE(coordinator->navigation().future().empty());

    // Off every display the selection stays.
    desktop.movePointer({5000, 5000});
    EXPECT_TRUE(press(33));
    EXPECT_EQ(coordinator->selectedDisplay.get(), right);

    // Space shows everything, [ and ] go back and forward.
    coordinator->focus(key(0));
    EXPECT_TRUE(press(49));
    EXPECT_FALSE(state(left).focus);
    EXPECT_TRUE(press(33));
    EXPECT_TRUE(state(left).focus);
    EXPECT_TRUE(press(30));
    EXPECT_FALSE(state(left).focus);
}

TEST_F(ArrangerHotKeysScene, ShiftDigitSavesASlotAndDigitRecallsIt) {
    hotKeys->installShortcuts();
    EXPECT_TRUE(press(21, kControlOptionShiftMask));
    EXPECT_EQ(coordinator->status.get(), "Saved Layout 4.");
    ASSERT_EQ(coordinator->saved->size(), 1u);
    EXPECT_EQ(coordinator->saved->front().id, 4);
    EXPECT_TRUE(press(21));
    EXPECT_EQ(coordinator->status.get(), "Layout 4 restored.");
    EXPECT_TRUE(press(25));
    EXPECT_EQ(coordinator->status.get(), "Layout 9 is empty.");
}

TEST_F(ArrangerHotKeysScene, EveryDigitKeySavesAndRecallsItsOwnSlot) {
    hotKeys->installShortcuts();
    // The keys 1 to 9 of the top row, by their positions on the keyboard.
    const std::uint32_t digitKeys[] = {18, 19, 20, 21, 23, 22, 26, 28, 25};
    for (int n = 1; n <= 9; ++n) {
        const std::uint32_t keyCode = digitKeys[n - 1];
        EXPECT_TRUE(press(keyCode, kControlOptionShiftMask)) << n;
        EXPECT_EQ(coordinator->status.get(), "Saved Layout " + std::to_string(n) + ".");
        EXPECT_TRUE(press(keyCode)) << n;
        EXPECT_EQ(coordinator->status.get(), "Layout " + std::to_string(n) + " restored.");
    }
    EXPECT_EQ(coordinator->saved->size(), 9u);
}

TEST_F(ArrangerHotKeysScene, PressesOfTheKitsSignatureArePassedOn) {
    hotKeys->installShortcuts();
    std::vector<std::uint32_t> kitPresses;
    auto& service = *desktop.services().hotKeys;
    service.installHandler([&](platform::HotKeyID identity) {
        if (identity.signature != 0x544E564B) return platform::kEventNotHandledErr;
        kitPresses.push_back(identity.id);
        return platform::kNoErr;
    });
    platform::HotKeyRef ref = 0;
    ASSERT_EQ(service.registerHotKey(35, 0x900, {0x544E564B, 1}, ref), platform::kNoErr);
    EXPECT_TRUE(press(35, 0x900));
    EXPECT_EQ(kitPresses, std::vector<std::uint32_t>{1});
    // And the arranger's own keys still reach the arranger through the kit's handler.
    coordinator->focus(key(0));
    EXPECT_TRUE(press(126));
    EXPECT_FALSE(state(left).focus);
}

}  // namespace
