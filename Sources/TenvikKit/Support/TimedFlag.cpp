// SPDX-License-Identifier: MIT
// TimedFlag.cpp: raising the flag and lowering it for the newest raise only.
#include "TenvikKit/Support/TimedFlag.h"

namespace tenvik {

void TimedFlag::raise() {
    const bool wasRaised = raised_;
    raised_ = true;
    const std::uint64_t generation = ++generation_;
    if (!wasRaised && onChange) onChange();
    dispatch_->after(duration_, [this, alive = std::weak_ptr<int>(alive_), generation] {
        if (alive.expired() || generation != generation_) return;
        raised_ = false;
        if (onChange) onChange();
    });
}

}  // namespace tenvik
