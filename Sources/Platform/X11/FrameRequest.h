// SPDX-License-Identifier: MIT
// FrameRequest: the request that asks the window manager to put a window's visible frame at a
// rectangle, and the test of whether a ConfigureNotify answers it.
//
// The request always carries the whole geometry (position and size together): managers treat
// a request for only one of them differently (fluxbox moves a size-only request and grows a
// position-only one). With _NET_MOVERESIZE_WINDOW it uses north-west gravity, whose reference
// point is the frame's outer corner: the manager adds its decorations itself and no client
// border enters the arithmetic. (Static gravity names the client's own corner, but openbox and
// fluxbox count the border width the client had before they took it off, which put Xt programs
// with a 1-pixel border one pixel right and down on every write.) Without
// _NET_MOVERESIZE_WINDOW it is a ConfigureRequest on the client, placed by the window's own
// gravity as the ICCCM says a manager reads it.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/WindowFacts.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::x11 {

struct FrameRequest {
    enum class Form { moveResize, configure };
    Form form = Form::moveResize;
    std::uint8_t gravity = XCB_GRAVITY_NORTH_WEST;  // for moveResize
    // The request's values: the reference point and the client's size.
    std::int32_t x = 0, y = 0;
    std::uint32_t width = 1, height = 1;
    // Where the client itself should end up (root coordinates, inside its border).
    std::int32_t clientX = 0, clientY = 0;
    // How far the client's own size steps may keep it from the asked size.
    std::uint32_t widthStep = 1, heightStep = 1;
};

// The request that puts `facts`' visible frame at `frame`; absent when the window already has
// it (nothing to ask, nothing to wait for). `facts` must hold kGeometry (with the extents).
std::optional<FrameRequest> frameRequest(const WindowFacts& facts, const arvelo::Rect& frame, bool moveResizeSupported);

// Whether one of the answers shows the window manager applied `request`: a ConfigureNotify
// with the asked size (within the client's size steps) and, when it says where the client
// sits (a synthetic one), at the asked place.
bool answersRequest(const std::vector<Connection::ConfigureAnswer>& answers, const FrameRequest& request);

}  // namespace platform::x11
