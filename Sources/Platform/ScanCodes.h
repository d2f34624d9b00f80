// SPDX-License-Identifier: MIT
// ScanCodes.h: the reader that turns the scan code a key event carries into the keysym the key
// types unshifted under the desktop's current keyboard mapping. The backend's reader is picked
// once, by the shell; a program without one reads no scan codes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace platform {

// The unshifted keysym of the key with `scanCode`; none when the desktop does not know the code.
using ScanCodeReader = std::function<std::optional<std::uint32_t>(std::uint32_t scanCode)>;

}  // namespace platform
