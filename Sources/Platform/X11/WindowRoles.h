// SPDX-License-Identifier: MIT
// WindowRoles: how a client window appears to Accessibility, decided from its facts alone:
// role and subrole ("AXWindow"/"AXSheet", "AXStandardWindow"/"AXDialog"/...), the window it
// belongs to, whether its position and size can be set, and whether it has a close button.
#pragma once

#include "Platform/X11/WindowFacts.h"

#include <xcb/xcb_ewmh.h>

#include <optional>
#include <string>

namespace platform::x11 {

// Needs fact::kKind and fact::kState.
std::string roleOf(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh, xcb_window_t root);
// Absent for sheets, which have a role but no subrole.
std::optional<std::string> subroleOf(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh, xcb_window_t root);
// The client window this one is transient for (a sheet's or a dialog's window); none for a
// top-level window. Needs fact::kKind.
xcb_window_t parentOf(const WindowFacts& facts, xcb_window_t root);
bool isSheet(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh, xcb_window_t root);

// Needs fact::kHints. A window whose minimum and maximum sizes are equal cannot be resized;
// the window manager's allowed actions, when it publishes them, have the last word.
bool positionSettable(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh);
bool sizeSettable(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh);
bool hasCloseButton(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh);

// Needs fact::kKind and fact::kState: an ordinary window that a taskbar would show, which makes
// its application a regular one.
bool countsAsRegular(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh, xcb_window_t root);

}  // namespace platform::x11
