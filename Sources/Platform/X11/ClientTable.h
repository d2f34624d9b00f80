// SPDX-License-Identifier: MIT
// ClientTable: client windows the window manager manages, with the facts asked for and the
// process each belongs to: every client (client list, then all facts), or a few chosen ones.
// The table is a value: a picture of the desktop at one moment.
#pragma once

#include "Platform/X11/FactBatch.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace platform::x11 {

struct ClientTable {
    RootFacts root;
    std::vector<WindowFacts> clients;  // in the window manager's client-list order, existing ones only
    std::vector<std::int32_t> pids;    // the owning process of each client
    bool answered = true;

    // Every client.
    static ClientTable read(Connection& connection, unsigned rootFacts, unsigned windowFacts, Deadline deadline);
    // Only the given windows, those of them that exist; `root.clients` still lists every client.
    // `fresh`: the windows' facts are asked of the server, none taken from the cache.
    static ClientTable readSome(Connection& connection, unsigned rootFacts, const std::vector<xcb_window_t>& windows,
                                unsigned windowFacts, Deadline deadline, bool fresh = false);

    const WindowFacts* find(xcb_window_t window) const;
    std::int32_t pidOf(xcb_window_t window) const;  // 0 when the window is not in the table
    // Whether the window manager lists the window among its clients.
    bool isClient(xcb_window_t window) const { return listed_.contains(window); }
    // Indexes of clients front to back (the stacking list reversed; clients it misses last).
    const std::vector<std::size_t>& frontToBack() const { return order_; }
    // Indexes of the clients of one process, front to back.
    const std::vector<std::size_t>& clientsOf(std::int32_t pid) const;

private:
    // Keeps the facts read (handed over, not copied) and indexes them: by window, by process,
    // front to back. Every lookup after is a hash lookup, so answering a question about each
    // of n windows costs n lookups, not n walks of the table.
    void take(std::vector<WindowFacts> facts, Connection& connection);

    std::unordered_map<xcb_window_t, std::size_t> positions_;
    std::vector<std::size_t> order_;
    std::unordered_map<std::int32_t, std::vector<std::size_t>> byPid_;
    std::unordered_set<xcb_window_t> listed_;
};

}  // namespace platform::x11
