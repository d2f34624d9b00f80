// SPDX-License-Identifier: MIT
// FactCache: the facts of client windows (owner process, title, window type and transient-for,
// state, geometry, map state, desktop, class, size hints and allowed actions, struts, frame
// extents), kept between reads so that a scan or a beat does not ask the server again for
// what the X server's events keep exact. Every cached window has PropertyChange and
// StructureNotify selected, and the root SubstructureNotify: the event thread drops a fact as
// soon as an event says it may have changed (a property change, a configure, map, unmap or
// reparent of the window or of a top-level window, a destroy). Thread-safe.
#pragma once

#include "Platform/X11/Atoms.h"
#include "Platform/X11/WindowFacts.h"

#include <xcb/xcb_ewmh.h>

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace platform::x11 {

class FactCache {
public:
    static constexpr unsigned kCachedFacts = fact::kOwner | fact::kTitle | fact::kKind | fact::kState |
                                             fact::kGeometry | fact::kHints | fact::kDesktop | fact::kClass |
                                             fact::kAttributes | fact::kStrut | fact::kExtents;
    // The window manager check is kept until the root's _NET_SUPPORTING_WM_CHECK changes, or
    // the check window's own, or the check window is destroyed (it is followed when read).
    static constexpr unsigned kCachedRootFacts =
        rootfact::kClients | rootfact::kStacking | rootfact::kActive | rootfact::kDesktops | rootfact::kWindowManager;

    FactCache(const xcb_ewmh_connection_t& ewmh, const Atoms& atoms, xcb_window_t root)
        : ewmh_(ewmh), atoms_(atoms), root_(root) {}

    // Counts invalidations (and window state changes); facts read across one are not stored,
    // and a reader that built something from facts may keep it while the count stands.
    std::uint64_t generation() const;
    // Counts top-level windows created or restacked without being moved (which drops no fact
    // but changes the root's children or their order).
    std::uint64_t restacks() const;
    // Counts the events that may change the room the desktop leaves for windows: a strut
    // changed, the work area or the current desktop changed, a window (other than an
    // override-redirect one) created, mapped, unmapped, reparented or destroyed. Moves and
    // this program's own writes leave it; readers of the screens keep them while it stands.
    std::uint64_t roomChanges() const;
    // Copies the cached groups among `groups` into `facts`; answers the groups it copied.
    unsigned fill(WindowFacts& facts, unsigned groups) const;
    // Keeps the groups of freshly read facts, unless an invalidation came since `generation`.
    void store(const WindowFacts& facts, unsigned groups, std::uint64_t generation);
    // The same for the desktop's facts (the root window's properties, always followed).
    unsigned fillRoot(RootFacts& facts, unsigned groups) const;
    void storeRoot(const RootFacts& facts, unsigned groups, std::uint64_t generation);

    // Counts a change this program made itself (a frame written, an action performed): what
    // was built from earlier facts may no longer hold.
    void touch();

    // Whether the window has the backend's event mask selected already; notes that it will.
    bool startFollowing(xcb_window_t window);
    // Whether events about the window reach the cache (it was read at least once and not destroyed).
    bool follows(xcb_window_t window) const;
    // Drops everything about a window found not to exist.
    void forget(xcb_window_t window);

    // Event thread: drops what an event makes stale.
    void take(const xcb_generic_event_t& event);

private:
    unsigned groupOf(xcb_atom_t atom) const;
    unsigned rootGroupOf(xcb_atom_t atom) const;
    // Under the lock: drops groups of one window, or of every window.
    void drop(xcb_window_t window, unsigned groups);
    void dropEverywhere(unsigned groups);
    // Under the lock: whether a top-level window's configure changes its place or size (not
    // only its stacking), noting what it says.
    bool movesTopLevel(const xcb_configure_notify_event_t& event);

    const xcb_ewmh_connection_t& ewmh_;
    const Atoms& atoms_;
    xcb_window_t root_;
    RootFacts rootFacts_;
    unsigned rootGroups_ = 0;
    mutable std::mutex mutex_;
    struct Entry {
        WindowFacts facts;
        unsigned groups = 0;
    };
    std::unordered_map<xcb_window_t, Entry> entries_;
    std::unordered_set<xcb_window_t> followed_;
    struct Placement {
        std::int16_t x = 0, y = 0;
        std::uint16_t width = 0, height = 0, border = 0;
        friend bool operator==(const Placement&, const Placement&) = default;
    };
    std::unordered_map<xcb_window_t, Placement> topLevels_;
    std::uint64_t generation_ = 0;
    std::uint64_t restacks_ = 0;
    std::uint64_t roomChanges_ = 0;
    // Override-redirect windows seen created or mapped (panels, menus): their coming and going
    // changes no room.
    std::unordered_set<xcb_window_t> overrideRedirect_;
};

}  // namespace platform::x11
