// SPDX-License-Identifier: MIT
// LoginItem.h: the shell's "Open at Login" is the platform's autostart entry, shared with the
// kit's launch at login.
#pragma once

#include "Platform/LoginItem.h"

namespace arvelo {

using LoginItem = platform::LoginItem;

}  // namespace arvelo
