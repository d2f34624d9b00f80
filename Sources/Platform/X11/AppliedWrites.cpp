// SPDX-License-Identifier: MIT
// AppliedWrites: keeping and awaiting the pending frame requests.
#include "Platform/X11/AppliedWrites.h"

namespace platform::x11 {

void AppliedWrites::add(xcb_window_t window, PendingFrame pending) {
    std::lock_guard lock(mutex_);
    pending_.insert_or_assign(window, std::move(pending));
}

bool AppliedWrites::pending(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    return pending_.contains(window);
}

void AppliedWrites::await(const std::vector<xcb_window_t>& windows, bool all, Deadline deadline) {
    std::vector<PendingFrame> waiting;
    {
        std::lock_guard lock(mutex_);
        if (pending_.empty()) return;
        if (all) {
            for (auto& [window, frame] : pending_) waiting.push_back(std::move(frame));
            pending_.clear();
        } else {
            for (xcb_window_t window : windows) {
                const auto it = pending_.find(window);
                if (it == pending_.end()) continue;
                waiting.push_back(std::move(it->second));
                pending_.erase(it);
            }
        }
    }
    for (PendingFrame& frame : waiting) awaitOne(frame, deadline);
}

bool AppliedWrites::awaitOne(PendingFrame& pending, Deadline deadline) {
    const Deadline bound = deadline.earlier(pending.settle);
    const FrameRequest& request = pending.request;
    // The first answer, or the one that shows the request applied.
    const bool answered = pending.watch->waitUntil(
        [&](const std::vector<Connection::ConfigureAnswer>& answers) { return !answers.empty(); }, bound);
    if (!answered) return false;
    // An answer of another frame (an earlier request, an un-maximising, or the manager's own
    // choice): the answer to this request follows at once when it comes at all.
    return pending.watch->waitUntil(
        [&](const std::vector<Connection::ConfigureAnswer>& answers) { return answersRequest(answers, request); },
        bound.earlier(Deadline::in(kGrace)));
}

}  // namespace platform::x11
