// WindowManagerRequests: the requests this backend makes of the window manager about one
// client window (move and resize, states, minimise, un-minimise, activate, raise, close), sent
// as one transaction that ends by waiting until the window manager has handled them, so that
// a read right after a write sees its effect.
//
// The wait works because the window manager handles client messages in order and rewrites
// _NET_WM_STATE for every state request, even one that changes nothing: the transaction ends
// with such a request (removing a state the window does not have) and waits for the
// notifications it expects. A window manager that does not echo only costs the settle bound.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/WindowFacts.h"

#include <optional>

namespace platform::x11 {

class WindowManagerTransaction {
public:
    // `facts` must hold fact::kState and, for moves and resizes, fact::kGeometry.
    WindowManagerTransaction(Connection& connection, const WindowFacts& facts);

    // Clears the maximised states when set, so the window manager takes the new frame.
    void unmaximise();
    // Moves and/or resizes the outer frame; the frame extents are taken off for the client.
    void setFrame(std::optional<arvelo::Point> origin, std::optional<arvelo::Size> size);
    void setMinimised(bool minimised);
    void setFullScreen(bool fullScreen);
    void activate();
    void raise();
    void close();

    // Sends everything and waits, at most until `deadline` and never longer than the settle
    // bound, until the window manager has handled it. False when it did not confirm in time.
    bool commit(Deadline deadline);

private:
    void changeState(xcb_ewmh_wm_state_action_t action, xcb_atom_t first, xcb_atom_t second);

    Connection& connection_;
    const WindowFacts& facts_;
    Connection::PropertyWatch stateWatch_;
    int expectedStateNotifications_ = 0;
};

}  // namespace platform::x11
