// SPDX-License-Identifier: MIT
// FrameRequest: visible frame to request values, and the answer test.
#include "Platform/X11/FrameRequest.h"

#include "Platform/X11/SizeHints.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform::x11 {

namespace {
std::int32_t whole(double value) { return static_cast<std::int32_t>(std::lround(value)); }

// Where a gravity puts its reference point across a length: 0 at the start, 1 in the middle, 2 at the end.
int gravityStep(std::uint32_t gravity, bool horizontal) {
    switch (gravity) {
        case XCB_GRAVITY_NORTH:
            return horizontal ? 1 : 0;
        case XCB_GRAVITY_NORTH_EAST:
            return horizontal ? 2 : 0;
        case XCB_GRAVITY_WEST:
            return horizontal ? 0 : 1;
        case XCB_GRAVITY_CENTER:
            return 1;
        case XCB_GRAVITY_EAST:
            return horizontal ? 2 : 1;
        case XCB_GRAVITY_SOUTH_WEST:
            return horizontal ? 0 : 2;
        case XCB_GRAVITY_SOUTH:
            return horizontal ? 1 : 2;
        case XCB_GRAVITY_SOUTH_EAST:
            return 2;
        default:
            return 0;
    }
}
}  // namespace

std::optional<FrameRequest> frameRequest(const WindowFacts& facts, const arvelo::Rect& frame,
                                         bool moveResizeSupported) {
    const FrameExtents& e = facts.extents;
    const FrameExtents& s = facts.shadow;
    FrameRequest r;
    // The outer corner of the manager's frame: the visible corner less the client's shadow.
    const std::int32_t frameX = whole(frame.x) - static_cast<std::int32_t>(s.left);
    const std::int32_t frameY = whole(frame.y) - static_cast<std::int32_t>(s.top);
    const long width = whole(frame.width) - long(e.left) - long(e.right) + long(s.left) + long(s.right);
    const long height = whole(frame.height) - long(e.top) - long(e.bottom) + long(s.top) + long(s.bottom);
    r.width = static_cast<std::uint32_t>(std::max(1L, width));
    r.height = static_cast<std::uint32_t>(std::max(1L, height));
    r.clientX = frameX + static_cast<std::int32_t>(e.left);
    r.clientY = frameY + static_cast<std::int32_t>(e.top);
    if (facts.normalHints) {
        const xcb_size_hints_t& h = *facts.normalHints;
        if (h.flags & XCB_ICCCM_SIZE_HINT_P_RESIZE_INC) {
            r.widthStep = static_cast<std::uint32_t>(std::max(1, h.width_inc));
            r.heightStep = static_cast<std::uint32_t>(std::max(1, h.height_inc));
        }
    }
    // A client already at the place, at the size its own hints make of the asked one (a
    // terminal's whole character cells), has the frame: the manager would change nothing, and
    // an unchanged window is not always answered.
    ClientSize wanted{r.width, r.height};
    if (facts.normalHints) wanted = fitClientSize(*facts.normalHints, wanted);
    if (facts.client && whole(facts.client->x) == r.clientX && whole(facts.client->y) == r.clientY &&
        whole(facts.client->width) == wanted.width && whole(facts.client->height) == wanted.height)
        return std::nullopt;

    if (moveResizeSupported) {
        r.form = FrameRequest::Form::moveResize;
        r.gravity = XCB_GRAVITY_NORTH_WEST;
        r.x = frameX;
        r.y = frameY;
        return r;
    }
    // A ConfigureRequest names the client window's own rectangle (outside its border), and
    // the manager keeps the point its gravity names where that point of the rectangle is.
    r.form = FrameRequest::Form::configure;
    std::uint32_t gravity = XCB_GRAVITY_NORTH_WEST;
    if (facts.normalHints && (facts.normalHints->flags & XCB_ICCCM_SIZE_HINT_P_WIN_GRAVITY))
        gravity = facts.normalHints->win_gravity;
    const std::int32_t border = facts.borderWidth;
    if (gravity == XCB_GRAVITY_STATIC) {
        r.x = r.clientX - border;
        r.y = r.clientY - border;
        return r;
    }
    const long frameWidth = long(r.width) + e.left + e.right, frameHeight = long(r.height) + e.top + e.bottom;
    const long outerWidth = long(r.width) + 2 * border, outerHeight = long(r.height) + 2 * border;
    r.x = frameX + static_cast<std::int32_t>(gravityStep(gravity, true) * (frameWidth - outerWidth) / 2);
    r.y = frameY + static_cast<std::int32_t>(gravityStep(gravity, false) * (frameHeight - outerHeight) / 2);
    return r;
}

bool answersRequest(const std::vector<Connection::ConfigureAnswer>& answers, const FrameRequest& request) {
    return std::any_of(answers.begin(), answers.end(), [&](const Connection::ConfigureAnswer& a) {
        const bool size = std::abs(long(a.width) - long(request.width)) < long(request.widthStep) &&
                          std::abs(long(a.height) - long(request.height)) < long(request.heightStep);
        if (!size || !a.synthetic) return size;
        // The corner outside the border the client had before the manager took it off; icewm names
        // the corner inside it.
        const bool outside = a.x + a.borderWidth == request.clientX && a.y + a.borderWidth == request.clientY;
        return outside || (a.x == request.clientX && a.y == request.clientY);
    });
}

}  // namespace platform::x11
