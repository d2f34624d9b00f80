// SPDX-License-Identifier: MIT
// WindowManagerRequests: the requests this backend makes of the window manager about one
// client window (move and resize, states, minimise, un-minimise, activate, raise, close), sent
// as one transaction.
//
// A frame request is known applied by the ConfigureNotify that answers it: every manager
// sends one, real or synthetic, to the client it moves or resizes. The transaction does not
// wait for it itself: it hands back a PendingFrame, and the next read of that window waits
// (AppliedWrites), so that writes to many windows wait together instead of one after another.
// State requests are known applied by the manager's rewrite of the property they change, and
// the transaction waits for those itself.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/FrameRequest.h"
#include "Platform/X11/WindowFacts.h"

#include <memory>
#include <optional>

namespace platform::x11 {

// A frame request sent and not yet seen answered.
struct PendingFrame {
    std::unique_ptr<Connection::ConfigureWatch> watch;
    FrameRequest request;
    Deadline settle = Deadline::in(0);
};

class WindowManagerTransaction {
public:
    // How long the window manager gets to answer a request, at most.
    static constexpr double kSettleBound = 0.25;

    // `facts` must hold fact::kState and, for frames, fact::kGeometry and fact::kHints.
    WindowManagerTransaction(Connection& connection, const WindowFacts& facts);

    // Clears the maximised states when set, so the window manager takes the new frame (edge
    // tiling of metacity and marco is a vertical maximisation).
    void unmaximise();
    // Asks for the visible frame `frame`, whole; nothing when the window already has it.
    void setFrame(const arvelo::Rect& frame, bool moveResizeSupported);
    void setMinimised(bool minimised);
    void setFullScreen(bool fullScreen);
    // Asks for the window to become active; `alreadyActive` spares the wait.
    void activate(bool alreadyActive);
    void raise();
    void close();

    // Sends everything and waits, at most until `deadline` and never longer than the settle
    // bound, until the window manager has applied the state requests. False when it did not
    // confirm in time.
    bool commit(Deadline deadline);

    // The frame request sent, if any, to be waited for by the next read of the window.
    std::optional<PendingFrame> takePendingFrame() { return std::move(pendingFrame_); }

private:
    void changeState(xcb_ewmh_wm_state_action_t action, xcb_atom_t first, xcb_atom_t second);

    Connection& connection_;
    const WindowFacts& facts_;
    Connection::PropertyWatch stateWatch_;
    int expectedStateNotifications_ = 0;
    std::unique_ptr<Connection::PropertyWatch> activeWatch_;
    std::optional<PendingFrame> pendingFrame_;
};

}  // namespace platform::x11
