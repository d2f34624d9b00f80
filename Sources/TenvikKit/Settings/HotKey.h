// SPDX-License-Identifier: MIT
// HotKey.h: one global shortcut of the kit: a virtual key code (ANSI layout) and the modifier
// mask (command 0x100, shift 0x200, option 0x800, control 0x1000; on this desktop command is
// the Super key and option is Alt). Its text ("Super+Alt+P", also its stored form) and that
// text read back, its key equivalent for a menu item, and the encoded form earlier builds
// stored ({"keyCode": 35, "modifiers": 2304}, or null for no shortcut).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tenvik {

// Modifier flags of a menu item's key equivalent.
inline constexpr std::uint32_t kMenuShiftFlag = 0x20000;
inline constexpr std::uint32_t kMenuControlFlag = 0x40000;
inline constexpr std::uint32_t kMenuOptionFlag = 0x80000;
inline constexpr std::uint32_t kMenuCommandFlag = 0x100000;

struct MenuKeyEquivalent {
    std::string key;  // one lower-case letter or digit
    std::uint32_t modifierFlags = 0;
    friend bool operator==(const MenuKeyEquivalent&, const MenuKeyEquivalent&) = default;
};

struct HotKey {
    static constexpr std::uint32_t kCommand = 0x100;
    static constexpr std::uint32_t kShift = 0x200;
    static constexpr std::uint32_t kOption = 0x800;
    static constexpr std::uint32_t kControl = 0x1000;

    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;

    friend bool operator==(const HotKey&, const HotKey&) = default;

    // Holds Super, Ctrl or Alt: only such a shortcut may be taken from every application (a
    // plain key, or one with Shift alone, would be grabbed for the whole desktop).
    bool holdsCommandModifier() const { return (modifiers & (kCommand | kOption | kControl)) != 0; }

    // The shortcut as the desktop writes it: "Super+Alt+P", "Ctrl+Shift+F1" ("Key <code>" for
    // a key without a name).
    std::string displayString() const;
    // A text such as displayString() writes, read back; none for anything else.
    static std::optional<HotKey> fromText(std::string_view text);
    // A single letter or digit key: that character in lower case with the menu flags of the
    // modifiers; anything else has none.
    std::optional<MenuKeyEquivalent> menuKeyEquivalent() const;

    // The name shown for each key a shortcut of the kit may use (58 keys).
    static const std::map<std::uint32_t, std::string>& keyGlyphs();

    // The encoded form of an optional shortcut earlier builds stored, and back: decode() answers false when the bytes
    // are no such form (an absent shortcut is the JSON literal null and decodes as nullopt).
    static std::vector<std::uint8_t> encode(const std::optional<HotKey>& hotKey);
    static bool decode(const std::vector<std::uint8_t>& bytes, std::optional<HotKey>& hotKey);
};

}  // namespace tenvik
