// SPDX-License-Identifier: MIT
// KeyboardMapping.cpp: looking symbols and keys up in the keyboard mapping.
#include "Platform/X11/KeyboardMapping.h"

namespace platform::x11 {

namespace {

constexpr xcb_keysym_t kNoSymbol = 0;

// Latin-1 letters only: the symbols the hot-key table can name.
bool isUpper(xcb_keysym_t s) { return (s >= 'A' && s <= 'Z') || (s >= 0xC0 && s <= 0xDE && s != 0xD7); }
bool isLower(xcb_keysym_t s) { return (s >= 'a' && s <= 'z') || (s >= 0xE0 && s <= 0xFE && s != 0xF7); }
xcb_keysym_t toLower(xcb_keysym_t s) { return isUpper(s) ? s + 0x20 : s; }
xcb_keysym_t toUpper(xcb_keysym_t s) { return isLower(s) ? s - 0x20 : s; }

}  // namespace

xcb_keysym_t KeyboardMapping::keysym(xcb_keycode_t keycode, int column) const {
    if (keycode < minKeycode || column < 0 || column >= keysymsPerKeycode) return kNoSymbol;
    const std::size_t row = static_cast<std::size_t>(keycode - minKeycode) * static_cast<std::size_t>(keysymsPerKeycode);
    if (row + static_cast<std::size_t>(keysymsPerKeycode) > keysyms.size()) return kNoSymbol;
    const xcb_keysym_t first = keysyms[row];
    const xcb_keysym_t second = keysymsPerKeycode > 1 ? keysyms[row + 1] : kNoSymbol;
    if (column < 2 && second == kNoSymbol && (isUpper(first) || isLower(first)))
        return column == 0 ? toLower(first) : toUpper(first);
    return keysyms[row + static_cast<std::size_t>(column)];
}

std::vector<xcb_keycode_t> KeyboardMapping::keycodes(xcb_keysym_t symbol) const {
    std::vector<xcb_keycode_t> found;
    if (keysymsPerKeycode <= 0 || symbol == kNoSymbol) return found;
    const std::size_t count = keysyms.size() / static_cast<std::size_t>(keysymsPerKeycode);
    for (std::size_t i = 0; i < count && minKeycode + i <= 255; ++i) {
        const auto keycode = static_cast<xcb_keycode_t>(minKeycode + i);
        for (int column = 0; column < keysymsPerKeycode; ++column) {
            if (keysym(keycode, column) == symbol) {
                found.push_back(keycode);
                break;
            }
        }
    }
    return found;
}

}  // namespace platform::x11
