// SPDX-License-Identifier: MIT
// StockBindings: which of the program's shortcuts a window manager binds for itself in the
// configuration its Debian package ships, so a log line can say who holds a key that could not
// be grabbed. Pure data; the manager is told by the name it sets on its check window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::x11 {

// The manager's short name ("openbox") when its stock configuration binds this combination
// (key code and modifier bits of the hot-key service); none otherwise.
std::optional<std::string> stockBindingOwner(std::string_view windowManagerName, std::uint32_t keyCode,
                                             std::uint32_t modifiers);

}  // namespace platform::x11
