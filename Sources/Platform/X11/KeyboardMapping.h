// SPDX-License-Identifier: MIT
// KeyboardMapping: the X server's keyboard mapping as a value (the keysyms of every keycode,
// column by column), read with a bounded wait, and the two questions the hot keys ask of it:
// which symbol a key carries, and which keys carry a symbol.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace platform::x11 {

struct KeyboardMapping {
    xcb_keycode_t minKeycode = 8;
    int keysymsPerKeycode = 0;
    std::vector<xcb_keysym_t> keysyms;  // keysymsPerKeycode per keycode, from minKeycode on

    // The symbol of a column as X reads it: when a key's second column is empty and its first
    // is a letter, the first column is the lower case and the second the upper case.
    xcb_keysym_t keysym(xcb_keycode_t keycode, int column) const;
    // Every keycode that carries the symbol in one of its columns, lowest first.
    std::vector<xcb_keycode_t> keycodes(xcb_keysym_t symbol) const;
};

}  // namespace platform::x11
