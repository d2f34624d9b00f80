// SPDX-License-Identifier: MIT
// KeyNotationTests.cpp: a key combination's text as the desktop writes it, read back, and the
// sentence a refused registration gets.
#include "Platform/HotKeys.h"
#include "Platform/KeyNotation.h"
#include "Platform/Sim/Desktop.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

constexpr std::uint32_t kSuperAlt = kCommandKeyMask | kOptionKeyMask;

TEST(KeyNotation, EveryNamedCombinationReadsBackToItself) {
    for (std::uint32_t code = 0; code < 128; ++code) {
        for (const std::uint32_t modifiers : {0u, kSuperAlt, kControlKeyMask | kShiftKeyMask, kHotKeyModifierMask}) {
            const std::string text = hotKeyName(code, modifiers);
            EXPECT_EQ(parseHotKeyName(text), (KeyCombination{code, modifiers})) << text;
        }
    }
}

TEST(KeyNotation, TextsAreReadAsAPersonWritesThem) {
    const struct {
        const char* text;
        std::optional<KeyCombination> combination;
    } cases[] = {
        {"Super+Alt+P", KeyCombination{35, kSuperAlt}},
        {"alt+super+p", KeyCombination{35, kSuperAlt}},
        {" Ctrl + Alt + Space ", KeyCombination{49, kControlKeyMask | kOptionKeyMask}},
        {"Control+Alt+Page Down", KeyCombination{121, kControlKeyMask | kOptionKeyMask}},
        {"Meta+Alt+P", KeyCombination{35, kSuperAlt}},
        {"Win+Shift+K", KeyCombination{40, kCommandKeyMask | kShiftKeyMask}},
        {"Escape", KeyCombination{53, 0}},
        {"Ctrl+Key 200", KeyCombination{200, kControlKeyMask}},
        {"Ctrl+[", KeyCombination{33, kControlKeyMask}},
        {"", std::nullopt},
        {"Super+", std::nullopt},
        {"Super+Super+P", std::nullopt},
        {"Hyper+P", std::nullopt},
        {"Super+Alt+PP", std::nullopt},
        {"Ctrl+Alt++", std::nullopt},
        {"Ctrl+Key 12345", std::nullopt},
        {"Ctrl+Key -1", std::nullopt},
        {"\u2325\u2318P", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseHotKeyName(c.text), c.combination) << c.text;
}

TEST(KeyNotation, ARefusedCombinationIsOneSentenceNamingTheKey) {
    sim::Desktop desktop;
    HotKeys& hotKeys = *desktop.services().hotKeys;
    desktop.hotKeys().occupy(35, kSuperAlt);
    HotKeyRef ref = 0;
    ASSERT_EQ(hotKeys.registerHotKey(3, kSuperAlt, {1, 1}, ref), kNoErr);
    const struct {
        std::uint32_t keyCode;
        StatusCode status;
        const char* text;
    } cases[] = {
        {35, kEventHotKeyExistsErr, "Super+Alt+P is held by another program"},
        {3, kEventHotKeyExistsErr, "Super+Alt+F is already another shortcut of this program"},
        {200, kEventHotKeyInvalidErr, "Super+Alt+Key 200 cannot be used: no key of this keyboard carries it"},
        {35, -1, "Super+Alt+P could not be taken from the X server"},
    };
    for (const auto& c : cases) EXPECT_EQ(hotKeys.refusalText(c.keyCode, kSuperAlt, c.status), c.text);
}

}  // namespace
}  // namespace platform
