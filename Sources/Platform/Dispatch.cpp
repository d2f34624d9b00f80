// SPDX-License-Identifier: MIT
// Dispatch.cpp: the backend-neutral parts of the scheduler API: timer handles and mode names.
#include "Platform/Dispatch.h"

namespace platform {

std::string_view toString(RunLoopMode mode) {
    switch (mode) {
        case RunLoopMode::defaultMode:
            return "default";
        case RunLoopMode::common:
            return "common";
    }
    return "default";
}

TimerHandle::TimerHandle(std::function<void()> onInvalidate)
    : state_(std::make_shared<State>(State{true, std::move(onInvalidate)})) {}

void TimerHandle::invalidate() {
    if (!state_ || !state_->valid) return;
    state_->valid = false;
    auto onInvalidate = std::move(state_->onInvalidate);
    state_->onInvalidate = nullptr;
    if (onInvalidate) onInvalidate();
}

bool TimerHandle::isValid() const { return state_ && state_->valid; }

}  // namespace platform
