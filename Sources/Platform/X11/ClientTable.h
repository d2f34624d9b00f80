// ClientTable: every client window the window manager manages, with the facts asked for and
// the process each belongs to, read in two round trips (the client list, then all facts).
// The table is a value: a picture of the desktop at one moment.
#pragma once

#include "Platform/X11/WindowFacts.h"

#include <cstdint>
#include <vector>

namespace platform::x11 {

struct ClientTable {
    RootFacts root;
    std::vector<WindowFacts> clients;  // in the window manager's client-list order, existing ones only
    std::vector<std::int32_t> pids;    // the owning process of each client
    bool answered = true;
    // True when `clients` holds every client; false for a table of a few chosen windows.
    bool complete = true;

    // Every client (two round trips).
    static ClientTable read(Connection& connection, unsigned rootFacts, unsigned windowFacts, Deadline deadline);
    // Only the given windows, those of them that exist (one round trip); `root.clients` still
    // lists every client.
    static ClientTable readSome(Connection& connection, unsigned rootFacts, const std::vector<xcb_window_t>& windows,
                                unsigned windowFacts, Deadline deadline);

    const WindowFacts* find(xcb_window_t window) const;
    std::int32_t pidOf(xcb_window_t window) const;  // 0 when the window is not a client
    // Indexes of clients front to back (the stacking list reversed; clients it misses last).
    std::vector<std::size_t> frontToBack() const;
    // Indexes of the clients of one process, front to back.
    std::vector<std::size_t> clientsOf(std::int32_t pid) const;
};

} // namespace platform::x11
