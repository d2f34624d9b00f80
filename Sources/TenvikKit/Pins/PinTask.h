// SPDX-License-Identifier: MIT
// PinTask.h: the handle of a piece of a pin stream's asynchronous work on the main thread (its
// shutdown, a reconfiguration): others can wait for it to finish and ask it to stop at its next
// check. Copies of the shared pointer name one task.
#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace tenvik {

class PinTask {
public:
    bool isFinished() const { return finished_; }
    bool isCancelled() const { return cancelled_; }
    void cancel() { cancelled_ = true; }

    // Runs `then` once the task has finished: at once when it already has.
    void whenFinished(std::function<void()> then) {
        if (finished_)
            then();
        else
            waiters_.push_back(std::move(then));
    }

    void finish() {
        if (finished_) return;
        finished_ = true;
        auto waiters = std::move(waiters_);
        for (auto& waiter : waiters) waiter();
    }

private:
    bool finished_ = false;
    bool cancelled_ = false;
    std::vector<std::function<void()>> waiters_;
};

}  // namespace tenvik
