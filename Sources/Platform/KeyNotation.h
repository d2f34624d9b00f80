// SPDX-License-Identifier: MIT
// KeyNotation.h: the one way this program writes a key combination, as Linux desktops write
// them in their shortcut settings ("Super+Alt+P", "Ctrl+Alt+Space", "Ctrl+Alt+Shift+1"), and
// the reading of such a text back. Every text a user reads that names a shortcut comes from here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The name of one key of an ANSI keyboard by key code ("P", "Space", "Down", "F5"), or none.
std::optional<std::string> keyName(std::uint32_t keyCode);

// A combination as this desktop writes it: modifiers Super, Ctrl, Alt, Shift in that order,
// then the key; a key without a name reads "Key <code>".
std::string hotKeyName(std::uint32_t keyCode, std::uint32_t modifiers);

struct KeyCombination {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
    friend bool operator==(const KeyCombination&, const KeyCombination&) = default;
};

// Reads a text written by hotKeyName back. Modifier and key names are matched without regard
// to case and in any modifier order; "Control", "Win" and "Meta" are read as Ctrl, Super and
// Super. Anything else (an unknown key, a repeated modifier, an empty key) is none.
std::optional<KeyCombination> parseHotKeyName(std::string_view text);

}  // namespace platform
