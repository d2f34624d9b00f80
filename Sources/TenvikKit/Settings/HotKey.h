// HotKey.h: one global shortcut of the kit: a virtual key code (ANSI layout) and the modifier
// mask (command 0x100, shift 0x200, option 0x800, control 0x1000; on this desktop command is
// the Super key and option is Alt). Its text ("⌥⌘P"), its key equivalent for a menu item,
// and its stored JSON form ({"keyCode": 35, "modifiers": 2304}, or null for no shortcut).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
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

    // Modifier glyphs in the order ⌃ ⌥ ⇧ ⌘, then the key's text ("Key <code>" when unknown).
    std::string displayString() const;
    // A single letter or digit key: that character in lower case with the menu flags of the
    // modifiers; anything else has none.
    std::optional<MenuKeyEquivalent> menuKeyEquivalent() const;

    // The text shown for each known key code (58 keys).
    static const std::map<std::uint32_t, std::string>& keyGlyphs();

    // The stored form of an optional shortcut, and back: decode() answers false when the bytes
    // are no such form (an absent shortcut is the JSON literal null and decodes as nullopt).
    static std::vector<std::uint8_t> encode(const std::optional<HotKey>& hotKey);
    static bool decode(const std::vector<std::uint8_t>& bytes, std::optional<HotKey>& hotKey);
};

}  // namespace tenvik
