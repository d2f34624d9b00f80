// SPDX-License-Identifier: MIT
// KeyCodeTable.h: the fixed table from the virtual key codes of an ANSI keyboard to keysyms
// (the key symbols of X11 and xkb). The X11 backend turns a hot key (key code + modifier bits)
// into key grabs with it; the views turn key events into key codes with it.
#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// The keysym of the key that carries this code on an ANSI layout (letters and punctuation
// by their unshifted symbol); none for codes the table does not hold (modifier keys,
// keys without an X counterpart).
std::optional<std::uint32_t> keysymForKeyCode(std::uint32_t keyCode);
// The inverse: the key code of the key that carries this keysym unshifted. An upper-case
// Latin letter counts as its lower-case key; none for keysyms the table does not hold.
std::optional<std::uint32_t> keyCodeForKeysym(std::uint32_t keysym);

}  // namespace platform
