// SPDX-License-Identifier: MIT
// PropertyValue: reads the value of a window property reply as the types the window manager
// and clients store: 32-bit cardinals, atoms and windows, and text (UTF-8 or Latin-1).
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::x11 {

// The 32-bit items of the property; empty when it is missing or of another format.
std::vector<std::uint32_t> cardinals(const xcb_get_property_reply_t* reply);
// The first 32-bit item, if there is one.
std::optional<std::uint32_t> firstCardinal(const xcb_get_property_reply_t* reply);
// The property as text: UTF8_STRING as is, STRING (Latin-1) converted to UTF-8.
std::optional<std::string> text(const xcb_get_property_reply_t* reply, xcb_atom_t utf8String);
// The NUL-separated strings of the property (WM_CLASS), converted like text().
std::vector<std::string> strings(const xcb_get_property_reply_t* reply, xcb_atom_t utf8String);

}  // namespace platform::x11
