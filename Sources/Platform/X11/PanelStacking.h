// SPDX-License-Identifier: MIT
// PanelStacking.h: where this program's panels sit in the X server's stacking order. A panel
// is an override-redirect child of the root, so the window manager neither frames, focuses
// nor moves it, and it stays on screen whatever desktop is shown. A tab bar is restacked
// directly above its window's frame (the ancestor of the client that is a child of the root)
// with one ConfigureWindow (sibling, Above); floating and pop-up panels are raised above
// everything whenever anything got in front of them, except that floating panels stay below a
// managed pop-up window of ours (the window map). One pass reads the root's children once
// and sends only the requests that change something, all pipelined. Also: the empty input
// shape of a panel that lets the mouse through (Shape), and whether a compositing manager
// owns _NET_WM_CM_S<screen>. An X error on a window that just closed is ignored.
#pragma once

#include "Platform/Panels.h"
#include "Platform/X11/Connection.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace platform::x11 {

class PanelStacking {
public:
    explicit PanelStacking(std::shared_ptr<Connection> connection);

    struct Placement {
        xcb_window_t panel = XCB_WINDOW_NONE;
        xcb_window_t client = XCB_WINDOW_NONE;  // the client window the panel belongs above
    };

    // The panels this program shows, with their levels; hidden and closed ones are forgotten.
    void setShown(xcb_window_t panel, PanelLevel level);
    void forget(xcb_window_t panel);
    // A window of this program that the window manager manages (it takes the keyboard, so it
    // cannot bypass the manager) but that belongs at the pop-up level, above the floating
    // panels: while shown, floating panels are kept directly below its frame and pop-up panels
    // above it. The window manager places the frame; only our panels move around it.
    void setPopUpWindow(xcb_window_t client, bool shown);

    // One pass: each placement's panel directly above its client's frame, then floating and
    // pop-up panels above every other window (pop-up in front), or, while a pop-up window is
    // shown, the floating panels directly below its frame (the lowest such frame). Returns how many
    // ConfigureWindow requests were sent (0 when everything already sat right).
    int restack(const std::vector<Placement>& placements);

    // The panel directly below its client's frame (one ConfigureWindow, sibling, Below);
    // false when the client's frame is not found.
    bool placeBelow(xcb_window_t panel, xcb_window_t client);

    // An empty input shape (every press goes to the window under the panel) or the default one.
    void setInputEmpty(xcb_window_t panel, bool empty);

    // Whether a compositing manager owns _NET_WM_CM_S<screen> now.
    bool compositing();

    // The frame (child of the root) that holds a client; none when it is gone.
    std::optional<xcb_window_t> frameOf(xcb_window_t client, Deadline deadline);

private:
    std::map<xcb_window_t, xcb_window_t> framesOf(const std::vector<xcb_window_t>& clients,
                                                  const std::vector<xcb_window_t>& rootChildren, Deadline deadline);

    std::shared_ptr<Connection> connection_;
    xcb_atom_t compositorSelection_ = XCB_ATOM_NONE;
    bool hasShape_ = false;
    std::mutex mutex_;
    std::map<xcb_window_t, PanelLevel> shown_;
    std::set<xcb_window_t> popUpWindows_;  // clients, not frames
    std::map<xcb_window_t, xcb_window_t> frames_;  // client -> frame, as last found
};

}  // namespace platform::x11
