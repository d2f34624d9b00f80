// SPDX-License-Identifier: MIT
// AsyncTask.h: the handle of an asynchronous piece of work on the main thread (a chain of
// delayed callbacks): the work looks at isCancelled() before each step; cancel() asks it to
// stop at its next look. Copies share one state.
#pragma once

#include <memory>

namespace platform {

class AsyncTask {
public:
    AsyncTask() : cancelled_(std::make_shared<bool>(false)) {}
    void cancel() { *cancelled_ = true; }
    bool isCancelled() const { return *cancelled_; }
    friend bool operator==(const AsyncTask& a, const AsyncTask& b) { return a.cancelled_ == b.cancelled_; }

private:
    std::shared_ptr<bool> cancelled_;
};

}  // namespace platform
