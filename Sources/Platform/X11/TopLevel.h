// SPDX-License-Identifier: MIT
// TopLevel: the ancestor of a window that is a child of the root: for a managed client, its
// window manager's frame.
#pragma once

#include "Platform/X11/Connection.h"

#include <optional>

namespace platform::x11 {

// Window managers nest a client at most this many windows below its frame.
inline constexpr int kMaxFrameDepth = 8;

// The window itself when it is a child of the root; absent when the server did not answer in
// time, the window is gone, or it lies deeper than kMaxFrameDepth.
std::optional<xcb_window_t> topLevelOf(Connection& connection, xcb_window_t window, Deadline deadline);

}  // namespace platform::x11
