// SPDX-License-Identifier: MIT
// CompositorWatch.h: whether a compositing manager runs, followed as it changes. A compositing
// manager owns the selection _NET_WM_CM_S<screen>; XFixes tells every client that asks when a
// selection's owner changes, goes away or disconnects, so starting or stopping xcompmgr, picom
// or a window manager's own compositor is learnt from one event, without polling. The events
// are decoded on the connection's event thread; observers hear of a change on the main thread.
#pragma once

#include "Platform/Dispatch.h"
#include "Platform/Signal.h"
#include "Platform/X11/Connection.h"

#include <xcb/xcb.h>

#include <atomic>
#include <memory>
#include <optional>

namespace platform::x11 {

class CompositorWatch : public std::enable_shared_from_this<CompositorWatch> {
public:
    // Selects the selection's owner events on the root; null without XFixes (then nothing is
    // followed and the answer at start stands).
    static std::shared_ptr<CompositorWatch> open(std::shared_ptr<Connection> connection,
                                                 std::shared_ptr<Dispatcher> dispatch);

    // Whether the selection had an owner at the last event (or when opened).
    bool compositing() const { return compositing_.load(); }

    // Event thread: one event of the connection; events of other kinds are ignored.
    void take(const xcb_generic_event_t& event);

    // Main thread: the compositing manager started (true) or stopped (false).
    Signal<bool> changed;

    // Decodes a selection-owner event of XFixes (first event `eventBase`) about `selection`:
    // whether the selection has an owner after it; none for any other event.
    static std::optional<bool> decode(const xcb_generic_event_t& event, std::uint8_t eventBase,
                                      xcb_atom_t selection);

private:
    CompositorWatch(std::shared_ptr<Dispatcher> dispatch, std::uint8_t eventBase, xcb_atom_t selection, bool owned);

    std::shared_ptr<Dispatcher> dispatch_;
    std::uint8_t eventBase_;
    xcb_atom_t selection_;
    std::atomic<bool> compositing_;
};

}  // namespace platform::x11
