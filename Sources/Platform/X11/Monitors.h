// SPDX-License-Identifier: MIT
// Monitors: the displays of the X screen as RandR monitors (primary first), their visible
// frames (the monitor less the room docks and panels reserve with their struts), and the
// flip between root coordinates (top-left origin) and the bottom-left-origin screen space.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/X11/Connection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::x11 {

struct Monitor {
    xcb_atom_t nameAtom = XCB_ATOM_NONE;  // also the monitor's number
    std::string name;
    bool primary = false;
    arvelo::Rect frame;  // root coordinates
};

// The monitors, primary first, then in RandR's order. Without RandR 1.5, or when it lists
// none, the whole screen is one monitor named "screen". Empty only when the server did not
// answer in time.
std::vector<Monitor> readMonitors(Connection& connection, Deadline deadline);

// A dock's reserved room: left, right, top, bottom widths, then the start and end of each
// edge's span (_NET_WM_STRUT_PARTIAL order); 4 items mean whole-edge spans.
using Strut = std::vector<std::uint32_t>;

// The part of `monitor` not reserved by any strut (edges of the whole screen `screen`).
arvelo::Rect visibleFrame(const arvelo::Rect& monitor, const std::vector<Strut>& struts, const arvelo::Rect& screen);

// A visible frame kept within the window manager's work area (_NET_WORKAREA), which also
// leaves out panels that reserve no strut (fluxbox's toolbar). A work area that misses the
// frame altogether changes nothing. Used with one monitor only: the work area is one rectangle for all.
arvelo::Rect withinWorkArea(const arvelo::Rect& visible, const std::optional<arvelo::Rect>& workArea);

// Root coordinates to the bottom-left-origin space and back (y up from the primary's bottom).
arvelo::Rect flipRect(const arvelo::Rect& rect, double primaryMaxY);
arvelo::Point flipPoint(arvelo::Point point, double primaryMaxY);

}  // namespace platform::x11
