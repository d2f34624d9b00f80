// SPDX-License-Identifier: MIT
// AppliedWrites: the frame requests sent and not yet seen answered, one per window. A read of
// a window first waits until its request was answered (a ConfigureNotify that shows it
// applied, or any answer followed by a short quiet moment: the manager placed the window
// elsewhere), at most until the request's settle bound. Requests sent one after another to
// many windows are waited for together: their bounds run from when each was sent.
// Thread-safe.
#pragma once

#include "Platform/X11/WindowManagerRequests.h"

#include <map>
#include <mutex>
#include <vector>

namespace platform::x11 {

class AppliedWrites {
public:
    // How long a request answered with another frame may still get its own answer.
    static constexpr double kGrace = 0.05;

    // Keeps the window's pending request (replacing an older one, whose answer the newer one's
    // wait covers).
    void add(xcb_window_t window, PendingFrame pending);
    // Waits for the pending requests of these windows (every window when `all`), at most until
    // `deadline`; they are done with afterwards.
    void await(const std::vector<xcb_window_t>& windows, bool all, Deadline deadline);
    bool pending(xcb_window_t window);

    // One request's wait; true when an answer showed it applied.
    static bool awaitOne(PendingFrame& pending, Deadline deadline);

private:
    std::mutex mutex_;
    std::map<xcb_window_t, PendingFrame> pending_;
};

}  // namespace platform::x11
