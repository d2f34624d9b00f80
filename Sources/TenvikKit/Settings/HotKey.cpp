// HotKey.cpp: the key glyph table, shortcut texts, menu key equivalents and the JSON form.
#include "TenvikKit/Settings/HotKey.h"

#include <nlohmann/json.hpp>

#include <limits>

namespace tenvik {

const std::map<std::uint32_t, std::string>& HotKey::keyGlyphs() {
    static const std::map<std::uint32_t, std::string> table = [] {
        std::map<std::uint32_t, std::string> glyphs;
        const std::pair<const char*, std::uint32_t> letters[] = {
            {"A", 0},  {"B", 11}, {"C", 8},  {"D", 2},  {"E", 14}, {"F", 3},  {"G", 5},  {"H", 4},  {"I", 34},
            {"J", 38}, {"K", 40}, {"L", 37}, {"M", 46}, {"N", 45}, {"O", 31}, {"P", 35}, {"Q", 12}, {"R", 15},
            {"S", 1},  {"T", 17}, {"U", 32}, {"V", 9},  {"W", 13}, {"X", 7},  {"Y", 16}, {"Z", 6}};
        for (const auto& [text, code] : letters) glyphs[code] = text;
        const std::uint32_t digits[] = {29, 18, 19, 20, 21, 23, 22, 26, 28, 25};
        for (int digit = 0; digit < 10; ++digit) glyphs[digits[digit]] = std::to_string(digit);
        glyphs[36] = "\u21a9";   // Return
        glyphs[48] = "\u21e5";   // Tab
        glyphs[49] = "Space";    // Space
        glyphs[51] = "\u232b";   // Delete
        glyphs[117] = "\u2326";  // Forward Delete
        glyphs[53] = "\u238b";   // Escape
        glyphs[123] = "\u2190";  // Left Arrow
        glyphs[124] = "\u2192";  // Right Arrow
        glyphs[125] = "\u2193";  // Down Arrow
        glyphs[126] = "\u2191";  // Up Arrow
        const std::uint32_t functionKeys[] = {122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111};
        for (int n = 0; n < 12; ++n) glyphs[functionKeys[n]] = "F" + std::to_string(n + 1);
        return glyphs;
    }();
    return table;
}

std::string HotKey::displayString() const {
    std::string text;
    if (modifiers & kControl) text += "\u2303";
    if (modifiers & kOption) text += "\u2325";
    if (modifiers & kShift) text += "\u21e7";
    if (modifiers & kCommand) text += "\u2318";
    const auto& glyphs = keyGlyphs();
    const auto it = glyphs.find(keyCode);
    text += it != glyphs.end() ? it->second : "Key " + std::to_string(keyCode);
    return text;
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
