// SPDX-License-Identifier: MIT
// WindowManagerRequests: EWMH client messages and configure requests to the window manager,
// and the wait for its rewrite of the states asked for.
#include "Platform/X11/WindowManagerRequests.h"

#include <xcb/xcb_icccm.h>

namespace platform::x11 {

WindowManagerTransaction::WindowManagerTransaction(Connection& connection, const WindowFacts& facts)
    : connection_(connection), facts_(facts), stateWatch_(connection, facts.window, connection.ewmh()->_NET_WM_STATE) {
    // The waits need the window's property and structure changes.
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

void WindowManagerTransaction::setFrame(const arvelo::Rect& frame, bool moveResizeSupported) {
    const auto request = frameRequest(facts_, frame, moveResizeSupported);
    if (!request) return;
    // Watching before the request goes out, so its answer cannot be missed.
    PendingFrame pending{std::make_unique<Connection::ConfigureWatch>(connection_, facts_.window), *request,
                         Deadline::in(kSettleBound)};
    if (request->form == FrameRequest::Form::moveResize) {
        const auto all = static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(
            XCB_EWMH_MOVERESIZE_WINDOW_X | XCB_EWMH_MOVERESIZE_WINDOW_Y | XCB_EWMH_MOVERESIZE_WINDOW_WIDTH |
            XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT);
        xcb_ewmh_request_moveresize_window(
            connection_.ewmh(), connection_.screenNumber(), facts_.window, static_cast<xcb_gravity_t>(request->gravity),
            XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, all, static_cast<std::uint32_t>(request->x),
            static_cast<std::uint32_t>(request->y), request->width, request->height);
    } else {
        const std::uint32_t values[] = {static_cast<std::uint32_t>(request->x), static_cast<std::uint32_t>(request->y),
                                        request->width, request->height};
        xcb_configure_window(
            connection_.xcb(), facts_.window,
            XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    }
    pendingFrame_ = std::move(pending);
}

void WindowManagerTransaction::setMinimised(bool minimised) {
    if (facts_.hasState(connection_.ewmh()->_NET_WM_STATE_HIDDEN) == minimised) return;
    if (minimised) {
        const std::uint32_t iconic = XCB_ICCCM_WM_STATE_ICONIC;
        xcb_ewmh_send_client_message(connection_.xcb(), facts_.window, connection_.root(),
                                     connection_.atoms().WM_CHANGE_STATE, sizeof iconic, &iconic);
    } else if (facts_.mapState == XCB_MAP_STATE_VIEWABLE) {
        // mutter keeps a minimised client mapped, so no map request can come of one: only an
        // activation restores it there.
        xcb_ewmh_request_change_active_window(connection_.ewmh(), connection_.screenNumber(), facts_.window,
                                              XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME, XCB_WINDOW_NONE);
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

void WindowManagerTransaction::activate(bool alreadyActive) {
    if (!alreadyActive)
        activeWatch_ = std::make_unique<Connection::PropertyWatch>(connection_, connection_.root(),
                                                                   connection_.ewmh()->_NET_ACTIVE_WINDOW);
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
    connection_.flush();
    const Deadline bound = deadline.earlier(Deadline::in(kSettleBound));
    bool confirmed = true;
    if (expectedStateNotifications_ > 0) confirmed = stateWatch_.waitForCount(expectedStateNotifications_, bound);
    if (activeWatch_) confirmed = activeWatch_->waitForCount(1, bound) && confirmed;
    return confirmed;
}

}  // namespace platform::x11
