// WindowManagerRequests: EWMH client messages to the window manager and the closing wait.
#include "Platform/X11/WindowManagerRequests.h"

#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace platform::x11 {

namespace {
// How long a transaction waits for the window manager's confirmation at most.
constexpr double kSettleBound = 0.25;

std::uint32_t coordinate(double value) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(value)));
}

std::uint32_t length(double value, std::uint32_t decorations) {
    const long whole = std::lround(value) - static_cast<long>(decorations);
    return static_cast<std::uint32_t>(std::max(1L, whole));
}
}  // namespace

WindowManagerTransaction::WindowManagerTransaction(Connection& connection, const WindowFacts& facts)
    : connection_(connection), facts_(facts), stateWatch_(connection, facts.window, connection.ewmh()->_NET_WM_STATE) {
    // The closing wait needs the window's property changes.
    connection.follow(facts.window);
}

void WindowManagerTransaction::changeState(xcb_ewmh_wm_state_action_t action, xcb_atom_t first, xcb_atom_t second) {
    xcb_ewmh_request_change_wm_state(connection_.ewmh(), connection_.screenNumber(), facts_.window, action, first,
                                     second, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    ++expectedStateNotifications_;
}

void WindowManagerTransaction::unmaximise() {
    const xcb_ewmh_connection_t& e = *connection_.ewmh();
    if (facts_.hasState(e._NET_WM_STATE_MAXIMIZED_VERT) || facts_.hasState(e._NET_WM_STATE_MAXIMIZED_HORZ))
        changeState(XCB_EWMH_WM_STATE_REMOVE, e._NET_WM_STATE_MAXIMIZED_VERT, e._NET_WM_STATE_MAXIMIZED_HORZ);
}

void WindowManagerTransaction::setFrame(std::optional<arvelo::Point> origin, std::optional<arvelo::Size> size) {
    const FrameExtents& x = facts_.extents;
    std::uint32_t flags = 0;
    std::uint32_t cx = 0, cy = 0, cw = 0, ch = 0;
    if (origin) {
        flags |= XCB_EWMH_MOVERESIZE_WINDOW_X | XCB_EWMH_MOVERESIZE_WINDOW_Y;
        cx = coordinate(origin->x + x.left);
        cy = coordinate(origin->y + x.top);
    }
    if (size) {
        flags |= XCB_EWMH_MOVERESIZE_WINDOW_WIDTH | XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT;
        cw = length(size->width, x.left + x.right);
        ch = length(size->height, x.top + x.bottom);
    }
    if (!flags) return;
    // Static gravity: the coordinates are those of the client window itself.
    xcb_ewmh_request_moveresize_window(connection_.ewmh(), connection_.screenNumber(), facts_.window,
                                       XCB_GRAVITY_STATIC, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
                                       static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(flags), cx, cy, cw, ch);
}

void WindowManagerTransaction::setMinimised(bool minimised) {
    if (facts_.hasState(connection_.ewmh()->_NET_WM_STATE_HIDDEN) == minimised) return;
    if (minimised) {
        const std::uint32_t iconic = XCB_ICCCM_WM_STATE_ICONIC;
        xcb_ewmh_send_client_message(connection_.xcb(), facts_.window, connection_.root(),
                                     connection_.atoms().WM_CHANGE_STATE, sizeof iconic, &iconic);
    } else {
        // A map request on an iconic client asks the window manager to restore it.
        xcb_map_window(connection_.xcb(), facts_.window);
    }
    ++expectedStateNotifications_;
}

void WindowManagerTransaction::setFullScreen(bool fullScreen) {
    const xcb_atom_t state = connection_.ewmh()->_NET_WM_STATE_FULLSCREEN;
    if (facts_.hasState(state) != fullScreen)
        changeState(fullScreen ? XCB_EWMH_WM_STATE_ADD : XCB_EWMH_WM_STATE_REMOVE, state, XCB_ATOM_NONE);
}

void WindowManagerTransaction::activate() {
    xcb_ewmh_request_change_active_window(connection_.ewmh(), connection_.screenNumber(), facts_.window,
                                          XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME, XCB_WINDOW_NONE);
}

void WindowManagerTransaction::raise() {
    xcb_ewmh_request_restack_window(connection_.ewmh(), connection_.screenNumber(), facts_.window, XCB_WINDOW_NONE,
                                    XCB_STACK_MODE_ABOVE);
}

void WindowManagerTransaction::close() {
    xcb_ewmh_request_close_window(connection_.ewmh(), connection_.screenNumber(), facts_.window, XCB_CURRENT_TIME,
                                  XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
}

bool WindowManagerTransaction::commit(Deadline deadline) {
    const xcb_ewmh_connection_t& e = *connection_.ewmh();
    // The closing no-op: removing a state the window does not have.
    const std::array<xcb_atom_t, 4> unused{e._NET_WM_STATE_DEMANDS_ATTENTION, e._NET_WM_STATE_SHADED,
                                           e._NET_WM_STATE_BELOW, e._NET_WM_STATE_SKIP_PAGER};
    const auto noOp = std::find_if(unused.begin(), unused.end(), [&](xcb_atom_t s) { return !facts_.hasState(s); });
    if (noOp == unused.end()) {
        connection_.flush();
        return false;
    }
    changeState(XCB_EWMH_WM_STATE_REMOVE, *noOp, XCB_ATOM_NONE);
    return stateWatch_.waitForCount(expectedStateNotifications_, deadline.earlier(Deadline::in(kSettleBound)));
}

}  // namespace platform::x11
