// SPDX-License-Identifier: MIT
// FactBatch: reads the desktop's facts and facts of many windows in one pipelined batch: every
// request is sent before the first reply is awaited, so reading many facts of many windows
// costs one round trip. Facts the cache holds are not asked for again.
#pragma once

#include "Platform/X11/Connection.h"
#include "Platform/X11/WindowFacts.h"

#include <memory>
#include <vector>

namespace platform::x11 {

// Reads the desktop's facts and the facts of the given windows in one pipelined batch.
class FactBatch {
public:
    // `fresh`: every window fact is asked of the server, none taken from the cache (a write's
    // own check of the window it writes).
    FactBatch(Connection& connection, unsigned rootFacts, const std::vector<xcb_window_t>& windows,
              unsigned windowFacts, bool fresh = false);
    ~FactBatch();
    FactBatch(const FactBatch&) = delete;
    FactBatch& operator=(const FactBatch&) = delete;

    // Waits for the replies (once; later calls return the same facts).
    const RootFacts& root(Deadline deadline);
    const std::vector<WindowFacts>& windows(Deadline deadline);
    // The same, handed over: the batch keeps none of them.
    std::vector<WindowFacts> takeWindows(Deadline deadline);

private:
    struct Pending;
    void collect(Deadline deadline);

    Connection& connection_;
    std::unique_ptr<Pending> pending_;
    RootFacts root_;
    std::vector<WindowFacts> windows_;
};

// The process id a window belongs to: its _NET_WM_PID, or else a stable negative stand-in: the
// id base of the X client that made its client leader (or, without a usable leader, the window
// itself), negated. Stand-ins never overflow, never reach a real (positive) process id, and
// differ between X clients.
std::int32_t ownerPid(const WindowFacts& facts, const xcb_setup_t& setup);

}  // namespace platform::x11
