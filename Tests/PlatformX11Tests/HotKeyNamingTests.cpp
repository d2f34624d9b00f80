// SPDX-License-Identifier: MIT
// HotKeyNamingTests.cpp: what the hot keys' log lines say: a combination as the desktop writes
// it, the keys that carry a symbol in a keyboard mapping, and which window manager's stock
// configuration holds a combination.
#include "Platform/HotKeys.h"
#include "Platform/X11/KeyboardMapping.h"
#include "Platform/X11/StockBindings.h"

#include <gtest/gtest.h>

using namespace platform;
using namespace platform::x11;

namespace {

constexpr std::uint32_t kCtrlAlt = kControlKeyMask | kOptionKeyMask;

TEST(HotKeyNames, CombinationsReadAsTheDesktopWritesThem) {
    const struct {
        std::uint32_t keyCode, modifiers;
        const char* name;
    } cases[] = {
        {125, kCtrlAlt, "Ctrl+Alt+Down"},
        {126, kCtrlAlt, "Ctrl+Alt+Up"},
        {49, kCtrlAlt, "Ctrl+Alt+Space"},
        {36, kCtrlAlt, "Ctrl+Alt+Return"},
        {33, kCtrlAlt, "Ctrl+Alt+["},
        {18, kCtrlAlt | kShiftKeyMask, "Ctrl+Alt+Shift+1"},
        {35, kCommandKeyMask | kOptionKeyMask, "Super+Alt+P"},
        {13, kCtrlAlt, "Ctrl+Alt+W"},
        {53, 0, "Escape"},
        {200, kControlKeyMask, "Ctrl+Key 200"},
    };
    for (const auto& c : cases) EXPECT_EQ(hotKeyName(c.keyCode, c.modifiers), c.name);
}

TEST(KeyboardMapping, KeysAreFoundByTheSymbolsTheyCarry) {
    // Keycodes 10 to 13, two columns each: "1 !", "a" (a letter alone: a and A), "Return", and
    // "1" again on a keypad-like key.
    const KeyboardMapping mapping{10, 2, {'1', '!', 'A', 0, 0xFF0D, 0, '1', 0}};
    EXPECT_EQ(mapping.keysym(11, 0), static_cast<xcb_keysym_t>('a'));
    EXPECT_EQ(mapping.keysym(11, 1), static_cast<xcb_keysym_t>('A'));
    EXPECT_EQ(mapping.keysym(10, 1), static_cast<xcb_keysym_t>('!'));
    EXPECT_EQ(mapping.keysym(9, 0), 0u);
    EXPECT_EQ(mapping.keysym(14, 0), 0u);
    EXPECT_EQ(mapping.keycodes('a'), (std::vector<xcb_keycode_t>{11}));
    EXPECT_EQ(mapping.keycodes('1'), (std::vector<xcb_keycode_t>{10, 13}));
    EXPECT_EQ(mapping.keycodes(0xFF0D), (std::vector<xcb_keycode_t>{12}));
    EXPECT_TRUE(mapping.keycodes('z').empty());
    EXPECT_TRUE(KeyboardMapping{}.keycodes('a').empty());
}

TEST(StockBindings, TheManagerWhoseConfigurationHoldsAKeyIsNamed) {
    const struct {
        const char* manager;
        std::uint32_t keyCode, modifiers;
        std::optional<std::string> owner;
    } cases[] = {
        {"Openbox", 125, kCtrlAlt, "openbox"},
        {"Openbox", 126, kCtrlAlt, "openbox"},
        {"Openbox", 49, kCtrlAlt, std::nullopt},
        {"Xfwm4", 125, kCtrlAlt, "xfwm4"},
        {"IceWM 3.3.1 (Linux 6.1.0/x86_64)", 19, kCtrlAlt | kShiftKeyMask, "icewm"},
        {"IceWM 3.3.1 (Linux 6.1.0/x86_64)", 126, kCtrlAlt, std::nullopt},
        {"Metacity (Marco)", 123, kCtrlAlt, "marco"},
        {"Fluxbox", 125, kCtrlAlt, std::nullopt},
        {"", 125, kCtrlAlt, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(stockBindingOwner(c.manager, c.keyCode, c.modifiers), c.owner) << c.manager << " " << c.keyCode;
}

}  // namespace
