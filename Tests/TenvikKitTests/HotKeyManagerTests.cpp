// SPDX-License-Identifier: MIT
// HotKeyManagerTests.cpp: the kit's hot keys on the simulated desktop: ids handed out and never
// reused, presses of old ids ignored, the arranger's signature declined, failures kept as the
// last registration error while the other keys still work.
#include "KitScene.h"
#include "TenvikKit/HotKeys/HotKeyManager.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tenvik {
namespace {

using Action = HotKeyManager::Action;

class HotKeys : public ::testing::Test {
protected:
    HotKeys() {
        manager.onAction = [this](Action action) { actions.push_back(action); };
    }

    // The controller's registration pass.
    void pass(std::optional<HotKey> releaseAll, std::optional<HotKey> pin, std::optional<HotKey> focus) {
        manager.unregisterAll();
        manager.lastRegistrationError.reset();
        manager.installEventHandlerIfNeeded();
        manager.registerHotKey(releaseAll, Action::releaseAll);
        manager.registerHotKey(pin, Action::togglePin);
        manager.registerHotKey(focus, Action::toggleFocus);
    }

    test::KitScene scene;
    HotKeyManager manager{scene.desktop.services().hotKeys};
    std::vector<Action> actions;
};

TEST_F(HotKeys, IdsCountOnAcrossPassesAndOldIdsFindNothing) {
    pass(AppSettings::kDefaultReleaseAllHotKey, AppSettings::kDefaultPinHotKey, AppSettings::kDefaultFocusHotKey);
    EXPECT_EQ(manager.actionsByID(), (std::map<std::uint32_t, Action>{
                                         {1, Action::releaseAll}, {2, Action::togglePin}, {3, Action::toggleFocus}}));
    pass(AppSettings::kDefaultReleaseAllHotKey, AppSettings::kDefaultPinHotKey, AppSettings::kDefaultFocusHotKey);
    EXPECT_EQ(manager.actionsByID(), (std::map<std::uint32_t, Action>{
                                         {4, Action::releaseAll}, {5, Action::togglePin}, {6, Action::toggleFocus}}));
    manager.handleHotKey(2);
    EXPECT_TRUE(actions.empty());
    EXPECT_TRUE(scene.desktop.hotKeys().press(35, 0x900));  // Super+Alt+P
    EXPECT_EQ(actions, std::vector<Action>{Action::togglePin});
    EXPECT_EQ(scene.logLines("hotkey"),
              (std::vector<std::string>{
                  "info: registered Super+Alt+R action=releaseAll", "info: registered Super+Alt+P action=togglePin",
                  "info: registered Super+Alt+F action=toggleFocus", "info: registered Super+Alt+R action=releaseAll",
                  "info: registered Super+Alt+P action=togglePin", "info: registered Super+Alt+F action=toggleFocus",
                  "debug: hotkey pressed action=togglePin"}));
}

TEST_F(HotKeys, OnlyTheShortcutsThatAreSetUseIds) {
    pass(std::nullopt, AppSettings::kDefaultPinHotKey, std::nullopt);
    pass(std::nullopt, AppSettings::kDefaultPinHotKey, std::nullopt);
    EXPECT_EQ(manager.actionsByID(), (std::map<std::uint32_t, Action>{{2, Action::togglePin}}));
    EXPECT_EQ(manager.nextHotKeyID(), 3u);
}

TEST_F(HotKeys, TheArrangersPressesAreDeclinedAndReachTheirOwnHandler) {
    std::vector<std::uint32_t> arranger;
    auto& keys = *scene.desktop.services().hotKeys;
    keys.installHandler([&](platform::HotKeyID identity) {
        if (identity.signature != 0x4152564C) return platform::kEventNotHandledErr;
        arranger.push_back(identity.id);
        return platform::kNoErr;
    });
    platform::HotKeyRef ref = 0;
    ASSERT_EQ(keys.registerHotKey(49, 0x1800, {0x4152564C, 1}, ref), platform::kNoErr);
    pass(AppSettings::kDefaultReleaseAllHotKey, AppSettings::kDefaultPinHotKey, AppSettings::kDefaultFocusHotKey);
    // The kit's handler was installed last, so it is asked first and declines.
    EXPECT_TRUE(scene.desktop.hotKeys().press(49, 0x1800));
    EXPECT_EQ(arranger, std::vector<std::uint32_t>{1});
    EXPECT_TRUE(actions.empty());
    EXPECT_TRUE(scene.desktop.hotKeys().press(3, 0x900));
    EXPECT_EQ(actions, std::vector<Action>{Action::toggleFocus});
}

TEST_F(HotKeys, AShortcutTakenByAnotherClientFailsAndTheOthersStillWork) {
    scene.desktop.hotKeys().occupy(35, 0x900);
    scene.desktop.hotKeys().occupy(15, 0x900);
    pass(AppSettings::kDefaultReleaseAllHotKey, AppSettings::kDefaultPinHotKey, AppSettings::kDefaultFocusHotKey);
    // The last failure of the pass remains.
    EXPECT_EQ(manager.lastRegistrationError,
              "Super+Alt+P is held by another program. Record another shortcut in Settings, Shortcuts.");
    // One line for each key held, naming the key and no status number.
    const auto lines = scene.logLines("hotkey");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "error: Super+Alt+P is held by another program"), 1);
    EXPECT_EQ(manager.actionsByID(), (std::map<std::uint32_t, Action>{{3, Action::toggleFocus}}));
    EXPECT_TRUE(scene.desktop.hotKeys().press(3, 0x900));
    EXPECT_EQ(actions, std::vector<Action>{Action::toggleFocus});
}

TEST_F(HotKeys, AShortcutWithoutSuperCtrlOrAltIsNeverGrabbed) {
    const struct {
        const char* name;
        HotKey key;
        bool grabbed;
    } cases[] = {
        {"plain A", {0, 0}, false},
        {"Space", {49, 0}, false},
        {"Shift+F1", {122, HotKey::kShift}, false},
        {"Super+P", {35, HotKey::kCommand}, true},
        {"Ctrl+Shift+Space", {49, HotKey::kControl | HotKey::kShift}, true},
        {"Alt+R", {15, HotKey::kOption}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pass(std::nullopt, c.key, std::nullopt);
        EXPECT_EQ(scene.desktop.hotKeys().holds(c.key.keyCode, c.key.modifiers), c.grabbed);
        EXPECT_EQ(manager.lastRegistrationError.has_value(), !c.grabbed);
        EXPECT_EQ(scene.desktop.hotKeys().press(c.key.keyCode, c.key.modifiers), c.grabbed)
            << "an application gets the key";
    }
    EXPECT_EQ(actions, (std::vector<Action>{Action::togglePin, Action::togglePin, Action::togglePin}));
}

TEST_F(HotKeys, UnregisteringReleasesTheKeysAndKeepsCounting) {
    pass(AppSettings::kDefaultReleaseAllHotKey, std::nullopt, std::nullopt);
    manager.unregisterAll();
    EXPECT_FALSE(scene.desktop.hotKeys().holds(15, 0x900));
    EXPECT_TRUE(manager.hasEventHandler());
    manager.removeEventHandler();
    EXPECT_FALSE(manager.hasEventHandler());
    EXPECT_EQ(manager.nextHotKeyID(), 2u);
}

TEST(HotKeysWithoutAService, InstallingTheHandlerFailsWithItsText) {
    test::KitScene scene;
    HotKeyManager manager(nullptr);
    manager.installEventHandlerIfNeeded();
    EXPECT_EQ(manager.lastRegistrationError,
              "Global shortcuts are not available on this desktop. The menu still works.");
    EXPECT_EQ(scene.logLines("hotkey"),
              std::vector<std::string>{"error: global shortcuts are not available on this desktop"});
}

}  // namespace
}  // namespace tenvik
