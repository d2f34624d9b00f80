// SPDX-License-Identifier: MIT
// HotKey.cpp: the key table, shortcut texts both ways, menu key equivalents and the earlier
// encoded form.
#include "TenvikKit/Settings/HotKey.h"

#include "Platform/KeyNotation.h"

#include <nlohmann/json.hpp>

#include <limits>

namespace tenvik {

const std::map<std::uint32_t, std::string>& HotKey::keyGlyphs() {
    static const std::map<std::uint32_t, std::string> table = [] {
        // Letters, digits, Return, Tab, Space, Backspace, Delete, Escape, the arrows, F1 to F12.
        constexpr std::uint32_t kCodes[] = {0,   11,  8,   2,  14,  3,  5,  4,  34,  38,  40,  37,  46,  45,  31,
                                            35,  12,  15,  1,  17,  32, 9,  13, 7,   16,  6,   29,  18,  19,  20,
                                            21,  23,  22,  26, 28,  25, 36, 48, 49,  51,  117, 53,  123, 124, 125,
                                            126, 122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111};
        std::map<std::uint32_t, std::string> names;
        for (const std::uint32_t code : kCodes) names[code] = platform::keyName(code).value_or("");
        return names;
    }();
    return table;
}

std::string HotKey::displayString() const { return platform::hotKeyName(keyCode, modifiers); }

std::optional<HotKey> HotKey::fromText(std::string_view text) {
    const auto combination = platform::parseHotKeyName(text);
    if (!combination) return std::nullopt;
    return HotKey{combination->keyCode, combination->modifiers};
}

std::optional<MenuKeyEquivalent> HotKey::menuKeyEquivalent() const {
    const auto& glyphs = keyGlyphs();
    const auto it = glyphs.find(keyCode);
    if (it == glyphs.end() || it->second.size() != 1) return std::nullopt;
    char c = it->second[0];
    const bool letter = c >= 'A' && c <= 'Z';
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !digit) return std::nullopt;
    if (letter) c = static_cast<char>(c - 'A' + 'a');
    MenuKeyEquivalent equivalent{std::string(1, c), 0};
    if (modifiers & kCommand) equivalent.modifierFlags |= kMenuCommandFlag;
    if (modifiers & kOption) equivalent.modifierFlags |= kMenuOptionFlag;
    if (modifiers & kControl) equivalent.modifierFlags |= kMenuControlFlag;
    if (modifiers & kShift) equivalent.modifierFlags |= kMenuShiftFlag;
    return equivalent;
}

std::vector<std::uint8_t> HotKey::encode(const std::optional<HotKey>& hotKey) {
    nlohmann::json json = nullptr;
    if (hotKey) json = {{"keyCode", hotKey->keyCode}, {"modifiers", hotKey->modifiers}};
    const std::string text = json.dump();
    return {text.begin(), text.end()};
}

bool HotKey::decode(const std::vector<std::uint8_t>& bytes, std::optional<HotKey>& hotKey) {
    const auto json = nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (json.is_discarded()) return false;
    if (json.is_null()) {
        hotKey.reset();
        return true;
    }
    if (!json.is_object()) return false;
    const auto field = [&](const char* name) -> std::optional<std::uint32_t> {
        const auto it = json.find(name);
        if (it == json.end() || !it->is_number_unsigned()) return std::nullopt;
        const auto value = it->get<std::uint64_t>();
        if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
        return static_cast<std::uint32_t>(value);
    };
    const auto keyCode = field("keyCode");
    const auto modifiers = field("modifiers");
    if (!keyCode || !modifiers) return false;
    hotKey = HotKey{*keyCode, *modifiers};
    return true;
}

}  // namespace tenvik
