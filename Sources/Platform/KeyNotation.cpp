// SPDX-License-Identifier: MIT
// KeyNotation.cpp: the key name table of an ANSI keyboard and the combination text both ways.
#include "Platform/KeyNotation.h"

#include "Platform/HotKeys.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

namespace platform {

namespace {

// The names of the keys by key code, as desktop shortcut settings write them.
constexpr std::pair<std::uint32_t, const char*> kKeyNames[] = {
    {0, "A"},        {11, "B"},     {8, "C"},           {2, "D"},       {14, "E"},      {3, "F"},
    {5, "G"},        {4, "H"},      {34, "I"},          {38, "J"},      {40, "K"},      {37, "L"},
    {46, "M"},       {45, "N"},     {31, "O"},          {35, "P"},      {12, "Q"},      {15, "R"},
    {1, "S"},        {17, "T"},     {32, "U"},          {9, "V"},       {13, "W"},      {7, "X"},
    {16, "Y"},       {6, "Z"},      {29, "0"},          {18, "1"},      {19, "2"},      {20, "3"},
    {21, "4"},       {23, "5"},     {22, "6"},          {26, "7"},      {28, "8"},      {25, "9"},
    {24, "="},       {27, "-"},     {30, "]"},          {33, "["},      {39, "'"},      {41, ";"},
    {42, "\\"},      {43, ","},     {44, "/"},          {47, "."},      {50, "`"},      {36, "Return"},
    {48, "Tab"},     {49, "Space"}, {51, "Backspace"},  {53, "Escape"}, {115, "Home"},  {116, "Page Up"},
    {117, "Delete"}, {119, "End"},  {121, "Page Down"}, {123, "Left"},  {124, "Right"}, {125, "Down"},
    {126, "Up"},     {122, "F1"},   {120, "F2"},        {99, "F3"},     {118, "F4"},    {96, "F5"},
    {97, "F6"},      {98, "F7"},    {100, "F8"},        {101, "F9"},    {109, "F10"},   {103, "F11"},
    {111, "F12"},
};

// Modifier words in the order they are written, with the words also read for them.
struct ModifierWord {
    std::uint32_t mask;
    const char* written;
    std::vector<std::string_view> read;
};

const std::vector<ModifierWord>& modifierWords() {
    static const std::vector<ModifierWord> words = {
        {kCommandKeyMask, "Super", {"super", "win", "meta"}},
        {kControlKeyMask, "Ctrl", {"ctrl", "control"}},
        {kOptionKeyMask, "Alt", {"alt"}},
        {kShiftKeyMask, "Shift", {"shift"}},
    };
    return words;
}

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

std::optional<std::uint32_t> modifierMask(std::string_view word) {
    const std::string key = lowered(trimmed(word));
    for (const ModifierWord& modifier : modifierWords())
        if (std::find(modifier.read.begin(), modifier.read.end(), key) != modifier.read.end()) return modifier.mask;
    return std::nullopt;
}

std::optional<std::uint32_t> keyCodeNamed(std::string_view name) {
    const std::string key = lowered(trimmed(name));
    for (const auto& [code, written] : kKeyNames)
        if (lowered(written) == key) return code;
    // "Key <code>", as written for keys without a name.
    constexpr std::string_view kPrefix = "key ";
    if (key.size() > kPrefix.size() && key.starts_with(kPrefix)) {
        const std::string digits = key.substr(kPrefix.size());
        if (digits.size() > 3 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        return static_cast<std::uint32_t>(std::stoul(digits));
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> keyName(std::uint32_t keyCode) {
    for (const auto& [code, name] : kKeyNames)
        if (code == keyCode) return std::string(name);
    return std::nullopt;
}

std::string hotKeyName(std::uint32_t keyCode, std::uint32_t modifiers) {
    std::string name;
    for (const ModifierWord& modifier : modifierWords())
        if (modifiers & modifier.mask) name += std::string(modifier.written) + "+";
    const auto key = keyName(keyCode);
    return name + (key ? *key : "Key " + std::to_string(keyCode));
}

std::optional<KeyCombination> parseHotKeyName(std::string_view text) {
    text = trimmed(text);
    if (text.empty()) return std::nullopt;
    KeyCombination combination;
    // Every part before the last '+' is a modifier; the rest is the key, which may itself be
    // "+" only in the form "Ctrl++" (not a key of this table, so refused below).
    while (true) {
        const std::size_t plus = text.find('+');
        if (plus == std::string_view::npos || plus + 1 == text.size()) break;
        const auto mask = modifierMask(text.substr(0, plus));
        if (!mask || (combination.modifiers & *mask)) return std::nullopt;
        combination.modifiers |= *mask;
        text.remove_prefix(plus + 1);
    }
    const auto keyCode = keyCodeNamed(text);
    if (!keyCode) return std::nullopt;
    combination.keyCode = *keyCode;
    return combination;
}

}  // namespace platform
