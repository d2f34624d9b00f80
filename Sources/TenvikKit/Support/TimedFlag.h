// SPDX-License-Identifier: MIT
// TimedFlag.h: a flag that goes up at once and comes down a fixed time after it was last
// raised: the recorder's modifier hint (0.4 s) and the onboarding guide's activity dot (1.5 s).
// Each raise has a generation and schedules its own reset; only the reset of the newest raise
// lowers the flag, so an older reset never hides a newer raise early. Main thread only; time
// comes from the injected scheduler.
#pragma once

#include "Platform/Dispatch.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace tenvik {

class TimedFlag {
public:
    TimedFlag(std::shared_ptr<platform::Dispatcher> dispatch, platform::Seconds duration)
        : dispatch_(std::move(dispatch)), duration_(duration) {}
    TimedFlag(const TimedFlag&) = delete;
    TimedFlag& operator=(const TimedFlag&) = delete;

    void raise();
    bool isRaised() const { return raised_; }
    std::uint64_t generation() const { return generation_; }

    // Told when the flag goes up or down.
    std::function<void()> onChange;

private:
    std::shared_ptr<platform::Dispatcher> dispatch_;
    platform::Seconds duration_;
    bool raised_ = false;
    std::uint64_t generation_ = 0;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace tenvik
